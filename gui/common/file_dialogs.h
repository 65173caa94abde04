#pragma once

// File dialogs of both programs. Each goes through chooseFile(), so a test can
// answer it without a modal loop (setFileDialogHandler).

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace vz::gui {

struct FileDialogRequest {
    enum class Mode { Open, Save, OpenMany } mode = Mode::Open;
    QString title{};
    QString folder{};    // where the dialog starts
    QString filter{};    // Qt form: "Race Files (*.rac)"
    QString fileName{};  // proposed name (save)
    // Save only: ask before replacing. Our commands ask themselves.
    bool confirmOverwrite = false;
    // Save only: added when the typed name has no extension.
    QString defaultSuffix{};
};

// The chosen paths; nullopt when cancelled. Open and Save give one path.
using FileDialogHandler = std::function<std::optional<QStringList>(const FileDialogRequest&)>;

void setFileDialogHandler(FileDialogHandler handler);

std::optional<QStringList> chooseFiles(QWidget* parent, const FileDialogRequest& request);
std::optional<QString> chooseFile(QWidget* parent, const FileDialogRequest& request);

// For tests: answers from a queue (cancel when empty) and records the requests.
class FileDialogScript {
  public:
    FileDialogScript();
    ~FileDialogScript();
    FileDialogScript(const FileDialogScript&) = delete;
    FileDialogScript& operator=(const FileDialogScript&) = delete;

    void choose(const QString& path) { answers_.push_back(QStringList{path}); }
    void cancel() { answers_.push_back(std::nullopt); }
    const std::vector<FileDialogRequest>& requests() const { return requests_; }

  private:
    std::vector<FileDialogRequest> requests_;
    std::vector<std::optional<QStringList>> answers_;
};

}  // namespace vz::gui
