#pragma once

#include <QString>

class QWidget;

namespace vz::gui {

// Every file dialog and message box of the Import program goes through this
// interface, so that a test can answer them without a window ever blocking.
// Message texts keep the system's CR line breaks; the default implementation
// turns them into line breaks on screen.
class ImportUiHooks {
  public:
    virtual ~ImportUiHooks() = default;

    // Empty when the user cancels. `filter` uses the "Name|pattern|Name|pattern"
    // form of the import descriptions.
    virtual QString openFile(QWidget* parent, const QString& title, const QString& folder,
                             const QString& filter) = 0;
    // `start` is the folder (or the file name last chosen) the dialog starts in.
    // The dialog itself never asks about overwriting: the caller does.
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& start,
                             const QString& filter) = 0;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    // Message with an OK button.
    virtual void inform(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void warn(QWidget* parent, const QString& title, const QString& text) = 0;
};

// Real dialogs and message boxes.
class DefaultImportUiHooks : public ImportUiHooks {
  public:
    QString openFile(QWidget* parent, const QString& title, const QString& folder,
                     const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& start,
                     const QString& filter) override;
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;
    void inform(QWidget* parent, const QString& title, const QString& text) override;
    void warn(QWidget* parent, const QString& title, const QString& text) override;
};

// Title of the Import program's own messages.
inline QString importAppTitle() {
    return QStringLiteral("Import");
}

// "Name|pattern|Name|pattern" as a Qt file dialog filter. The catch-all
// pattern "*.*" becomes "*", so that files without an extension (a QAV TEST
// file is called TEST) are listed.
QString qtFileFilter(const QString& pipeFilter);

// CR (and CR LF) line breaks as shown on screen.
QString screenText(const QString& text);

}  // namespace vz::gui
