#pragma once
// The main window with its conversion settings window and preview windows: finders for
// their controls, pictures of single colours, mouse events and conversions.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "ui/frm_convset.h"
#include "ui/frm_preview.h"
#include "ui_fixture.h"

namespace kirimo::test {

class ConversionTest : public UiTest {
  protected:
    ui::FrmConvset* conv() const { return window->conversionWindow(); }
    QMdiSubWindow* convFrame() const {
        return qobject_cast<QMdiSubWindow*>(conv()->parentWidget());
    }

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

    std::vector<int> ticked() const {
        std::vector<int> numbers;
        for (int k = 0; k < kColourCount; ++k) {
            if (use(k)->isChecked())
                numbers.push_back(k);
        }
        return numbers;
    }
    QStringList weightTexts() const {
        QStringList texts;
        for (int k = 1; k <= kWeightCount; ++k)
            texts.append(weight(k)->text());
        return texts;
    }

    // Presses "色変換" and returns the preview window it opened, or nullptr.
    ui::FrmPreview* convert() {
        const QList<ui::FrmPreview*> before = window->findChildren<ui::FrmPreview*>();
        c<QPushButton>(QStringLiteral("cmdCOLOR2"))->click();
        QApplication::processEvents();
        for (ui::FrmPreview* preview : window->findChildren<ui::FrmPreview*>()) {
            if (!before.contains(preview))
                return preview;
        }
        return nullptr;
    }
    QMdiSubWindow* frameOf(QWidget* widget) const {
        return qobject_cast<QMdiSubWindow*>(widget->parentWidget());
    }
    PixelBuffer picture(const ui::PictureSurface* surface) const {
        PixelBuffer pixels;
        surface->readPixels(pixels);
        return pixels;
    }

    QString dorvel() const { return QDir(settingsFolder).filePath("Dorvel.ini"); }
    QStringList dorvelLines() const {
        QFile file(dorvel());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    void writeDorvel(const QByteArray& content) {
        QDir().mkpath(settingsFolder);
        QFile file(dorvel());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
};

// Sends a mouse event as the platform would.
inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint position, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(position), QPointF(widget->mapToGlobal(position)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

}  // namespace kirimo::test
