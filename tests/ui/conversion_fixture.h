#pragma once
// The main window with its conversion settings window and preview windows: finders for
// their controls, conversions and the presets file.

#include "ui/frm_convset.h"
#include "ui/frm_preview.h"
#include "ui_fixture.h"

namespace kirimo::test {

class ConversionTest : public UiTest {
  protected:
    ui::FrmConvset* conv() const { return window->conversionWindow(); }
    QMdiSubWindow* convFrame() const { return frameOf(conv()); }

    template <typename T>
    T* in(QWidget* owner, const QString& name) const {
        return child<T>(owner, name);
    }
    template <typename T>
    T* c(const QString& name) const {
        return in<T>(conv(), name);
    }
    QCheckBox* use(int k) const { return c<QCheckBox>(QStringLiteral("chkUSECOL(%1)").arg(k)); }
    QLabel* mark(int k) const { return c<QLabel>(QStringLiteral("lblPER(%1)").arg(k)); }
    QLineEdit* weight(int k) const { return c<QLineEdit>(QStringLiteral("txtBUN(%1)").arg(k)); }
    QRadioButton* mode(int i) const {
        return c<QRadioButton>(QStringLiteral("optMODE(%1)").arg(i));
    }
    QScrollBar* rate() const { return c<QScrollBar>(QStringLiteral("scrBUNSAN")); }
    QComboBox* presets() const { return c<QComboBox>(QStringLiteral("cboMODESET")); }
    void chooseSet(const QString& name) {
        auto* sets = c<QComboBox>("cboCOLSET");
        ASSERT_GE(sets->findText(name), 0) << name.toStdString();
        pick(sets, sets->findText(name));
    }

    std::vector<int> ticked() const {
        std::vector<int> numbers;
        for (int k = 0; k < kColourCount; ++k) {
            if (use(k)->isChecked())
                numbers.push_back(k);
        }
        return numbers;
    }
    QString weightTexts() const {
        QStringList texts;
        for (int k = 1; k <= kWeightCount; ++k)
            texts.append(weight(k)->text());
        return texts.join(u',');
    }

    // The preview window that `act` opened, or nullptr.
    ui::FrmPreview* newPreview(const std::function<void()>& act) {
        const QList<ui::FrmPreview*> before = window->findChildren<ui::FrmPreview*>();
        act();
        QApplication::processEvents();
        for (ui::FrmPreview* preview : window->findChildren<ui::FrmPreview*>()) {
            if (!before.contains(preview))
                return preview;
        }
        return nullptr;
    }
    // Presses "色変換" and returns the preview window it opened, or nullptr.
    ui::FrmPreview* convert() {
        return newPreview([this] { c<QPushButton>(QStringLiteral("cmdCOLOR2"))->click(); });
    }
    // Starts the program on the picture at `path` and converts it.
    ui::FrmPreview* startAndConvert(const QString& path) {
        start();
        window->loadPictureFile(path, false);
        return convert();
    }
    static QMdiSubWindow* frameOf(QWidget* widget) {
        return qobject_cast<QMdiSubWindow*>(widget->parentWidget());
    }
    static PixelBuffer picture(const ui::PictureSurface* surface) {
        PixelBuffer pixels;
        surface->readPixels(pixels);
        return pixels;
    }

    QString dorvel() const { return settingsFile("Dorvel.ini"); }
    QStringList dorvelLines() const {
        return QString::fromUtf8(readBytes(dorvel()))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
};

}  // namespace kirimo::test
