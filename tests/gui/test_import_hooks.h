#pragma once

// Scripted answers for the Import windows' dialogs, so that no test blocks on
// a real file dialog or message box. Each call is recorded.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

#include "gui/import/ui_hooks.h"

namespace vz::test {

class ScriptedHooks : public gui::ImportUiHooks {
  public:
    struct Call {
        QString kind;    // "open", "save", "ask", "inform", "warn"
        QString window;  // caption of the parent window
        QString title;
        QString text;  // start folder for dialogs, message text otherwise
        QString filter;
    };

    // Answers in order; an exhausted queue answers as a cancel (empty) or No.
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<bool> askAnswers;
    // Run before an open dialog answers (e.g. to look at the window).
    std::function<void(QWidget*)> beforeOpenAnswer;

    std::vector<Call> calls;

    QString openFile(QWidget* parent, const QString& title, const QString& folder,
                     const QString& filter) override {
        record("open", parent, title, folder, filter);
        if (beforeOpenAnswer) {
            beforeOpenAnswer(parent);
        }
        return take(openAnswers);
    }
    QString saveFile(QWidget* parent, const QString& title, const QString& start,
                     const QString& filter) override {
        record("save", parent, title, start, filter);
        return take(saveAnswers);
    }
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override {
        record("ask", parent, title, text, {});
        if (askAnswers.empty()) {
            return false;
        }
        const bool answer = askAnswers.front();
        askAnswers.pop_front();
        return answer;
    }
    void inform(QWidget* parent, const QString& title, const QString& text) override {
        record("inform", parent, title, text, {});
    }
    void warn(QWidget* parent, const QString& title, const QString& text) override {
        record("warn", parent, title, text, {});
    }

    std::vector<Call> callsOf(const QString& kind) const {
        std::vector<Call> out;
        for (const Call& c : calls) {
            if (c.kind == kind) {
                out.push_back(c);
            }
        }
        return out;
    }
    QStringList kinds() const {
        QStringList out;
        for (const Call& c : calls) {
            out << c.kind;
        }
        return out;
    }

  private:
    void record(const char* kind, QWidget* parent, const QString& title, const QString& text,
                const QString& filter) {
        calls.push_back({QString::fromLatin1(kind),
                         parent != nullptr ? parent->windowTitle() : QString(), title, text,
                         filter});
    }
    static QString take(std::deque<QString>& q) {
        if (q.empty()) {
            return {};
        }
        QString s = q.front();
        q.pop_front();
        return s;
    }
};

}  // namespace vz::test
