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

bool SingleInstance::claim(const QString& dataFolder) {
    QLocalSocket other;
    other.connectToServer(key_);
    if (other.waitForConnected(kAnswerWaitMs)) {
        // "raise", then the folder asked for on a line of its own (UTF-8).
        other.write("raise\n" + dataFolder.toUtf8() + "\n");
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
            // The request is read whole when the later start hangs up (it writes, then goes),
            // which it may have done already.
            const auto answer = [this, socket] {
                const QList<QByteArray> lines = socket->readAll().split('\n');
                socket->deleteLater();
                emit activationRequested(lines.size() > 1 ? QString::fromUtf8(lines[1])
                                                          : QString());
            };
            if (socket->state() == QLocalSocket::UnconnectedState) {
                answer();
            } else {
                connect(socket, &QLocalSocket::disconnected, this, answer);
            }
        }
    });
    return true;
}

}  // namespace zelvan
