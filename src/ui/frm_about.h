#pragma once
// The about box: the product name, the running version and the legal notice.

#include <QDialog>

namespace kirimo::ui {

class FrmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit FrmAbout(QWidget* parent = nullptr);
};

}  // namespace kirimo::ui
