#pragma once
// Undo and redo of whole pictures: each step holds the picture before and after one
// operation (QImage shares the pixels of neighbouring steps, so a step costs about one
// picture), and the oldest steps are dropped when their pictures together pass the
// budget. Recording never fails an operation.

#include <QImage>
#include <QObject>
#include <QString>
#include <QUndoStack>
#include <functional>

namespace kirimo::ui {

class PictureHistory : public QObject {
    Q_OBJECT
  public:
    static constexpr qint64 kDefaultBudgetBytes = 256LL * 1024 * 1024;

    // `show` puts a picture of the history back on the window.
    explicit PictureHistory(std::function<void(const QImage&)> show, QObject* parent = nullptr);

    QUndoStack& stack() { return stack_; }

    // Records an operation already applied: the picture before it and after it. An
    // operation that left the picture untouched (the same image) is not a step; one that
    // wrote the same pixels again is, so that undo never skips back past it.
    void record(const QString& text, const QImage& before, const QImage& after);

    // Forgets every step (another picture was opened).
    void clear() { stack_.clear(); }

    // The bytes of the pictures the steps hold, and the most they may hold.
    qint64 bytes() const;
    void setBudgetBytes(qint64 bytes);

  private:
    void dropOldestOverBudget();

    std::function<void(const QImage&)> show_;
    QUndoStack stack_;
    qint64 budget_ = kDefaultBudgetBytes;
};

}  // namespace kirimo::ui
