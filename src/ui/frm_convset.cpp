#include "ui/frm_convset.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>

#include "core/colour_sets.h"
#include "core/colour_table.h"
#include "core/colour_usage.h"
#include "core/number_rules.h"
#include "core/shared_state.h"
#include "core/text_file.h"
#include "ui/dialogs.h"
#include "ui/frm_colset.h"
#include "ui/japanese_reasons.h"
#include "ui/twips.h"
#include "ui/widget_names.h"

namespace kirimo::ui {

namespace {

// The height the colour set's two rows add to the colour-count frame (and the window).
constexpr int kColourSetRows = 50;

const QString kTitle = QStringLiteral("Kirimo");

// A colour value (red + 256 green + 65536 blue) as a QColor.
QColor colourOf(int32_t packed) {
    return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

void setBackground(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QString upperHex(int value) {
    return QString::number(value, 16).toUpper();
}

// Positions of the twelve weight cells in the five-column grid whose centre of the top
// row is the current pixel.
constexpr std::array<std::pair<int, int>, kWeightCount> kCellPlaces = {{
    {3, 0},
    {4, 0},
    {0, 1},
    {1, 1},
    {2, 1},
    {3, 1},
    {4, 1},
    {0, 2},
    {1, 2},
    {2, 2},
    {3, 2},
    {4, 2},
}};

}  // namespace

FrmConvset::FrmConvset(Dialogs& dialogs, QString settingsFolder, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), settingsFolder_(std::move(settingsFolder)) {
    setObjectName(QStringLiteral("frmCONVSET"));
    setWindowTitle(QStringLiteral("変換方式"));
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.8));
    setFont(small);
    setFixedSize(twipsToPixels(3145), twipsToPixels(7420) + kColourSetRows);
    buildControls();

