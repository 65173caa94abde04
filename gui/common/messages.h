#pragma once

// Message boxes of both programs. Every box goes through showMessage(), so a
// test can answer it without a modal loop (setMessageHandler).

#include <QMessageBox>
#include <QString>
#include <exception>
#include <functional>
#include <vector>

#include "core/base/error.h"

namespace vz::gui {

inline const QString kAppTitle = QStringLiteral("Vellicor Vovoziruzu");

struct MessageRequest {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

using MessageHandler = std::function<QMessageBox::StandardButton(const MessageRequest&)>;

// Replaces the real boxes (tests); an empty handler restores them.
void setMessageHandler(MessageHandler handler);

QMessageBox::StandardButton showMessage(QWidget* parent, const MessageRequest& request);

// "description - number": the common error message's text.
QString commonErrorText(const vz::Error& e);
// The common error message: OK only, the application's title.
void showCommonError(QWidget* parent, const vz::Error& e);
// Any other exception is shown the same way with number 0.
void showCommonError(QWidget* parent, const std::exception& e);

// A plain OK box.
void inform(QWidget* parent, const QString& title, const QString& text,
            QMessageBox::Icon icon = QMessageBox::Information);
// A Yes/No question; true on Yes.
bool askYesNo(QWidget* parent, const QString& title, const QString& text,
              QMessageBox::Icon icon = QMessageBox::Question);

// For tests: records every box and answers from a queue (Yes/OK when empty).
class MessageRecorder {
  public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void answer(QMessageBox::StandardButton next) { answers_.push_back(next); }
    const std::vector<MessageRequest>& messages() const { return messages_; }
    void clear() { messages_.clear(); }
    // The last message's text, or an empty text.
    QString lastText() const { return messages_.empty() ? QString() : messages_.back().text; }
    QString lastTitle() const { return messages_.empty() ? QString() : messages_.back().title; }

  private:
    std::vector<MessageRequest> messages_;
    std::vector<QMessageBox::StandardButton> answers_;
};

}  // namespace vz::gui
