#include "ui/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QUrl>
#include <memory>

namespace kirimo::ui {

namespace {

// Paths travel as UTF-8, each ended by a zero byte, which no path contains.
constexpr char kSeparator = '\0';
// More than any list of paths a desktop passes; a longer message is cut off there.
constexpr qint64 kMessageLimit = 1 << 20;
constexpr int kSendTimeoutMs = 5000;

QString socketPath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("kirimo.socket"));
}

QStringList decodePaths(const QByteArray& message) {
    QStringList paths;
    qsizetype start = 0;
    for (qsizetype end = message.indexOf(kSeparator); end >= 0;
         end = message.indexOf(kSeparator, start)) {
        if (end > start)
            paths.append(QString::fromUtf8(message.mid(start, end - start)));
        start = end + 1;
    }
    return paths;  // a piece without its ending byte was cut off and is dropped
}

}  // namespace

SingleInstance::SingleInstance(const QString& folder) : folder_(folder) {
    if (folder_.isEmpty())
        folder_ = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder_.isEmpty())
        folder_ = QDir::tempPath();
    QDir().mkpath(folder_);
    lock_ = std::make_unique<QLockFile>(QDir(folder_).filePath(QStringLiteral("kirimo.lock")));
    // The lock is held for the whole run, so its age says nothing; a lock whose process
    // has ended is still taken over.
    lock_->setStaleLockTime(0);
    const bool locked = lock_->tryLock(0);
    // A folder where no lock can be made at all does not keep the program from running.
    held_ = locked || lock_->error() != QLockFile::LockFailedError;
    if (!locked)
        return;

    // Holding the lock, this copy owns the socket name: one left by a copy that ended
    // without cleaning up is removed.
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath(folder_));
    server_->listen(socketPath(folder_));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::sendPaths(const QStringList& paths) const {
    QByteArray message;
    for (const QString& path : paths) {
        message += path.toUtf8();
        message += kSeparator;
    }
    QLocalSocket socket;
    socket.connectToServer(socketPath(folder_));
    if (!socket.waitForConnected(kSendTimeoutMs))
        return false;
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kSendTimeoutMs))
            return false;
    }
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::startReceiving() {
    if (receiving_ || server_ == nullptr)
        return;
    receiving_ = true;
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    acceptConnections();
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        auto message = std::make_shared<QByteArray>();
        auto readMore = [socket, message] {
            message->append(socket->read(kMessageLimit - message->size()));
            if (message->size() >= kMessageLimit)
                socket->abort();
        };
        auto finish = [this, socket, message, readMore] {
            readMore();
            socket->deleteLater();
            const QStringList paths = decodePaths(*message);
            if (!paths.isEmpty())
                emit pathsReceived(paths);
        };
        connect(socket, &QLocalSocket::readyRead, socket, readMore);
        // A sender that has already gone left its message in the socket's buffer.
        if (socket->state() == QLocalSocket::UnconnectedState)
            finish();
        else
            connect(socket, &QLocalSocket::disconnected, this, finish);
    }
}

QStringList absolutePicturePaths(const QStringList& arguments, const QString& folder) {
    QStringList paths;
    const QDir base(folder);
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        QString path = argument;
        if (argument.startsWith(QLatin1String("file:"))) {
            const QUrl url(argument);
            if (url.isLocalFile())
                path = url.toLocalFile();
        }
        paths.append(QDir::toNativeSeparators(QDir::cleanPath(base.absoluteFilePath(path))));
    }
    return paths;
}

}  // namespace kirimo::ui
