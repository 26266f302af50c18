#pragma once

#include <QDialog>
#include <memory>

#include "files/module1.h"
#include "platform/canvas.h"
#include "platform/runtime_services.h"

class QAction;

namespace Ui {
class Form2;
}

namespace kurvimo {

// The save-as window, laid out in form2.ui: pick a folder and a name, and the canvas is written
// there as a bitmap. It deletes itself when it closes, so every opening starts afresh.
class Form2 final : public QDialog {
  Q_OBJECT

 public:
  Form2(RuntimeServices &runtime, const Canvas &picture1, Module1 &module1, QAction *mnuSave,
        QWidget *parent);
  ~Form2() override;

  void SetFilePattern(const QString &pattern);

 protected:
  void keyPressEvent(QKeyEvent *event) override;

 private:
  void Drive1_Change();
  void Dir1_Change();
  void File1_Click();
  void Command1_Click();

  RuntimeServices &runtime_;
  const Canvas &picture1_;
  Module1 &module1_;
  QAction *mnuSave_;
  std::unique_ptr<Ui::Form2> ui_;
};

}  // namespace kurvimo
