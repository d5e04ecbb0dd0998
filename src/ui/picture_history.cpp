#include "ui/picture_history.h"

#include <QUndoCommand>
#include <vector>

namespace kirimo::ui {

namespace {

class PictureStep : public QUndoCommand {
  public:
    PictureStep(const QString& text, QImage before, QImage after,
                const std::function<void(const QImage&)>& show)
        : QUndoCommand(text), before_(std::move(before)), after_(std::move(after)), show_(show) {}

    // The operation itself already ran: pushing the step shows nothing.
    void redo() override {
        if (applied_)
            show_(after_);
        applied_ = true;
    }
    void undo() override { show_(before_); }

    const QImage& before() const { return before_; }
    const QImage& after() const { return after_; }

  private:
    QImage before_;
    QImage after_;
    const std::function<void(const QImage&)>& show_;
    bool applied_ = false;
};

const PictureStep* stepAt(const QUndoStack& stack, int index) {
    return static_cast<const PictureStep*>(stack.command(index));
}

}  // namespace

PictureHistory::PictureHistory(std::function<void(const QImage&)> show, QObject* parent)
    : QObject(parent), show_(std::move(show)) {}

void PictureHistory::record(const QString& text, const QImage& before, const QImage& after) {
    if (before.cacheKey() == after.cacheKey())
        return;
    stack_.push(new PictureStep(text, before, after, show_));
    dropOldestOverBudget();
}

qint64 PictureHistory::bytes() const {
    if (stack_.count() == 0)
        return 0;
    qint64 total = stepAt(stack_, 0)->before().sizeInBytes();
    for (int i = 0; i < stack_.count(); ++i)
        total += stepAt(stack_, i)->after().sizeInBytes();
    return total;
}

void PictureHistory::setBudgetBytes(qint64 bytes) {
    budget_ = bytes;
    dropOldestOverBudget();
}

void PictureHistory::dropOldestOverBudget() {
    if (bytes() <= budget_)
        return;
    // QUndoStack cannot drop its oldest steps: the newest that fit are pushed again on an
    // emptied stack (pushing a step shows nothing). Steps undone are gone after a push.
    const int count = stack_.index();
    int first = count;
    qint64 total = 0;
    while (first > 0) {
        const PictureStep* step = stepAt(stack_, first - 1);
        const qint64 more = step->after().sizeInBytes() + step->before().sizeInBytes();
        if (total + more > budget_)
            break;
        total += step->after().sizeInBytes();
        --first;
    }
    struct Kept {
        QString text;
        QImage before;
        QImage after;
    };
    std::vector<Kept> kept;
    for (int i = first; i < count; ++i) {
        const PictureStep* step = stepAt(stack_, i);
        kept.push_back({step->text(), step->before(), step->after()});
    }
    stack_.clear();
    for (Kept& step : kept)
        stack_.push(
            new PictureStep(step.text, std::move(step.before), std::move(step.after), show_));
}

}  // namespace kirimo::ui
