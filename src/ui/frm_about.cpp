#include "ui/frm_about.h"

#include "ui_frm_about.h"

namespace kurvimo {

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::frmAbout>()) {
  setAttribute(Qt::WA_DeleteOnClose);
  ui_->setupUi(this);
  connect(ui_->cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
  ui_->cmdOK->setFocus();  // Enter presses it; Esc closes the dialog as well
}

frmAbout::~frmAbout() = default;

void frmAbout::cmdOK_Click() {
  close();
}

}  // namespace kurvimo
