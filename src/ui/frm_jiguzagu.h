#pragma once
// The zigzag window: two pictures A and B, cut to a common size, combined into one picture
// twice as wide of alternating vertical strips. It previews and saves the result next to
// picture A, and can hand it to the main window as the file "dmy.bmp" in A's folder.

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace kirimo::ui {

class Dialogs;
class PictureSurface;
class StretchedImage;

class FrmJiguzagu : public QDialog {
    Q_OBJECT
  public:
    explicit FrmJiguzagu(Dialogs& dialogs, QWidget* parent = nullptr);
    ~FrmJiguzagu() override;

    // The folder, ending in the separator, holding the "dmy.bmp" to open when the window
    // was left through "Kirimoに送る"; empty when it was left through "Ok" or the close box.
    QString handOffFolder() const;

    // The slot (0 = A, 1 = B) a single loaded or dropped file goes to.
    int selectedSlot() const { return selected_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void reject() override;

  private:
    struct Slot {
        QString path;
        QImage picture;  // null when the slot is empty
    };

    void chooseFiles();
    void chooseFileFromMenu();
    void placeFiles(const QStringList& paths);
    bool refresh(const std::array<Slot, 2>& next);
    void selectSlot(int k);
    void startDrag(int k, QPoint position);
    void moveDrag(int k, QPoint position);
    void endDrag(int k);
    void showPopup(int k, QPoint globalPosition);
    void runCombination();
    void saveResult();
    void sendResult();
    void refuse(const QString& text);
    QString folder() const;

    Dialogs& dialogs_;
    std::array<Slot, 2> slots_;
    int selected_ = 0;
    QSize common_{0, 0};
    bool hasResult_ = false;
    bool dragging_ = false;
    QPoint dragStart_;

    std::array<QFrame*, 2> frames_{};             // picPREVIEW(k)
    std::array<StretchedImage*, 3> previews_{};   // imgPREVIEW(k); 2 is the result
    std::array<QLabel*, 2> cropRects_{};          // lblRESIZE(k)
    std::array<QLabel*, 2> readouts_{};           // lblXYPOS(k)
    std::array<QLabel*, 2> sizes_{};              // lblSIZE(k)
    std::array<PictureSurface*, 2> originals_{};  // picMOTO1, picMOTO2
    PictureSurface* combined_ = nullptr;          // picKANSEI
    QLabel* info_ = nullptr;                      // lblINFO
    QFrame* stripPanel_ = nullptr;                // picBUNKATU
    QComboBox* stripWidths_ = nullptr;            // cboHABA
    QLabel* stripCount_ = nullptr;                // lblHABA
    QFrame* resultFrame_ = nullptr;               // picGATTAI
    QLineEdit* fileName_ = nullptr;               // txtFILENAME
    QLineEdit* fullFolder_ = nullptr;             // txtFULLFILENAME
    QPushButton* send_ = nullptr;                 // cmdSEND
    QMenu* popup_ = nullptr;                      // mnuA
};

}  // namespace kirimo::ui
