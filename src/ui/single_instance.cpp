#include "ui/single_instance.h"

#include <unistd.h>
#include <QLocalServer>
#include <QLocalSocket>

namespace zelvan {
namespace {

constexpr int kAnswerWaitMs = 1000;

}  // namespace

SingleInstance::SingleInstance(QString key, QObject* parent)
    : QObject(parent), key_(std::move(key)) {}

QString SingleInstance::defaultKey() {
    return QStringLiteral("zelvan-timetable-%1").arg(static_cast<qulonglong>(::getuid()));
}

bool SingleInstance::claim() {
    QLocalSocket other;
    other.connectToServer(key_);
    if (other.waitForConnected(kAnswerWaitMs)) {
        other.write("raise\n");
        other.waitForBytesWritten(kAnswerWaitMs);
        other.disconnectFromServer();
        return false;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(key_)) {
        // A socket left behind by an instance that crashed: nobody answered on it above.
        QLocalServer::removeServer(key_);
        server_->listen(key_);
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            emit activationRequested();
        }
    });
    return true;
}

}  // namespace zelvan
