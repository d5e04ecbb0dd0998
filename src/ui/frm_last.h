#pragma once
// The history window: every picture file opened, in the order of first opening. The
// visible list shows file names; a hidden list beside it holds the full paths.

#include <QStringList>
#include <QWidget>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace kirimo::ui {

class FrmLast : public QWidget {
    Q_OBJECT
  public:
    explicit FrmLast(QWidget* parent = nullptr);

    // Appends the path unless an entry is exactly that text already.
    void add(const QString& path);
    void setEntries(const QStringList& paths);
    QStringList entries() const;
    void clear();

  signals:
    // An entry was clicked; its full path.
    void entryChosen(const QString& path);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void onItemClicked(QListWidgetItem* item);

    QListWidget* names_ = nullptr;  // lstLAST(0)
    QListWidget* paths_ = nullptr;  // lstLAST(1)
    QPushButton* clearButton_ = nullptr;
};

}  // namespace kirimo::ui
