#pragma once
// The conversion settings window: the palette and its use switches, the colour space of
// the nearest-colour search, the diffusion method with its twelve weights and the named
// presets kept in Dorvel.ini, rate and densities, the user colour's editor with its
// eyedropper, and the usage marks of a conversion. "色変換" asks for a conversion.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>

#include "core/colour_sets.h"
#include "core/conversion_texts.h"
#include "core/diffusion_presets.h"
#include "imaging/conversion.h"
#include "imaging/palette.h"
#include "imaging/result.h"
#include "ui/eyedropper.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kirimo::ui {

class Dialogs;

class FrmConvset : public QWidget, public EyedropperTarget {
    Q_OBJECT
  public:
    // Reads Dorvel.ini from settingsFolder and paints the colour cells and the colour
    // editor from the shared colour table.
    FrmConvset(Dialogs& dialogs, QString settingsFolder, QWidget* parent = nullptr);
    ~FrmConvset() override;

    // The settings a conversion uses, read from the controls. A weight box whose text is
    // not a whole number from -32768 to 32767 gives an error naming the box.
    Result<ConversionSettings> conversionSettings() const;
    // The same settings as the controls show them, for the preview caption.
    ConversionDescription description() const;

    // Leaves exactly the colours with a count above 0 ticked.
    void showUsedColours(const std::array<int32_t, kColourCount>& counts);

    // Shows a usage string: ticks and marks by each colour's share. A text of fewer than
    // 19 fields changes nothing.
    void showColorUsage(const QString& usage);

    // Paints the colour cells from the shared colour table and sets the colour editor to
    // the user colour.
    void showColourTable();

    // Rewrites Dorvel.ini whole: the current settings, then every preset.
    Result<void> writeSettingsFile() const;

    // EyedropperTarget
    bool eyedropperActive() const override;
    void pickColour(int red, int green, int blue) override;

  signals:
    void conversionRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void applyPaletteKind();
    void selectDiffusionMethod(int method);
    void loadPreset(int index);
    void savePreset();
    void loadSettingsFile();
    void onEditorChanged(int component, int value);
    // The colour set chosen in cboCOLSET (automatically bound), and the binding edited in
    // frmCOLSET; each is applied to the shared table and kept in ColourSet.ini.
    void chooseColourSet(int index);
    void editColourSet();
    void useColourSet(const ColourSetChoice& choice);
    std::array<QString, kWeightCount> weightTexts() const;
    void setWeightTexts(const std::array<int16_t, kWeightCount>& weights);
    void setWeightsReadOnly(bool readOnly);

    Dialogs& dialogs_;
    QString settingsFolder_;
    int diffusionMethod_ = 0;
    QStringList presetLines_;

    QComboBox* kind_ = nullptr;               // cboKIND
    QComboBox* colourSet_ = nullptr;          // cboCOLSET
    QPushButton* colourSetButton_ = nullptr;  // cmdCOLSET
    std::array<QRadioButton*, 3> nearColour_{};
    QScrollBar* rate_ = nullptr;   // scrBUNSAN
    QLabel* rateLabel_ = nullptr;  // lblBUNSAN
    std::array<QRadioButton*, 3> mode_{};
    std::array<QLineEdit*, kWeightCount> weights_{};  // txtBUN(1) ... txtBUN(12)
    QComboBox* presets_ = nullptr;                    // cboMODESET
    QPushButton* savePresetButton_ = nullptr;         // cmdSETSAVE
    std::array<QScrollBar*, 3> density_{};
    std::array<QLabel*, 3> densityLabels_{};
    std::array<QCheckBox*, kColourCount> use_{};
    std::array<QLabel*, kColourCount> cells_{};
    std::array<QLabel*, kColourCount> marks_{};
    std::array<QScrollBar*, 3> editor_{};  // scrR, scrG, scrB
    std::array<QLabel*, 3> editorLabels_{};
    QPushButton* eyedropper_ = nullptr;  // chkSPOIT
};

}  // namespace kirimo::ui