    diffusionMethod_ = 0;
    kind_->setCurrentIndex(1);
    applyPaletteKind();
    showColourTable();
    loadSettingsFile();
}

FrmConvset::~FrmConvset() = default;

void FrmConvset::buildControls() {
    // Left column.
    auto* colours = named(new QGroupBox(QStringLiteral("色数"), this), "Frame2");
    colours->setGeometry(2, 0, 102, 44 + kColourSetRows);
    kind_ = named(new QComboBox(colours), "cboKIND");
    kind_->addItems({QStringLiteral("ﾓﾉｸﾛ"), QStringLiteral("標準8色"), QStringLiteral("16色"),
                     QStringLiteral("18色"), QStringLiteral("３原色")});
    kind_->setGeometry(3, 16, 67, 22);
    auto* reset = named(new QPushButton(QStringLiteral("reset"), colours), "cmdRESET");
    reset->setGeometry(71, 16, 29, 22);
    connect(reset, &QPushButton::clicked, this, &FrmConvset::applyPaletteKind);
    connect(kind_, &QComboBox::activated, reset, &QPushButton::click);
    // The colour set under the colour count: the standard colours or a bead product line.
    colourSet_ = named(new QComboBox(colours), "cboCOLSET");
    colourSet_->setGeometry(2, 42, 99, 22);
    colourSet_->addItem(QStringLiteral("標準"));
    for (const ProductLine& line : sharedState().productLines) {
        colourSet_->addItem(productLineShortName(line.id), line.id);
        colourSet_->setItemData(colourSet_->count() - 1, line.name, Qt::ToolTipRole);
    }
    connect(colourSet_, &QComboBox::activated, this, &FrmConvset::chooseColourSet);
    colourSetButton_ = named(new QPushButton(QStringLiteral("色セット編集"), colours), "cmdCOLSET");
    colourSetButton_->setGeometry(4, 66, 94, 24);
    connect(colourSetButton_, &QPushButton::clicked, this, &FrmConvset::editColourSet);

    auto* space = named(new QGroupBox(QStringLiteral("近似色検索"), this), "Frame5");
    space->setGeometry(2, 46 + kColourSetRows, 102, 74);
    const QString spaceCaptions[] = {QStringLiteral("RGB色空間"), QStringLiteral("YCC色空間"),
                                     QStringLiteral("CIE表色系")};
    for (int i = 0; i < 3; ++i) {
        nearColour_[i] = new QRadioButton(spaceCaptions[i], space);
        nearColour_[i]->setObjectName(indexed("optNEARCOLOR", i));
        nearColour_[i]->setGeometry(6, 15 + i * 19, 94, 18);
    }
    nearColour_[0]->setChecked(true);

    auto* rateFrame = named(new QGroupBox(QStringLiteral("拡散率(%)"), this), "Frame3");
    rateFrame->setGeometry(2, 122 + kColourSetRows, 102, 38);
    rate_ = named(new QScrollBar(Qt::Horizontal, rateFrame), "scrBUNSAN");
    rate_->setRange(kRateMin, kRateMax);
    rate_->setGeometry(4, 17, 66, 16);
    rateLabel_ = named(new QLabel(rateFrame), "lblBUNSAN");
    rateLabel_->setGeometry(72, 17, 28, 16);
    rateLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(rate_, &QScrollBar::valueChanged, this,
            [this](int value) { rateLabel_->setText(QString::number(value)); });
    rate_->setValue(kRateDefault);
    rateLabel_->setText(QString::number(kRateDefault));

    auto* method = named(new QGroupBox(QStringLiteral("拡散方法"), this), "Frame4");
    method->setGeometry(2, 162 + kColourSetRows, 102, 190);
    const QString modeCaptions[] = {QStringLiteral("Floyd&&Steinberg"),
                                    QStringLiteral("Jarvis,Judice&&Ninke"),
                                    QStringLiteral("Custom")};
    for (int i = 0; i < 3; ++i) {
        mode_[i] = new QRadioButton(modeCaptions[i], method);
        mode_[i]->setObjectName(indexed("optMODE", i));
        mode_[i]->setGeometry(2, 15 + i * 18, 98, 18);
        QFont narrow = mode_[i]->font();
        narrow.setStretch(QFont::SemiCondensed);
        narrow.setPointSizeF(narrow.pointSizeF() * 0.85);
        mode_[i]->setFont(narrow);
        mode_[i]->setToolTip(mode_[i]->text().replace(QStringLiteral("&&"), QStringLiteral("&")));
    }
    // Selected before the handlers are connected: the creation state keeps the weight
    // boxes editable.
    mode_[0]->setChecked(true);
    for (int i = 0; i < 3; ++i) {
        connect(mode_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                selectDiffusionMethod(i);
        });
    }
    const std::array<const char*, kWeightCount> startWeights = {"7", "0", "0", "3", "5", "1",
                                                                "0", "0", "0", "0", "0", "0"};
    // A comma in a weight would split the field when Dorvel.ini is read back.
    auto* noComma =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^,]*")), this);
    for (int k = 0; k < kWeightCount; ++k) {
        auto* box = new QLineEdit(QString::fromLatin1(startWeights[k]), method);
        box->setObjectName(indexed("txtBUN", k + 1));
        box->setValidator(noComma);
        box->setAlignment(Qt::AlignCenter);
        box->setGeometry(4 + kCellPlaces[k].first * 19, 72 + kCellPlaces[k].second * 19, 18, 18);
        weights_[k] = box;
    }
    auto* here = named(new QLineEdit(QStringLiteral("・"), method), "Text1");
    here->setReadOnly(true);
    here->setAlignment(Qt::AlignCenter);
    here->setGeometry(4 + 2 * 19, 72, 18, 18);
    QPalette pink = here->palette();
    pink.setColor(QPalette::Base, QColor(255, 192, 255));
    here->setPalette(pink);
    presets_ = named(new QComboBox(method), "cboMODESET");
    presets_->setEditable(true);
    presets_->setInsertPolicy(QComboBox::NoInsert);
    presets_->setGeometry(4, 132, 94, 22);
    presets_->setEnabled(false);
    connect(presets_, &QComboBox::activated, this, &FrmConvset::loadPreset);
    savePresetButton_ = named(new QPushButton(QStringLiteral("save"), method), "cmdSETSAVE");
    savePresetButton_->setGeometry(4, 158, 50, 24);
    savePresetButton_->setEnabled(false);
    connect(savePresetButton_, &QPushButton::clicked, this, &FrmConvset::savePreset);

    auto* densityFrame = named(new QGroupBox(QStringLiteral("濃度(%)"), this), "Frame1");
    densityFrame->setGeometry(2, 354 + kColourSetRows, 102, 90);
    const QString channelNames[] = {QStringLiteral("赤"), QStringLiteral("緑"),
                                    QStringLiteral("青")};
    for (int i = 0; i < 3; ++i) {
        auto* name = new QLabel(channelNames[i], densityFrame);
        name->setObjectName(indexed("Label5", i));
        name->setGeometry(4, 17 + i * 23, 14, 16);
        density_[i] = new QScrollBar(Qt::Horizontal, densityFrame);
        density_[i]->setObjectName(indexed("scrCOLOR", i));
        density_[i]->setRange(kDensityMin, kDensityMax);
        density_[i]->setGeometry(18, 17 + i * 23, 52, 16);
        densityLabels_[i] = new QLabel(QStringLiteral("100"), densityFrame);
        densityLabels_[i]->setObjectName(indexed("lblPERCENT", i));
        densityLabels_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        densityLabels_[i]->setGeometry(72, 17 + i * 23, 28, 16);
        QLabel* label = densityLabels_[i];
        connect(density_[i], &QScrollBar::valueChanged, this,
                [label](int value) { label->setText(QString::number(value * 10)); });
        density_[i]->setValue(kDensityDefault);
    }

    auto* convert = named(new QPushButton(QStringLiteral("色変換"), this), "cmdCOLOR2");
    convert->setGeometry(2, 448 + kColourSetRows, 102, 42);
    connect(convert, &QPushButton::clicked, this, &FrmConvset::conversionRequested);

    // Right column: the use switches, colour cells and usage marks.
    auto* heading = named(new QLabel(QStringLiteral("使用色"), this), "Label2");
    heading->setGeometry(108, 1, 40, 16);
    const QString legend[] = {QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("10%↓")};
    const QColor legendColours[] = {QColor(128, 0, 0), Qt::blue, Qt::black};
    const int legendPlaces[] = {150, 160, 170};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(legend[i], this);
        label->setObjectName(indexed("Label1", i));
        setTextColour(label, legendColours[i]);
        label->setGeometry(legendPlaces[i], 1, i == 2 ? 38 : 10, 16);
    }
    for (int k = 0; k < kColourCount; ++k) {
        const int top = 18 + k * 17;
        use_[k] = new QCheckBox(this);
        use_[k]->setObjectName(indexed("chkUSECOL", k));
        use_[k]->setGeometry(108, top, 18, 16);
        cells_[k] = new QLabel(this);
        cells_[k]->setObjectName(indexed("lblCOL", k));
        cells_[k]->setFrameShape(QFrame::Box);
        cells_[k]->setGeometry(128, top + 1, 58, 14);
        marks_[k] = new QLabel(QStringLiteral("*"), this);
        marks_[k]->setObjectName(indexed("lblPER", k));
        marks_[k]->setToolTip(QStringLiteral("使用率1%以下"));
        setTextColour(marks_[k], Qt::red);
        marks_[k]->setGeometry(190, top, 14, 16);
    }

    // The colour editor of the user colour.
    auto* editor = named(new QFrame(this), "picEDIT");
    editor->setFrameShape(QFrame::Panel);
    editor->setFrameShadow(QFrame::Sunken);
    editor->setGeometry(108, 326, 100, 132);
    const char* editorLabelNames[] = {"lblR", "lblG", "lblB"};
    const char* editorBarNames[] = {"scrR", "scrG", "scrB"};
    const QColor channelColours[] = {Qt::red, Qt::green, Qt::blue};
    for (int i = 0; i < 3; ++i) {
        editorLabels_[i] = new QLabel(QStringLiteral("0"), editor);
        editorLabels_[i]->setObjectName(QString::fromLatin1(editorLabelNames[i]));
        editorLabels_[i]->setAlignment(Qt::AlignCenter);
        setBackground(editorLabels_[i], channelColours[i]);
        setTextColour(editorLabels_[i], i == 1 ? Qt::black : Qt::white);
        editorLabels_[i]->setGeometry(4 + i * 32, 3, 28, 16);
        editor_[i] = new QScrollBar(Qt::Vertical, editor);
        editor_[i]->setObjectName(QString::fromLatin1(editorBarNames[i]));
        editor_[i]->setRange(0, 255);
        editor_[i]->setGeometry(10 + i * 32, 21, 16, 80);
        connect(editor_[i], &QScrollBar::valueChanged, this,
                [this, i](int value) { onEditorChanged(i, value); });
    }
    auto* byDefault = named(new QPushButton(QStringLiteral("Def"), editor), "cmdDEF");
    byDefault->setGeometry(3, 104, 46, 24);
    connect(byDefault, &QPushButton::clicked, this, [this] {
        for (QScrollBar* bar : editor_)
            bar->setValue(128);
    });
    auto* save = named(new QPushButton(QStringLiteral("Save"), editor), "cmdEDITCOLSAVE");
    save->setGeometry(51, 104, 46, 24);
    connect(save, &QPushButton::clicked, this, [this] {
        if (auto saved = sharedState().colourTable.saveUserColour(settingsFolder_); !saved) {
            dialogs_.inform(this, kTitle,
                            QStringLiteral("ﾌｧｲﾙ（%1）を保存できません。")
                                    .arg(QLatin1String(kEditColFileName)) +
                                QStringLiteral("\n") + japaneseReason(saved.error()),
                            MessageIcon::Exclamation);
        }
    });

    eyedropper_ = named(new QPushButton(QStringLiteral("ｽﾎﾟｲﾄ"), this), "chkSPOIT");
    eyedropper_->setCheckable(true);
    eyedropper_->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    eyedropper_->setToolTip(QStringLiteral("元画像の色を拾います"));
    eyedropper_->setGeometry(108, 462, 100, 28);
}

