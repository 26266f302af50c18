#include "ui/save_as_dialog.h"

#include "ui_save_as_dialog.h"

#include <QKeyEvent>

#include "files/save_commands.h"
#include "ui/window_design.h"

namespace kurvimo {

SaveAsDialog::SaveAsDialog(RuntimeServices &runtime, const Canvas &canvas, QWidget *parent)
    : QDialog(parent, Qt::Dialog | kCloseBoxOnly),
      runtime_(runtime),
      canvas_(canvas),
      ui_(std::make_unique<Ui::SaveAsDialog>()) {
  ui_->setupUi(this);
  ui_->fileList->setPath(ui_->folderList->path());
  ui_->driveList->setFocus();
  // Picking the drive already shown changes nothing.
  connect(ui_->driveList, &QComboBox::currentIndexChanged, this, &SaveAsDialog::openDrive);
  connect(ui_->folderList, &FolderList::pathChanged, this, &SaveAsDialog::listFolderFiles);
  connect(ui_->fileList, &QListWidget::itemSelectionChanged, this, &SaveAsDialog::takePickedName);
  // Queued: the overwrite question is a modal window of its own.
  connect(ui_->saveButton, &QPushButton::clicked, this, &SaveAsDialog::saveCanvas,
          Qt::QueuedConnection);
}

SaveAsDialog::~SaveAsDialog() = default;

void SaveAsDialog::setFilePattern(const QString &pattern) {
  ui_->fileList->setPattern(pattern);
}

// Esc would close a dialog; this window closes only with Save or its close box.
void SaveAsDialog::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void SaveAsDialog::openDrive() {
  ui_->folderList->setPath(
      ui_->driveList->drive());  // a volume that cannot be read leaves the lists alone
}

void SaveAsDialog::listFolderFiles() {
  ui_->fileList->setPath(ui_->folderList->path());
}

// The name without its extension, taken from the list, which shows bitmaps only.
void SaveAsDialog::takePickedName() {
  const QString name = ui_->fileList->fileName();
  if (!name.isEmpty())
    ui_->fileNameEdit->setText(name.left(qMax(0, name.size() - kBitmapExtension.size())));
}

void SaveAsDialog::saveCanvas() {
  const QString path = targetPath(ui_->folderList->path(), ui_->fileNameEdit->text());
  if (existingLength(path) > 0 && !runtime_.askYesNo(this, overwriteQuestion(path))) {
    reject();
    return;
  }
  // A failed write keeps the window open, so another name or folder can be tried.
  if (const QString failure = writePicture(canvas_.image(), path); !failure.isEmpty()) {
    runtime_.showFailure(this, failure);
    return;
  }
  savedPath_ = path;
  accept();
}

}  // namespace kurvimo
