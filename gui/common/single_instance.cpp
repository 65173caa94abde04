#include "gui/common/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <utility>

#include "gui/common/qt_setup.h"

namespace vz::gui {

namespace {
const QByteArray kActivate = QByteArrayLiteral("activate\n");

// The home folder's hash keeps two users' programs apart on one machine.
QString userTag() {
    return QString::fromLatin1(
        QCryptographicHash::hash(QDir::homePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12));
}
}  // namespace

QString mainServerName() {
    return QStringLiteral("vellicor-vovoziruzu-") + userTag();
}
QString importServerName() {
    return QStringLiteral("vellicor-vovoziruzu-import-") + userTag();
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), name_(std::move(serverName)) {}

SingleInstance::~SingleInstance() {
    if (server_)
        server_->close();
}

bool SingleInstance::listen() {
    if (isListening())
        return true;
    {
        QLocalSocket probe;
        probe.connectToServer(name_);
        if (probe.waitForConnected(300)) {
            probe.disconnectFromServer();
            return false;
        }
    }
    // Nobody answers: a socket left by a crashed copy may stand in the way.
    QLocalServer::removeServer(name_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return true;
}

bool SingleInstance::isListening() const {
    return server_ && server_->isListening();
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray data = socket->readAll();
            if (!data.contains("activate"))
                return;
            bringToFront(window_);
            emit activated();
            socket->write("ok\n");
            socket->flush();
        });
    }
}

bool SingleInstance::notifyRunning(const QString& serverName, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The answer tells that the window came forward; a copy busy in a long
    // command answers late, which still counts as running.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

}  // namespace vz::gui
