// Every window at the interface's font: no label, button, check box, option button, combo
// box item or frame title is wider than its control, measured with the control's font.

#include <QGroupBox>
#include <QStyleOptionComboBox>

#include "ui/frm_a4print.h"
#include "ui/frm_about.h"
#include "ui/frm_edit.h"
#include "ui/frm_jiguzagu.h"
#include "ui/frm_print.h"
#include "ui/frm_printinfo.h"
#include "ui/frm_sealprint.h"
#include "ui/interface_language.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

// A button's text as shown: "&&" is one "&", a single "&" marks the mnemonic.
QString shownText(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    return text.replace(u'\x01', u'&');
}

int widestLine(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// "name: text (needs N, has M)" for every visible control of `window` whose text does
// not fit.
QStringList clippedTexts(QWidget* window) {
    QStringList clipped;
    auto check = [&](QWidget* control, const QString& text, int needed, int room) {
        if (needed > room) {
            clipped << QStringLiteral("%1 of %2: \"%3\" (needs %4, has %5)")
                           .arg(control->objectName(), window->objectName(), text)
                           .arg(needed)
                           .arg(room);
        }
    };
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window))
            continue;
        const QFontMetrics metrics(control->font());
        QStyle* style = control->style();
        if (auto* label = qobject_cast<QLabel*>(control)) {
            if (label->wordWrap() || label->text().isEmpty() || label->textFormat() == Qt::RichText)
                continue;
            const int indent = std::max(0, label->indent());
            check(label, label->text(), widestLine(metrics, label->text()),
                  label->contentsRect().width() - 2 * label->margin() - indent);
        } else if (qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control)) {
            auto* button = static_cast<QAbstractButton*>(control);
            if (button->text().isEmpty())
                continue;
            const bool check_ = qobject_cast<QCheckBox*>(control) != nullptr;
            const int indicator = style->pixelMetric(
                check_ ? QStyle::PM_IndicatorWidth : QStyle::PM_ExclusiveIndicatorWidth, nullptr,
                button);
            const int spacing = style->pixelMetric(
                check_ ? QStyle::PM_CheckBoxLabelSpacing : QStyle::PM_RadioButtonLabelSpacing,
                nullptr, button);
            check(button, button->text(), metrics.horizontalAdvance(shownText(button->text())),
                  button->width() - indicator - spacing);
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            if (button->text().isEmpty())
                continue;
            const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            check(button, button->text(), widestLine(metrics, shownText(button->text())) + icon,
                  button->width() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth));
        } else if (auto* box = qobject_cast<QComboBox*>(control)) {
            QStyleOptionComboBox option;
            option.initFrom(box);
            option.editable = box->isEditable();
            const int room = style
                                 ->subControlRect(QStyle::CC_ComboBox, &option,
                                                  QStyle::SC_ComboBoxEditField, box)
                                 .width();
            for (int i = 0; i < box->count(); ++i)
                check(box, box->itemText(i), metrics.horizontalAdvance(box->itemText(i)), room);
        } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
            if (!frame->title().isEmpty())
                check(frame, frame->title(), metrics.horizontalAdvance(frame->title()),
                      frame->width() - 2 * metrics.averageCharWidth());
        }
    }
    return clipped;
}

class TextFitTest : public ConversionTest {
  protected:
    void SetUp() override {
        ConversionTest::SetUp();
        font_ = QApplication::font();
        ui::useInterfaceFont();
    }
    void TearDown() override {
        ConversionTest::TearDown();
        QApplication::setFont(font_);
    }
    void expectFits(QWidget* window) {
        QApplication::processEvents();
        const QStringList clipped = clippedTexts(window);
        EXPECT_TRUE(clipped.isEmpty()) << clipped.join(u'\n').toStdString();
        ++checked;
    }

    QFont font_;
    int checked = 0;
};

TEST_F(TextFitTest, EveryWindowShowsItsTextsWhole) {
    start();
    openThroughDialog(makePicture("cat.bmp", 60, 40));
    trigger("mnuSIZE");
    trigger("mnuLAST");
    expectFits(source());
    expectFits(conv());
    expectFits(window->historyWindow());

    ui::FrmPreview* preview = convert();
    ASSERT_NE(preview, nullptr);
    expectFits(preview);
    whileModal<ui::FrmEdit>(child<QPushButton>(preview, "cmdEDIT"),
                            [&](ui::FrmEdit& editor) { expectFits(&editor); });

    whileModal<ui::FrmPrint>(action("mnuSAVE"), [&](ui::FrmPrint& info) {
        expectFits(&info);
        // The A4 window takes the sheet size: 2 x 2 sheets of 30 x 20 (3 x 2 if swapped).
        child<QComboBox>(&info, "cboYOKO")->setEditText("30");
        child<QComboBox>(&info, "cboTATE")->setEditText("20");
        whileModal<ui::FrmA4Print>(info.findChild<QPushButton*>("cmdA4"), [&](ui::FrmA4Print& a4) {
            EXPECT_EQ(child<QListWidget>(&a4, "lstPRDATA")->count(), 4);
            expectFits(&a4);
        });
    });

    sharedState().symbolSettings.colours[0].pictures[0] = {sharedState().currentFileName, true};
    whileModal<ui::FrmPrintInfo>(action("mnuCOLSET"), [&](ui::FrmPrintInfo& symbols) {
        expectFits(&symbols);
        // The sticker window comes filled with the colour's pictures.
        whileModal<ui::FrmSealPrint>(
            symbols.findChild<QPushButton*>("cmdSEALPRINT"), [&](ui::FrmSealPrint& seal) {
                EXPECT_EQ(itemTexts(child<QListWidget>(&seal, "lstFILE(1)")),
                          QStringList{sharedState().currentFileName});
                expectFits(&seal);
            });
    });

    whileModal<ui::FrmJiguzagu>(action("mnuJIGZAG"), [&](ui::FrmJiguzagu& zigzag) {
        dialogs.filesAnswers.push_back(
            {makePicture("a.bmp", 60, 40), makePicture("b.bmp", 50, 40)});
        dialogs.answers.push_back(ui::MessageAnswer::Yes);
        click(&zigzag, "cmdLOADPIC");
        click(&zigzag, "cmdRUN");
        expectFits(&zigzag);
    });
    whileModal<ui::FrmAbout>(action("mnuABOUT"), [&](ui::FrmAbout& about) { expectFits(&about); });
    EXPECT_EQ(checked, 11);
}

}  // namespace
}  // namespace kirimo::test
