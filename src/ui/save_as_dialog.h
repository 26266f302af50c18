#pragma once

#include <QDialog>
#include <memory>

#include "platform/canvas.h"
#include "platform/runtime_services.h"

namespace Ui {
class SaveAsDialog;
}

namespace kurvimo {

// The save-as window, laid out in save_as_dialog.ui: pick a folder and a name, and the canvas is
// written there as a bitmap. Accepted once it has written the picture, at savedPath().
class SaveAsDialog final : public QDialog {
  Q_OBJECT

 public:
  SaveAsDialog(RuntimeServices &runtime, const Canvas &canvas, QWidget *parent);
  ~SaveAsDialog() override;

  void setFilePattern(const QString &pattern);
  // Where the picture was written; empty until then.
  QString savedPath() const { return savedPath_; }

 protected:
  void keyPressEvent(QKeyEvent *event) override;

 private:
  void openDrive();
  void listFolderFiles();
  void takePickedName();
  void saveCanvas();

  RuntimeServices &runtime_;
  const Canvas &canvas_;
  QString savedPath_;
  std::unique_ptr<Ui::SaveAsDialog> ui_;
};

}  // namespace kurvimo
