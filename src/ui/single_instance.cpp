#include "ui/single_instance.h"
#include "core/file_system.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

#include "ui/hand_off_message.h"

namespace kirimo::ui {

namespace {

constexpr int kSendTimeoutMs = 5000;

QString socketPath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("kirimo.socket"));
}

// Hands each accepted connection to `take` at once, instead of queueing it unread (a
// queued socket would read whatever its sender writes).
class HandOffServer final : public QLocalServer {
  public:
    HandOffServer(QObject* parent, std::function<void(quintptr)> take)
        : QLocalServer(parent), take_(std::move(take)) {}

  protected:
    void incomingConnection(quintptr descriptor) override { take_(descriptor); }

  private:
    std::function<void(quintptr)> take_;
};

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
    server_ = new HandOffServer(this, [this](quintptr descriptor) { takeConnection(descriptor); });
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath(folder_));
    server_->listen(socketPath(folder_));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::sendPaths(const QStringList& paths) const {
    QList<QByteArray> encoded;
    for (const QString& path : paths) {
        encoded.append(encodePath(path));
    }
    const QByteArray message = handOffMessage(encoded);
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
    if (receiving_)
        return;
    receiving_ = true;
    while (!waiting_.empty()) {
        const QStringList paths = std::move(waiting_.front());
        waiting_.pop_front();
        emit pathsReceived(paths);
    }
}

void SingleInstance::takeConnection(quintptr descriptor) {
    auto* socket = new QLocalSocket(this);
    // The socket itself buffers no more than the message may hold.
    socket->setReadBufferSize(kHandOffMessageLimit);
    const bool opened = socket->setSocketDescriptor(descriptor);
    if (!opened || connections_ >= kMaxConnections) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++connections_;
    auto message = std::make_shared<QByteArray>();
    auto ended = std::make_shared<bool>(false);
    // The connection ends when its sender closes it, when the message reaches its limit
    // (the rest is never read) or when it has taken too long; its complete paths count.
    auto end = [this, socket, message, ended] {
        if (*ended)
            return;
        *ended = true;
        --connections_;
        socket->disconnect();
        socket->abort();
        socket->deleteLater();
        deliver(parseHandOffMessage(*message));
    };
    auto readMore = [socket, message, end] {
        message->append(socket->read(kHandOffMessageLimit - message->size()));
        if (message->size() >= kHandOffMessageLimit)
            end();
    };
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, end);
    deadline->start(timeoutMs_);
    connect(socket, &QLocalSocket::readyRead, this, readMore);
    connect(socket, &QLocalSocket::disconnected, this, [readMore, end] {
        readMore();
        end();
    });
    if (socket->state() == QLocalSocket::UnconnectedState) {
        readMore();
        end();
    }
}

void SingleInstance::deliver(const QList<QByteArray>& pieces) {
    QStringList paths;
    for (const QByteArray& piece : pieces) {
        // A name that is not UTF-8 keeps its bytes.
        paths.append(decodePath(piece));
    }
    if (paths.isEmpty())
        return;
    if (receiving_) {
        emit pathsReceived(paths);
        return;
    }
    if (waiting_.size() >= kMaxWaitingMessages)
        waiting_.pop_front();
    waiting_.push_back(paths);
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
                path = localFilePath(url);
        }
        paths.append(QDir::toNativeSeparators(QDir::cleanPath(base.absoluteFilePath(path))));
    }
    return paths;
}

}  // namespace kirimo::ui
