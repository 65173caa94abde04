#include "gui/common/file_dialogs.h"

#include <QFileDialog>
#include <utility>

namespace vz::gui {

namespace {
FileDialogHandler& handlerSlot() {
    static FileDialogHandler handler;
    return handler;
}
}  // namespace

void setFileDialogHandler(FileDialogHandler handler) {
    handlerSlot() = std::move(handler);
}

std::optional<QStringList> chooseFiles(QWidget* parent, const FileDialogRequest& request) {
    if (handlerSlot())
        return handlerSlot()(request);
    QFileDialog dialog(parent, request.title, request.folder, request.filter);
    switch (request.mode) {
        case FileDialogRequest::Mode::Open:
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
            break;
        case FileDialogRequest::Mode::OpenMany:
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFiles);
            break;
        case FileDialogRequest::Mode::Save:
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            if (!request.confirmOverwrite)
                dialog.setOption(QFileDialog::DontConfirmOverwrite);
            if (!request.fileName.isEmpty())
                dialog.selectFile(request.fileName);
            break;
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return files;
}

std::optional<QString> chooseFile(QWidget* parent, const FileDialogRequest& request) {
    auto files = chooseFiles(parent, request);
    if (!files || files->isEmpty())
        return std::nullopt;
    return files->front();
}

FileDialogScript::FileDialogScript() {
    setFileDialogHandler([this](const FileDialogRequest& r) -> std::optional<QStringList> {
        requests_.push_back(r);
        if (answers_.empty())
            return std::nullopt;
        auto a = answers_.front();
        answers_.erase(answers_.begin());
        return a;
    });
}

FileDialogScript::~FileDialogScript() {
    setFileDialogHandler({});
}

}  // namespace vz::gui
