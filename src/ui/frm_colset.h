#pragma once
// The colour set editor: binds each of the 18 named colours to a bead of one product
// line. The list of colours shows each colour's bead (swatch, code, name); the list of the
// line's beads can be searched by code. A bead is bound to one colour at most, and no two
// bound beads share a colour.

#include <QDialog>

#include "core/colour_sets.h"

class QLineEdit;
class QListWidget;

namespace kirimo::ui {

class Dialogs;

class FrmColSet : public QDialog {
    Q_OBJECT
  public:
    // `userColour` is the standard set's user colour, which "自動" binds 自 to.
    FrmColSet(Dialogs& dialogs, const ProductLine& line, ColourBinding binding, Rgb userColour,
              QWidget* parent = nullptr);

    // The binding as the window shows it.
    const ColourBinding& binding() const { return binding_; }

    // Binds the bead to the colour; a bead bound elsewhere swaps with the colour's own.
    // False (with a message) when another bound bead has the same colour.
    bool bind(int colour, int bead);

  private:
    void showColours();
    void showBeads();

    Dialogs& dialogs_;
    const ProductLine& line_;
    ColourBinding binding_;
    Rgb userColour_;
    QListWidget* colours_ = nullptr;  // lstCOLOURS
    QListWidget* beads_ = nullptr;    // lstBEADS
    QLineEdit* search_ = nullptr;     // txtSEARCH
};

}  // namespace kirimo::ui
