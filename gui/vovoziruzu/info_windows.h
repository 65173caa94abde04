#pragma once

// Help, About, Technical Support and the licence window.

#include <QMainWindow>
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/base/paths.h"

class QDialog;
class QTextBrowser;

namespace vz::gui {

// The help page in a window of its own; the main window keeps one and brings
// it forward instead of opening another. Throws vz::Error when the page
// cannot be read.
class HelpWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit HelpWindow(const std::filesystem::path& page, QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_;
};

// What the System Info button shows.
QString systemInformation(const base::AppPaths& paths);

// The dialogs, not yet shown (the caller owns them); show* runs them modally.
QDialog* createAboutDialog(QWidget* parent, const base::AppPaths& paths);
QDialog* createTechSupportDialog(QWidget* parent);
// Throws vz::Error when the licence file cannot be read.
QDialog* createLicenseDialog(QWidget* parent, const std::filesystem::path& licenseFile);

void showAboutDialog(QWidget* parent, const base::AppPaths& paths);
void showTechSupportDialog(QWidget* parent);
// The licence file shown as text; a file that cannot be read is reported with
// the common error message.
void showLicenseDialog(QWidget* parent, const std::filesystem::path& licenseFile);

}  // namespace vz::gui
