#pragma once

#include <QDialog>

class QPushButton;

namespace kurvimo {

// The About window: icon, name and version. OK, Enter and Esc close it; it deletes itself then.
class frmAbout final : public QDialog {
  Q_OBJECT

 public:
  explicit frmAbout(QWidget *parent);

 private:
  void cmdOK_Click();

  QPushButton *cmdOK = nullptr;
};

}  // namespace kurvimo
