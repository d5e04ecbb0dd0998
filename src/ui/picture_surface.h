#pragma once
// A picture box with a persistent drawing surface: it owns a Format_RGB32 image and paints
// it magnified a whole number of times (one screen pixel per picture pixel unless told
// otherwise), always exactly as large as the magnified image. Magnification changes only
// the view: the image, its pixels and the copies to and from it stay as they are.

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

    // Screen pixels per picture pixel across and down, from 1 to kMaxMagnification. From
    // kGridMagnification on, a thin grid between the dots shows where each one goes.
    static constexpr int kMaxMagnification = 16;
    static constexpr int kGridMagnification = 4;
    int magnification() const { return magnification_; }
    void setMagnification(int magnification);

  signals:
    void doubleClicked();
    // Positions in picture pixels.
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
    QPoint picturePoint(const QMouseEvent* event) const;

    QImage image_;
    int magnification_ = 1;
};

}  // namespace kirimo::ui