void FrmConvset::applyPaletteKind() {
    for (int k = 0; k < kColourCount; ++k) {
        use_[k]->setChecked(false);
        marks_[k]->hide();
    }
    for (int n : paletteColours(kind_->currentIndex()))
        use_[n]->setChecked(sharedState().colourTable.usable(n));
}

void FrmConvset::setWeightTexts(const std::array<int16_t, kWeightCount>& weights) {
    for (int k = 0; k < kWeightCount; ++k)
        weights_[k]->setText(QString::number(weights[k]));
}

void FrmConvset::setWeightsReadOnly(bool readOnly) {
    for (QLineEdit* box : weights_)
        box->setReadOnly(readOnly);
}

void FrmConvset::selectDiffusionMethod(int method) {
    if (method == 2) {
        setWeightsReadOnly(false);
        savePresetButton_->setEnabled(true);
        presets_->setEnabled(true);
        diffusionMethod_ = 2;
        return;
    }
    rate_->setValue(kRateMax);
    setWeightTexts(method == 0 ? kFloydSteinbergWeights : kJarvisJudiceNinkeWeights);
    setWeightsReadOnly(true);
    savePresetButton_->setEnabled(false);
    presets_->setEnabled(false);
    presets_->setCurrentIndex(-1);
    presets_->setEditText(QString());
    diffusionMethod_ = method;
}

