#include "ui/picture_surface.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "core/picture_file.h"

namespace kirimo::ui {

PictureSurface::PictureSurface(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(0, 0);
}

void PictureSurface::setImage(const QImage& image) {
    image_ = image.format() == QImage::Format_RGB32 ? image
                                                    : image.convertToFormat(QImage::Format_RGB32);
    resize(image_.size() * magnification_);
    update();
}

void PictureSurface::clearToSize(int width, int height) {
    image_ = QImage(width, height, QImage::Format_RGB32);
    image_.fill(Qt::white);
    resize(image_.size() * magnification_);
    update();
}

int PictureSurface::readPixels(PixelBuffer& buffer) const {
    return kirimo::readPixels(image_, buffer);
}

int PictureSurface::writePixels(const PixelBuffer& buffer) {
    const int rows = kirimo::writePixels(image_, buffer);
    update();
    return rows;
}

void PictureSurface::writeRect(const PixelBuffer& buffer, const QRect& rect) {
    const QRect area =
        rect.intersected(image_.rect()).intersected(QRect(0, 0, buffer.width(), buffer.height()));
    if (area.isEmpty())
        return;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
        const Pixel* from = buffer.row(y);
        for (int x = area.left(); x <= area.right(); ++x)
            line[x] = 0xFF000000u | from[x];
    }
    const int m = magnification_;
    update(QRect(area.topLeft() * m, area.size() * m));
}

void PictureSurface::setMagnification(int magnification) {
    magnification = std::clamp(magnification, 1, kMaxMagnification);
    if (magnification == magnification_)
        return;
    magnification_ = magnification;
    resize(image_.size() * magnification_);
    update();
}

void PictureSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const int m = magnification_;
    if (m == 1) {
        painter.drawImage(event->rect().topLeft(), image_, event->rect());
        return;
    }
    // The picture pixels the exposed area touches, each painted as an m x m block.
    const QRect exposed = event->rect();
    const QRect pixels = QRect(QPoint(exposed.left() / m, exposed.top() / m),
                               QPoint(exposed.right() / m, exposed.bottom() / m))
                             .intersected(image_.rect());
    if (pixels.isEmpty())
        return;
    const QRect target(pixels.topLeft() * m, pixels.size() * m);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, image_.copy(pixels));
    if (m < kGridMagnification)
        return;
    // One screen pixel on the left and top edge of every dot, half covering its colour so
    // that the grid shows on light and dark dots alike.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(100, 100, 100, 128));
    for (int x = pixels.left(); x <= pixels.right(); ++x)
        painter.drawRect(x * m, target.top(), 1, target.height());
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        painter.drawRect(target.left(), y * m, target.width(), 1);
}

QPoint PictureSurface::picturePoint(const QMouseEvent* event) const {
    const QPoint at = event->position().toPoint();
    if (magnification_ == 1)
        return at;
    // Whole picture pixels, also left of and above the surface while the mouse is held.
    const auto down = [m = magnification_](int v) { return v >= 0 ? v / m : -((-v + m - 1) / m); };
    return {down(at.x()), down(at.y())};
}

void PictureSurface::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked();
    event->accept();
}

void PictureSurface::mousePressEvent(QMouseEvent* event) {
    emit pressed(picturePoint(event));
    event->accept();
}

void PictureSurface::mouseMoveEvent(QMouseEvent* event) {
    emit moved(picturePoint(event));
    QWidget::mouseMoveEvent(event);
}

void PictureSurface::mouseReleaseEvent(QMouseEvent* event) {
    emit released(picturePoint(event));
    event->accept();
}

}  // namespace kirimo::ui
