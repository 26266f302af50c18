#pragma once

#include <QDialog>
#include <memory>

#include "files/save_state.h"
#include "platform/canvas.h"
#include "platform/runtime_services.h"

class QAction;

namespace Ui {
class SaveAsDialog;
}

namespace kurvimo {

// The save-as window, laid out in save_as_dialog.ui: pick a folder and a name, and the canvas is
// written there as a bitmap. It deletes itself when it closes, so every opening starts afresh.
class SaveAsDialog final : public QDialog {
  Q_OBJECT

 public:
  SaveAsDialog(RuntimeServices &runtime, const Canvas &canvas, SaveState &saveState,
               QAction *saveAction, QWidget *parent);
  ~SaveAsDialog() override;

  void setFilePattern(const QString &pattern);

 protected:
  void keyPressEvent(QKeyEvent *event) override;

 private:
  void openDrive();
  void listFolderFiles();
  void takePickedName();
  void saveCanvas();

  RuntimeServices &runtime_;
  const Canvas &canvas_;
  SaveState &saveState_;
  QAction *saveAction_;
  std::unique_ptr<Ui::SaveAsDialog> ui_;
};

}  // namespace kurvimo
