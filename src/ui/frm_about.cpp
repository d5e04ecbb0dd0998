#include "ui/frm_about.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "kirimo/version.h"
#include "ui/widget_names.h"

namespace kirimo::ui {

namespace {

// A small dot picture in the standard colours, the program's emblem.
QPixmap emblem() {
    constexpr int kDot = 8;
    constexpr int kSide = 8;
    const QColor colours[] = {Qt::black, Qt::white,  Qt::red,  Qt::blue,
                              Qt::green, Qt::yellow, Qt::cyan, QColor(0, 128, 0)};
    QPixmap pixmap(kDot * kSide, kDot * kSide);
    QPainter painter(&pixmap);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x)
            painter.fillRect(x * kDot, y * kDot, kDot, kDot, colours[(x * 3 + y * 5) % 8]);
    }
    return pixmap;
}

}  // namespace

FrmAbout::FrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmABOUT"));
    setWindowTitle(QStringLiteral("「%1」のﾊﾞｰｼﾞｮﾝ情報").arg(QLatin1String(version::kProductName)));

    auto* picture = named(new QLabel(this), "Picture1");
    picture->setPixmap(emblem());
    auto* name = named(new QLabel(QLatin1String(version::kProductName), this), "lblPRODUCT");
    QFont large = name->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    name->setFont(large);
    auto* versionLabel = named(new QLabel(QStringLiteral("Version %1.%2.%3")
                                              .arg(version::kMajor)
                                              .arg(version::kMinor)
                                              .arg(version::kRevision),
                                          this),
                               "lblVERSION");
    auto* legal = named(new QLabel(QString::fromUtf8(version::kLegalNotice), this), "lblLEGAL");
    legal->setWordWrap(true);
    auto* close = named(new QPushButton(QStringLiteral("閉じる"), this), "Command1");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(versionLabel);
    texts->addWidget(legal);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

}  // namespace kirimo::ui
