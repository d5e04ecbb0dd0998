#include "ui/window_layout.h"

#include <QScrollBar>
#include <QWidget>
#include <algorithm>

#include "ui/twips.h"

namespace kirimo::ui {

void arrangeScrollBars(QWidget* client, QWidget* base, QScrollBar* across, QScrollBar* down,
                       QSize picture, int zoom) {
    const int innerWidth = client->width();
    const int innerHeight = client->height();
    const int top = base->y();
    const int64_t zoomedWidth = int64_t{zoom} * picture.width();
    const int64_t zoomedHeight = int64_t{zoom} * picture.height();

    // Each scroll bar takes room from the other direction, so a picture that fits one way
    // only until the other bar appears needs both: no part of it is ever out of reach.
    const int barHeight = across->sizeHint().height();
    const int barWidth = down->sizeHint().width();
    bool needAcross = innerWidth < zoomedWidth;
    bool needDown = innerHeight - top < zoomedHeight;
    if (needDown && !needAcross)
        needAcross = innerWidth - barWidth < zoomedWidth;
    if (needAcross && !needDown)
        needDown = innerHeight - barHeight - top < zoomedHeight;
    across->setVisible(needAcross);
    down->setVisible(needDown);
    if (needAcross)
        across->raise();
    if (needDown)
        down->raise();
    const int hh = needAcross ? barHeight : 0;
    const int ww = needDown ? barWidth : 0;

    // A window made too small gives negative sizes; those become empty widgets.
    base->setGeometry(base->x(), top, std::max(0, innerWidth - ww),
                      std::max(0, innerHeight - hh - top));
    across->setGeometry(0, innerHeight - hh, std::max(0, innerWidth - ww), hh);
    down->setGeometry(innerWidth - ww, top, ww, std::max(0, innerHeight - hh - top));

    const int64_t hiddenAcross = zoomedWidth - base->width();
    const int64_t hiddenDown = zoomedHeight - base->height();
    across->setMaximum(static_cast<int>(std::max<int64_t>(0, hiddenAcross)));
    down->setMaximum(static_cast<int>(std::max<int64_t>(0, hiddenDown)));
    across->setPageStep(std::max(1, base->width()));
    down->setPageStep(std::max(1, base->height()));
}

void fitWindowToPicture(QWidget* window, int topPixels, QSize picture, QSize mainOuter,
                        int captionHeightTwips) {
    const double pictureWidthTwips = static_cast<float>(kTwipsPerPixel) * picture.width();
    const double pictureHeightTwips = static_cast<float>(kTwipsPerPixel) * picture.height();
    QSize size = window->size();
    if (pictureWidthTwips < pixelsToTwips(mainOuter.width()))
        size.setWidth(twipsToPixels(pictureWidthTwips + 120));
    if (pictureHeightTwips < pixelsToTwips(mainOuter.height())) {
        size.setHeight(twipsToPixels(pixelsToTwips(topPixels) + pictureHeightTwips +
                                     captionHeightTwips + 200));
    }
    window->resize(size);
}

QRect keepInside(QRect frame, QSize area) {
    const QSize size = frame.size().boundedTo(area).expandedTo(QSize(0, 0));
    const int left = std::clamp(frame.x(), 0, area.width() - size.width());
    const int top = std::clamp(frame.y(), 0, area.height() - size.height());
    return QRect(QPoint(left, top), size);
}

ScrollBars makePictureScrollBars(QWidget* window, QWidget* picture) {
    auto* across = new QScrollBar(Qt::Horizontal, window);
    across->setObjectName(QStringLiteral("scrYOKO"));
    auto* down = new QScrollBar(Qt::Vertical, window);
    down->setObjectName(QStringLiteral("scrTATE"));
    across->hide();
    down->hide();
    QObject::connect(across, &QScrollBar::valueChanged, picture,
                     [picture](int value) { picture->move(-value, picture->y()); });
    QObject::connect(down, &QScrollBar::valueChanged, picture,
                     [picture](int value) { picture->move(picture->x(), -value); });
    return {across, down};
}

}  // namespace kirimo::ui
