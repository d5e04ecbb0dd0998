#pragma once
// A picture box with a persistent drawing surface: it owns a Format_RGB32 image, paints
// it at one screen pixel per picture pixel and is always exactly as large as the image.

#include <QImage>
#include <QWidget>

#include "imaging/pixel_buffer.h"

namespace kirimo::ui {

class PictureSurface : public QWidget {
    Q_OBJECT
  public:
    explicit PictureSurface(QWidget* parent = nullptr);

    const QImage& image() const { return image_; }

    // Replaces the surface by the picture (converted to Format_RGB32) and takes its size.
    void setImage(const QImage& image);

    // Clears the surface to white at the given size.
    void clearToSize(int width, int height);

    // The bulk copies between the surface and a PixelBuffer; they return the rows copied.
    int readPixels(PixelBuffer& buffer) const;
    int writePixels(const PixelBuffer& buffer);
    // Copies only the given rectangle (clipped to both pictures) from the buffer.
    void writeRect(const PixelBuffer& buffer, const QRect& rect);

  signals:
    void doubleClicked();
    void pressed(QPoint position);
    void moved(QPoint position);
    void released(QPoint position);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QImage image_;
};

}  // namespace kirimo::ui