void FrmConvset::loadPreset(int index) {
    const auto values = presetValues(presetLines_, index);
    if (!values)
        return;
    if (values->rate)
        rate_->setValue(*values->rate);
    for (int k = 0; k < kWeightCount; ++k) {
        if (values->weightTexts[k])
            weights_[k]->setText(*values->weightTexts[k]);
    }
}

std::array<QString, kWeightCount> FrmConvset::weightTexts() const {
    std::array<QString, kWeightCount> texts;
    for (int k = 0; k < kWeightCount; ++k)
        texts[k] = weights_[k]->text();
    return texts;
}

void FrmConvset::savePreset() {
    const QString name = presets_->currentText();
    if (name.isEmpty()) {
        dialogs_.inform(this, QStringLiteral("設定保存"),
                        QStringLiteral("設定名を入力して下さい。"), MessageIcon::None);
        return;
    }
    if (name.contains(u',')) {
        dialogs_.inform(this, QStringLiteral("設定保存"),
                        QStringLiteral("設定名に「,」は使えません。（%1）").arg(name),
                        MessageIcon::Exclamation);
        return;
    }
    const std::array<QString, kWeightCount> texts = weightTexts();
    for (int k = 0; k < kWeightCount; ++k) {
        if (!parseInt16(texts[k])) {
            dialogs_.inform(this, QStringLiteral("設定保存"),
                            QStringLiteral("拡散方法の%1番目の値（%2）は -32768 から 32767 "
                                           "までの整数で入力して下さい。")
                                .arg(k + 1)
                                .arg(texts[k]),
                            MessageIcon::Exclamation);
            return;
        }
    }
    if (const auto duplicate = duplicatePresetName(presetLines_, rate_->value(), texts)) {
        dialogs_.inform(this, QStringLiteral("設定重複"),
                        QStringLiteral("すでに同じ設定があります。（%1）").arg(*duplicate),
                        MessageIcon::None);
        return;
    }
    auto line = makePresetLine(name, rate_->value(), texts);
    if (!line) {
        dialogs_.inform(this, QStringLiteral("設定保存"), japaneseReason(line.error()),
                        MessageIcon::Exclamation);
        return;
    }
    presetLines_.append(*line);
    if (auto written = writeSettingsFile(); !written) {
        presetLines_.removeLast();
        dialogs_.inform(
            this, QStringLiteral("設定保存"),
            QStringLiteral("ﾌｧｲﾙ（%1）を保存できません。").arg(QLatin1String(kDorvelFileName)) +
                QStringLiteral("\n") + japaneseReason(written.error()),
            MessageIcon::Exclamation);
        return;
    }
    presets_->addItem(name);
    presets_->setCurrentIndex(presets_->count() - 1);
}

