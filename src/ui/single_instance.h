#pragma once
// One running copy of the program: the first copy holds a lock file in the user's
// runtime folder for its whole run; a lock left behind by a copy that has ended does not
// count.

#include <QString>
#include <memory>

class QLockFile;

namespace kirimo::ui {

class SingleInstance {
  public:
    // Takes the lock in folder (created when missing); an empty folder means the user's
    // runtime folder.
    explicit SingleInstance(const QString& folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another running copy holds the lock.
    bool isFirst() const { return held_; }

  private:
    std::unique_ptr<QLockFile> lock_;
    bool held_ = false;
};

}  // namespace kirimo::ui
