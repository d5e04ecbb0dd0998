#pragma once
// One running copy of the program: the first copy holds a lock file in the user's
// runtime folder for its whole run; a lock left behind by a copy that has ended does not
// count. Next to the lock the first copy listens on a local socket, through which a later
// copy hands over the pictures it was asked to open before it ends (hand_off_message.h).
// What a connection may cost is bounded: a few connections at a time, each read up to
// kHandOffMessageLimit and closed after a few seconds at most.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>

class QLocalServer;
class QLockFile;

namespace kirimo::ui {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // Takes the lock in folder (created when missing); an empty folder means the user's
    // runtime folder. The copy that takes it starts listening at once; what arrives waits
    // until startReceiving().
    explicit SingleInstance(const QString& folder = {});
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another running copy holds the lock.
    bool isFirst() const { return held_; }

    // Hands paths to the running copy; false when it cannot be reached. Relative paths
    // are taken as they are: the caller makes them absolute first.
    bool sendPaths(const QStringList& paths) const;

    // From now on pathsReceived is emitted, first for what arrived before (the last
    // kMaxWaitingMessages messages).
    void startReceiving();

    // How long a connection may take from its start to its end; one still open then is
    // closed, and the paths it completed count. The default suits any sender that works.
    void setConnectionTimeout(int milliseconds) { timeoutMs_ = milliseconds; }

    // Connections read at once; one beyond them is closed unread.
    static constexpr int kMaxConnections = 8;
    // Messages kept while receiving has not started.
    static constexpr int kMaxWaitingMessages = 8;

  signals:
    // Paths handed over by a later copy, in the order it gave them; never empty.
    void pathsReceived(const QStringList& paths);

  private:
    void takeConnection(quintptr descriptor);
    void deliver(const QList<QByteArray>& paths);

    bool receiving_ = false;
    int connections_ = 0;
    int timeoutMs_ = 5000;
    std::deque<QStringList> waiting_;

    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    bool held_ = false;
};

// The paths a start was asked to open, made absolute against folder; file: URLs, as some
// desktops pass them, become local paths.
QStringList absolutePicturePaths(const QStringList& arguments, const QString& folder);

}  // namespace kirimo::ui
