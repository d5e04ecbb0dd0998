#include "ui/single_instance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace kirimo::ui {

SingleInstance::SingleInstance(const QString& folder) {
    QString lockFolder = folder;
    if (lockFolder.isEmpty())
        lockFolder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (lockFolder.isEmpty())
        lockFolder = QDir::tempPath();
    QDir().mkpath(lockFolder);
    lock_ = std::make_unique<QLockFile>(QDir(lockFolder).filePath(QStringLiteral("kirimo.lock")));
    // The lock is held for the whole run, so its age says nothing; a lock whose process
    // has ended is still taken over.
    lock_->setStaleLockTime(0);
    // A folder where no lock can be made at all does not keep the program from running.
    held_ = lock_->tryLock(0) || lock_->error() != QLockFile::LockFailedError;
}

SingleInstance::~SingleInstance() = default;

}  // namespace kirimo::ui
