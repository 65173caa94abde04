#include "gui/common/messages.h"

#include <utility>

namespace vz::gui {

namespace {
MessageHandler& handlerSlot() {
    static MessageHandler handler;
    return handler;
}
}  // namespace

void setMessageHandler(MessageHandler handler) {
    handlerSlot() = std::move(handler);
}

QMessageBox::StandardButton showMessage(QWidget* parent, const MessageRequest& request) {
    if (handlerSlot())
        return handlerSlot()(request);
    QMessageBox box(request.icon, request.title, request.text, request.buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString commonErrorText(const vz::Error& e) {
    return QString::fromStdString(e.what()) + QStringLiteral(" - ") + QString::number(e.number());
}

void showCommonError(QWidget* parent, const vz::Error& e) {
    showMessage(parent, {QMessageBox::Critical, kAppTitle, commonErrorText(e), QMessageBox::Ok});
}

void showCommonError(QWidget* parent, const std::exception& e) {
    if (auto* ve = dynamic_cast<const vz::Error*>(&e)) {
        showCommonError(parent, *ve);
        return;
    }
    showCommonError(parent, vz::Error(e.what()));
}

void inform(QWidget* parent, const QString& title, const QString& text, QMessageBox::Icon icon) {
    showMessage(parent, {icon, title, text, QMessageBox::Ok});
}

bool askYesNo(QWidget* parent, const QString& title, const QString& text, QMessageBox::Icon icon) {
    return showMessage(parent, {icon, title, text, QMessageBox::Yes | QMessageBox::No}) ==
           QMessageBox::Yes;
}

MessageRecorder::MessageRecorder() {
    setMessageHandler([this](const MessageRequest& r) {
        messages_.push_back(r);
        if (!answers_.empty()) {
            auto a = answers_.front();
            answers_.erase(answers_.begin());
            return a;
        }
        return (r.buttons & QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    });
}

MessageRecorder::~MessageRecorder() {
    setMessageHandler({});
}

}  // namespace vz::gui
