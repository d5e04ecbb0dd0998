#include "ui/picture_surface.h"

#include <QMouseEvent>
#include <QPainter>

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
    resize(image_.size());
    update();
}

void PictureSurface::clearToSize(int width, int height) {
    image_ = QImage(width, height, QImage::Format_RGB32);
    image_.fill(Qt::white);
    resize(image_.size());
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
    update(area);
}

void PictureSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), image_, event->rect());
}

void PictureSurface::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked();
    event->accept();
}

void PictureSurface::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->position().toPoint());
    event->accept();
}

void PictureSurface::mouseMoveEvent(QMouseEvent* event) {
    emit moved(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void PictureSurface::mouseReleaseEvent(QMouseEvent* event) {
    emit released(event->position().toPoint());
    event->accept();
}

}  // namespace kirimo::ui
