#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmAbout;
}

namespace kurvimo {

// The About window, laid out in frm_about.ui: icon, name and version. OK, Enter and Esc close it;
// it deletes itself then.
class frmAbout final : public QDialog {
  Q_OBJECT

 public:
  explicit frmAbout(QWidget *parent);
  ~frmAbout() override;

 private:
  void cmdOK_Click();

  std::unique_ptr<Ui::frmAbout> ui_;
};

}  // namespace kurvimo
