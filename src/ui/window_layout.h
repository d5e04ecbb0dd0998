#pragma once
// Layout steps shared by the picture windows: the scroll bars around a picture shown at
// a zoom, and fitting a child window to its picture.

#include <QRect>
#include <QSize>

class QScrollBar;
class QWidget;

namespace kirimo::ui {

// Lays out a picture window whose client area is `client`: the viewport `base` (its top
// edge stays where it is) and the scroll bars `across` (horizontal) and `down`
// (vertical), for a picture of `picture` pixels shown at `zoom`. A scroll bar is shown
// only when the picture does not fit that way; its range is the hidden part.
void arrangeScrollBars(QWidget* client, QWidget* base, QScrollBar* across, QScrollBar* down,
                       QSize picture, int zoom);

struct ScrollBars {
    QScrollBar* across;  // scrYOKO
    QScrollBar* down;    // scrTATE
};

// The hidden pair of scroll bars of a picture window, children of `window`, that move
// `picture` inside its viewport: the picture's left edge is minus the horizontal value,
// its top edge minus the vertical one.
ScrollBars makePictureScrollBars(QWidget* window, QWidget* picture);

// Sizes the child window `window` so that a picture of `picture` pixels shows whole below
// `topPixels`, in each direction where the picture is smaller than the main window's
// outer size `mainOuter`; the other direction keeps its size.
void fitWindowToPicture(QWidget* window, int topPixels, QSize picture, QSize mainOuter,
                        int captionHeightTwips);

// A child window's frame `frame` made to lie inside a client area of `area`: no larger
// than the area, and moved up and to the left where it would reach beyond it.
QRect keepInside(QRect frame, QSize area);

}  // namespace kirimo::ui
