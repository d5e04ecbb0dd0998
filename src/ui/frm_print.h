#pragma once
// The colour information window: divides the converted picture into sheets of a chosen
// number of dots, shows the division, shows the sheet under the mouse magnified (from the
// source picture or the converted one, switched by a click on the map), and saves the
// text chart, the CSV counts and the picture next to the picture file.
//
// It reads, and never changes, the shared state's WorkPixels (the converted picture, copied
// as the window opens), CurrentFileName and colour table.

#include <QDialog>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTime>
#include <functional>
#include <optional>

#include "imaging/pixel_buffer.h"
#include "imaging/sheets.h"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kirimo::ui {

class Dialogs;

// The sheet map: the picture's area in dots with the red outline of every sheet and the
// labels of the first and the last sheet on a plain background. It owns its surface.
class SheetMap : public QWidget {
    Q_OBJECT
  public:
    explicit SheetMap(QWidget* parent = nullptr);

    // Takes this size in pixels, cleared.
    void setSurfaceSize(QSize pixels);
    // Draws the grid's sheets; one dot is pictureWidth / width() pixels wide.
    void draw(const SheetGrid& grid);

    const QImage& image() const { return image_; }
    // The labels drawn last, "(1,1)" first.
    const QStringList& labels() const { return labels_; }

  signals:
    void moved(QPoint position);
    void pressed();
    void left();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QImage image_;
    QStringList labels_;
};

// The magnified sheet: the dots of one sheet stretched over the whole view, block by
// block. Dots of a partial sheet that lie outside the picture stay blank.
class SheetView : public QWidget {
    Q_OBJECT
  public:
    explicit SheetView(QWidget* parent = nullptr);

    // Shows `dots`, the sheet's part inside the picture, in a sheet of sheetSize dots.
    void showSheet(QImage dots, SheetSize sheetSize);
    // Shows nothing.
    void clear();

    // The dots shown; null when nothing is.
    const QImage& image() const { return dots_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage dots_;
    SheetSize sheetSize_{1, 1};
};

// What the window takes from the other windows as it opens.
struct ColourInfoSources {
    QImage sourcePicture;    // the source window's displayed picture
    QString previewCaption;  // the chosen preview's caption; the picture's name comes from it
    QString settingsLine;    // the conversion settings, the first line of the text report
};

class FrmPrint : public QDialog {
    Q_OBJECT
  public:
    FrmPrint(Dialogs& dialogs, std::function<int()> secondsSinceMidnight, ColourInfoSources sources,
             QWidget* parent = nullptr);
    ~FrmPrint() override;

    // The sheet size as typed or chosen: the texts of cboYOKO (across) and cboTATE (down).
    QString sheetWidthText() const;
    QString sheetHeightText() const;
    // Both texts as a sheet size, or nothing when either is not a whole number of at
    // least 1.
    std::optional<SheetSize> sheetSize() const;

    // The converted picture the window shows and saves.
    const PixelBuffer& convertedPicture() const { return converted_; }

    // "色情報保存": writes base.txt, base.csv and base.bmp, named after the picture file
    // or a chosen name, asking before earlier reports are replaced.
    void saveColourInformation();

  signals:
    // cmdA4: A4 printing of this picture in these sheets is wanted.
    void a4Requested();

  private:
    void buildControls();
    void showPictureName(const QString& caption);
    void onSheetSizeChanged();
    void redrawSheetMap();
    void setUpMagnifiedView();
    void showSheetUnder(QPoint mapPosition);
    QTime timeOfDay() const;
    void failToSave(const QString& reason);

    Dialogs& dialogs_;
    std::function<int()> secondsSinceMidnight_;
    QString settingsLine_;
    PixelBuffer converted_;  // WorkPixels as the window opened
    QImage sourceImage_;     // picSS(0): the source picture on a W x H surface
    QImage convertedImage_;  // picSS(1)
    int shownPicture_ = 0;   // 0: the magnified view copies from the source, 1: converted

    QLabel* size_ = nullptr;                           // lblSIZE
    QLabel* nameMeasure_ = nullptr;                    // picTEXT
    QLabel* names_[2] = {nullptr, nullptr};            // lblFILENAME(0), lblFILENAME(1)
    QComboBox* across_ = nullptr;                      // cboYOKO
    QComboBox* down_ = nullptr;                        // cboTATE
    QLabel* columns_ = nullptr;                        // lblYOKO
    QLabel* rows_ = nullptr;                           // lblTATE
    QLabel* total_ = nullptr;                          // lblTOTAL
    SheetMap* map_ = nullptr;                          // picGAZOU(0)
    QLabel* hint_ = nullptr;                           // Label7
    QLabel* position_ = nullptr;                       // lblPOS
    SheetView* view_ = nullptr;                        // imgGAZOU
    QRadioButton* saveModes_[2] = {nullptr, nullptr};  // optSAVE(0), optSAVE(1)
    QPushButton* a4_ = nullptr;                        // cmdA4
};

}  // namespace kirimo::ui
