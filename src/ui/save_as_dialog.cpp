#include "ui/save_as_dialog.h"

#include "ui_save_as_dialog.h"

#include <QAction>
#include <QKeyEvent>

#include "files/save_commands.h"

namespace kurvimo {

SaveAsDialog::SaveAsDialog(RuntimeServices &runtime, const Canvas &canvas, SaveState &saveState,
                           QAction *saveAction, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      runtime_(runtime),
      canvas_(canvas),
      saveState_(saveState),
      saveAction_(saveAction),
      ui_(std::make_unique<Ui::SaveAsDialog>()) {
  setAttribute(Qt::WA_DeleteOnClose);
  ui_->setupUi(this);
  ui_->fileList->SetPath(ui_->folderList->Path());
  ui_->driveList->setFocus();
  // Picking the drive already shown changes nothing.
  connect(ui_->driveList, &QComboBox::currentIndexChanged, this, &SaveAsDialog::OpenDrive);
  connect(ui_->folderList, &FolderList::PathChanged, this, &SaveAsDialog::ListFolderFiles);
  connect(ui_->fileList, &QListWidget::itemSelectionChanged, this, &SaveAsDialog::TakePickedName);
  connect(ui_->saveButton, &QPushButton::clicked, this, &SaveAsDialog::SaveCanvas);
}

SaveAsDialog::~SaveAsDialog() = default;

void SaveAsDialog::SetFilePattern(const QString &pattern) {
  ui_->fileList->SetPattern(pattern);
}

// Esc would close a dialog; this window closes only with Save or its close box.
void SaveAsDialog::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void SaveAsDialog::OpenDrive() {
  ui_->folderList->SetPath(
      ui_->driveList->Drive());  // a volume that cannot be read leaves the lists alone
}

void SaveAsDialog::ListFolderFiles() {
  ui_->fileList->SetPath(ui_->folderList->Path());
}

// The name without its extension, taken from the list, which shows bitmaps only.
void SaveAsDialog::TakePickedName() {
  const QString name = ui_->fileList->FileName();
  if (!name.isEmpty())
    ui_->fileNameEdit->setText(name.left(qMax(0, name.size() - kBitmapExtension.size())));
}

void SaveAsDialog::SaveCanvas() {
  const QString path = TargetPath(ui_->folderList->Path(), ui_->fileNameEdit->text());
  if (ExistingLength(path) > 0 && !runtime_.AskYesNo(this, OverwriteQuestion(path))) {
    close();
    return;
  }
  // A failed write keeps the window open, so another name or folder can be tried.
  if (!WritePicture(runtime_, this, canvas_.Image(), path)) return;
  saveState_.savePath = path;
  saveAction_->setEnabled(true);
  close();
}

}  // namespace kurvimo