void FrmConvset::loadSettingsFile() {
    const DiffusionPresets stored = readDiffusionPresets(settingsFolder_);
    presetLines_ = stored.presetLines;
    const DiffusionState& state = stored.current;
    rate_->setValue(state.rate);
    for (int k = 0; k < kWeightCount; ++k)
        weights_[k]->setText(state.weightTexts[k]);
    presets_->addItems(presetNames(presetLines_));
    presets_->setCurrentIndex(-1);
    presets_->setEditText(state.presetName);
    // Method 0 is already selected: its stored rate and weights stay as they are.
    mode_[static_cast<int>(state.method)]->setChecked(true);
}

Result<void> FrmConvset::writeSettingsFile() const {
    DiffusionPresets presets;
    presets.current.method = static_cast<DiffusionMethod>(diffusionMethod_);
    // A comma in the name would move every later field of the line.
    presets.current.presetName = presets_->currentText().remove(u',');
    presets.current.rate = rate_->value();
    presets.current.weightTexts = weightTexts();
    presets.presetLines = presetLines_;
    return writeDiffusionPresets(settingsFolder_, presets);
}

void FrmConvset::closeEvent(QCloseEvent* event) {
    if (auto written = writeSettingsFile(); !written) {
        dialogs_.inform(
            this, kTitle,
            QStringLiteral("ﾌｧｲﾙ（%1）を保存できません。").arg(QLatin1String(kDorvelFileName)) +
                QStringLiteral("\n") + japaneseReason(written.error()),
            MessageIcon::Exclamation);
    }
    event->accept();
}

void FrmConvset::showColourTable() {
    const SharedState& state = sharedState();
    const ColourTable& table = state.colourTable;
    const bool standard = table.colourSetId().isEmpty();
    for (int k = 0; k < kColourCount; ++k) {
        setBackground(cells_[k], colourOf(table[k].packed));
        const auto& bead = table.bead(k);
        cells_[k]->setToolTip(bead ? bead->code + u' ' + bead->name : upperHex(table[k].packed));
        // A colour the set leaves unbound can be neither used nor ticked.
        use_[k]->setEnabled(table.usable(k));
        if (!table.usable(k))
            use_[k]->setChecked(false);
        cells_[k]->setEnabled(table.usable(k));
    }
    colourSet_->setCurrentIndex(std::max(0, colourSet_->findData(state.colourSet.id)));
    colourSetButton_->setEnabled(!standard);
    // The colour editor and the eyedropper make the standard set's user colour; in a bead
    // set 自 is a bead like the others.
    editor_[0]->parentWidget()->setEnabled(standard);
    eyedropper_->setEnabled(standard);
    if (!standard)
        eyedropper_->setChecked(false);
    const ColourEntry& user = table[kUserColourNumber];
    const int values[] = {user.red, user.green, user.blue};
    for (int i = 0; i < 3; ++i) {
        editor_[i]->setValue(values[i]);
        editorLabels_[i]->setText(upperHex(values[i]));
    }
}

void FrmConvset::onEditorChanged(int component, int value) {
    editorLabels_[component]->setText(upperHex(value));
    ColourTable& table = sharedState().colourTable;
    table.setUserColourComponent(component, value);
    if (!table.colourSetId().isEmpty())
        return;  // 自 is a bead of the set
    const int32_t packed = table[kUserColourNumber].packed;
    setBackground(cells_[kUserColourNumber], colourOf(packed));
    cells_[kUserColourNumber]->setToolTip(upperHex(packed));
}

