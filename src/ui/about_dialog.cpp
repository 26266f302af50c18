#include "ui/about_dialog.h"

#include "ui_about_dialog.h"

#include "ui/window_design.h"

namespace kurvimo {

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | kCloseBoxOnly),
      ui_(std::make_unique<Ui::AboutDialog>()) {
  ui_->setupUi(this);
  connect(ui_->okButton, &QPushButton::clicked, this, &QDialog::close);
  ui_->okButton->setFocus();  // Enter presses it; Esc closes the dialog as well
}

AboutDialog::~AboutDialog() = default;

}  // namespace kurvimo
