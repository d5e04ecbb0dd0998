#include "ui/frm_colset.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

#include "ui/dialogs.h"
#include "ui/widget_names.h"

namespace kirimo::ui {

namespace {

const QString kTitle = QStringLiteral("Kirimo");

QIcon swatch(const Bead& bead) {
    QPixmap pixmap(16, 16);
    pixmap.fill(QColor(bead.red, bead.green, bead.blue));
    return QIcon(pixmap);
}

}  // namespace

FrmColSet::FrmColSet(Dialogs& dialogs, const ProductLine& line, ColourBinding binding,
                     Rgb userColour, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), line_(line), binding_(binding), userColour_(userColour) {
    setObjectName(QStringLiteral("frmCOLSET"));
    setWindowTitle(QStringLiteral("色セット編集（%1）").arg(line.name));
    setModal(true);

    colours_ = named(new QListWidget(this), "lstCOLOURS");
    beads_ = named(new QListWidget(this), "lstBEADS");
    search_ = named(new QLineEdit(this), "txtSEARCH");
    search_->setPlaceholderText(QStringLiteral("ｺｰﾄﾞで検索"));
    auto* bindButton = named(new QPushButton(QStringLiteral("割り当て"), this), "cmdBIND");
    auto* clear = named(new QPushButton(QStringLiteral("外す"), this), "cmdCLEAR");
    auto* automatic = named(new QPushButton(QStringLiteral("自動"), this), "cmdAUTO");
    auto* ok = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    auto* cancel = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "cmdCANCEL");

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("色"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("ﾋﾞｰｽﾞ"), this), 0, 1);
    layout->addWidget(colours_, 1, 0, 2, 1);
    layout->addWidget(search_, 1, 1);
    layout->addWidget(beads_, 2, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {bindButton, clear, automatic, ok, cancel})
        buttons->addWidget(button);
    layout->addLayout(buttons, 3, 0, 1, 2);
    resize(560, 460);

    connect(search_, &QLineEdit::textChanged, this, &FrmColSet::showBeads);
    const auto bindSelected = [this] {
        if (colours_->currentRow() >= 0 && beads_->currentItem() != nullptr)
            bind(colours_->currentRow(), beads_->currentItem()->data(Qt::UserRole).toInt());
    };
    connect(bindButton, &QPushButton::clicked, this, bindSelected);
    connect(beads_, &QListWidget::itemDoubleClicked, this, bindSelected);
    connect(clear, &QPushButton::clicked, this, [this] {
        if (colours_->currentRow() < 0)
            return;
        binding_[static_cast<size_t>(colours_->currentRow())].reset();
        showColours();
        showBeads();
    });
    connect(automatic, &QPushButton::clicked, this, [this] {
        binding_ = automaticBinding(line_.beads, userColour_);
        showColours();
        showBeads();
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    showColours();
    colours_->setCurrentRow(0);
    showBeads();
}

bool FrmColSet::bind(int colour, int bead) {
    if (colour < 0 || colour >= kColourCount || bead < 0 ||
        static_cast<size_t>(bead) >= line_.beads.size())
        return false;
    ColourBinding next = binding_;
    const auto previous = next[static_cast<size_t>(colour)];
    for (auto& bound : next) {
        if (bound == bead)
            bound = previous;  // the colour that had the bead takes this colour's old one
    }
    next[static_cast<size_t>(colour)] = bead;
    if (!bindingValid(next, line_.beads)) {
        dialogs_.inform(this, kTitle,
                        QStringLiteral("同じ色のﾋﾞｰｽﾞがほかの色に割り当てられています。（%1）")
                            .arg(line_.beads[static_cast<size_t>(bead)].code),
                        MessageIcon::Exclamation);
        return false;
    }
    binding_ = next;
    showColours();
    showBeads();
    return true;
}

void FrmColSet::showColours() {
    const int row = colours_->currentRow();
    colours_->clear();
    for (int n = 0; n < kColourCount; ++n) {
        const auto& index = binding_[static_cast<size_t>(n)];
        auto* item = new QListWidgetItem(colours_);
        if (index) {
            const Bead& bead = line_.beads[static_cast<size_t>(*index)];
            item->setIcon(swatch(bead));
            item->setText(QStringLiteral("%1  %2 %3").arg(colourName(n), bead.code, bead.name));
        } else {
            item->setText(QStringLiteral("%1  （使わない）").arg(colourName(n)));
        }
    }
    colours_->setCurrentRow(row);
}

void FrmColSet::showBeads() {
    const QString wanted = search_->text().trimmed();
    beads_->clear();
    for (size_t i = 0; i < line_.beads.size(); ++i) {
        const Bead& bead = line_.beads[i];
        if (!bead.code.contains(wanted, Qt::CaseInsensitive))
            continue;
        QString text = bead.code + u' ' + bead.name;
        for (int n = 0; n < kColourCount; ++n) {
            if (binding_[static_cast<size_t>(n)] == static_cast<int>(i))
                text += QStringLiteral("  ← %1").arg(colourName(n));
        }
        auto* item = new QListWidgetItem(swatch(bead), text, beads_);
        item->setData(Qt::UserRole, static_cast<int>(i));
    }
}

}  // namespace kirimo::ui
