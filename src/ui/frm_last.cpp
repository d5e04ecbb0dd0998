#include "ui/frm_last.h"

#include <QListWidget>
#include <QPushButton>

#include "core/file_names.h"
#include "core/file_system.h"
#include "ui/twips.h"
#include "ui/widget_names.h"

namespace kirimo::ui {

FrmLast::FrmLast(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmLAST"));
    setWindowTitle(QStringLiteral("履歴"));

    clearButton_ = named(new QPushButton(QStringLiteral("履歴ｸﾘｱ"), this), "cmdCLR");
    clearButton_->adjustSize();
    names_ = named(new QListWidget(this), "lstLAST(0)");
    paths_ = named(new QListWidget(this), "lstLAST(1)");
    paths_->hide();

    connect(clearButton_, &QPushButton::clicked, this, &FrmLast::clear);
    connect(names_, &QListWidget::itemClicked, this, &FrmLast::onItemClicked);
    connect(names_, &QListWidget::itemActivated, this, &FrmLast::onItemClicked);
    resize(twipsToPixels(3200), twipsToPixels(3600));
}

void FrmLast::add(const QString& path) {
    if (entries().contains(path))
        return;
    names_->addItem(displayPath(getFileName(path, 0)));
    paths_->addItem(path);
}

void FrmLast::setEntries(const QStringList& paths) {
    clear();
    for (const QString& path : paths) {
        names_->addItem(displayPath(getFileName(path, 0)));
        paths_->addItem(path);
    }
}

QStringList FrmLast::entries() const {
    QStringList list;
    list.reserve(paths_->count());
    for (int i = 0; i < paths_->count(); ++i)
        list.append(paths_->item(i)->text());
    return list;
}

void FrmLast::clear() {
    names_->clear();
    paths_->clear();
}

void FrmLast::onItemClicked(QListWidgetItem* item) {
    const int row = names_->row(item);
    if (row >= 0 && row < paths_->count())
        emit entryChosen(paths_->item(row)->text());
}

void FrmLast::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int margin = twipsToPixels(120);
    clearButton_->move(margin, margin);
    const int top = clearButton_->geometry().bottom() + 1 + margin;
    const int listHeight = height() - twipsToPixels(240) - top;
    if (listHeight > 0)
        names_->setGeometry(0, top, width(), listHeight);
}

}  // namespace kirimo::ui
