#pragma once

// One running copy of a program per user: the running copy holds a local
// server; a second start (or the main program's Import command) sends it a
// message that brings its window forward.

#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

namespace vz::gui {

// Server names of the two programs (per user).
QString mainServerName();
QString importServerName();

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(QString serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Starts listening unless another copy already answers. False when one
    // does: the caller then calls notifyRunning() and ends.
    bool listen();
    bool isListening() const;

    // When a message arrives, `window` is brought forward (and activated()
    // is emitted).
    void setWindow(QWidget* window) { window_ = window; }

    // Tells the running copy to come forward; false when none answered.
    static bool notifyRunning(const QString& serverName, int timeoutMs = 1000);

  signals:
    void activated();

  private:
    void onNewConnection();

    QString name_;
    QLocalServer* server_ = nullptr;
    QWidget* window_ = nullptr;
};

}  // namespace vz::gui