void FrmConvset::chooseColourSet(int index) {
    SharedState& state = sharedState();
    const QString id = colourSet_->itemData(index).toString();
    if (id == state.colourSet.id)
        return;
    ColourSetChoice choice;
    if (const ProductLine* line = findProductLine(state.productLines, id)) {
        choice.id = line->id;
        choice.binding = automaticBinding(line->beads, state.colourTable.standardUserColour());
    }
    useColourSet(choice);
}

void FrmConvset::editColourSet() {
    SharedState& state = sharedState();
    const ProductLine* line = findProductLine(state.productLines, state.colourSet.id);
    if (line == nullptr)
        return;
    FrmColSet editor(dialogs_, *line, state.colourSet.binding,
                     state.colourTable.standardUserColour(), this);
    if (editor.exec() != QDialog::Accepted)
        return;
    useColourSet({line->id, editor.binding()});
}

void FrmConvset::useColourSet(const ColourSetChoice& choice) {
    SharedState& state = sharedState();
    state.colourSet = choice;
    applyColourSetChoice(state.colourTable, choice, state.productLines);
    showColourTable();
    const ProductLine* line = findProductLine(state.productLines, choice.id);
    const QString path = QDir(settingsFolder_).filePath(QLatin1String(kColourSetFileName));
    if (auto written = writeSettingsLines(path, colourSetLines(choice, line)); !written) {
        dialogs_.inform(
            this, kTitle,
            QStringLiteral("ﾌｧｲﾙ（%1）を保存できません。").arg(QLatin1String(kColourSetFileName)) +
                QStringLiteral("\n") + japaneseReason(written.error()),
            MessageIcon::Exclamation);
    }
}

bool FrmConvset::eyedropperActive() const {
    return eyedropper_->isChecked();
}

void FrmConvset::pickColour(int red, int green, int blue) {
    editor_[0]->setValue(red);
    editor_[1]->setValue(green);
    editor_[2]->setValue(blue);
}

Result<ConversionSettings> FrmConvset::conversionSettings() const {
    ConversionSettings settings;
    settings.space = nearColour_[0]->isChecked()   ? ColourSpace::Rgb
                     : nearColour_[1]->isChecked() ? ColourSpace::Ycc
                                                   : ColourSpace::Cie;
    for (int k = 0; k < kWeightCount; ++k) {
        const auto weight = parseInt16(weights_[k]->text());
        if (!weight) {
            return makeError(QStringLiteral("拡散方法の%1番目の値（%2）は -32768 から 32767 "
                                            "までの整数で入力して下さい。")
                                 .arg(k + 1)
                                 .arg(weights_[k]->text())
                                 .toStdString());
        }
        settings.weights[k] = *weight;
    }
    settings.rate = rate_->value();
    for (int i = 0; i < 3; ++i)
        settings.density[i] = density_[i]->value();
    for (int n = 0; n < kColourCount; ++n)
        settings.usable[n] = use_[n]->isChecked() && sharedState().colourTable.usable(n);
    return settings;
}

ConversionDescription FrmConvset::description() const {
    ConversionDescription description;
    description.space = nearColour_[0]->isChecked()   ? ColourSpace::Rgb
                        : nearColour_[1]->isChecked() ? ColourSpace::Ycc
                                                      : ColourSpace::Cie;
    description.rateText = rateLabel_->text();
    description.weightTexts = weightTexts();
    for (int i = 0; i < 3; ++i)
        description.densityPercentTexts[i] = densityLabels_[i]->text();
    return description;
}

void FrmConvset::showUsedColours(const std::array<int32_t, kColourCount>& counts) {
    for (int n = 0; n < kColourCount; ++n)
        use_[n]->setChecked(counts[n] > 0);
}

void FrmConvset::showColorUsage(const QString& usage) {
    const auto view = colourUsageView(usage);
    if (!view)
        return;
    for (int k = 0; k < kColourCount; ++k) {
        use_[k]->setChecked(view->ticked[k]);
        switch (view->marks[k]) {
            case UsageMark::Hidden:
                marks_[k]->hide();
                break;
            case UsageMark::Red:
                setTextColour(marks_[k], Qt::red);
                marks_[k]->show();
                break;
            case UsageMark::Blue:
                setTextColour(marks_[k], Qt::blue);
                marks_[k]->show();
                break;
            case UsageMark::Black:
                setTextColour(marks_[k], Qt::black);
                marks_[k]->show();
                break;
        }
    }
}

}  // namespace kirimo::ui
