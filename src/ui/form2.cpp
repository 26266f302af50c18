#include "ui/form2.h"

#include "ui_form2.h"

#include <QAction>
#include <QKeyEvent>

#include "files/save_commands.h"

namespace kurvimo {

Form2::Form2(RuntimeServices &runtime, const Canvas &picture1, Module1 &module1, QAction *mnuSave,
             QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      runtime_(runtime),
      picture1_(picture1),
      module1_(module1),
      mnuSave_(mnuSave),
      ui_(std::make_unique<Ui::Form2>()) {
  setAttribute(Qt::WA_DeleteOnClose);
  ui_->setupUi(this);
  ui_->File1->SetPath(ui_->Dir1->Path());
  ui_->Drive1->setFocus();
  connect(ui_->Drive1, &QComboBox::activated, this, &Form2::Drive1_Change);
  connect(ui_->Dir1, &DirList::Change, this, &Form2::Dir1_Change);
  connect(ui_->File1, &QListWidget::itemSelectionChanged, this, &Form2::File1_Click);
  connect(ui_->Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
}

Form2::~Form2() = default;

void Form2::SetFilePattern(const QString &pattern) {
  ui_->File1->SetPattern(pattern);
}

// Esc would close a dialog; this window closes only with Save or its close box.
void Form2::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void Form2::Drive1_Change() {
  ui_->Dir1->SetPath(ui_->Drive1->Drive());  // a volume that cannot be read leaves the lists alone
}

void Form2::Dir1_Change() {
  ui_->File1->SetPath(ui_->Dir1->Path());
}

// The name without its extension, taken from the list, which shows bitmaps only.
void Form2::File1_Click() {
  const QString name = ui_->File1->FileName();
  if (!name.isEmpty())
    ui_->txtTargetFile->setText(name.left(qMax(0, name.size() - kBitmapExtension.size())));
}

void Form2::Command1_Click() {
  const QString path = TargetPath(ui_->Dir1->Path(), ui_->txtTargetFile->text());
  if (ExistingLength(path) > 0 && !runtime_.AskYesNo(this, OverwriteQuestion(path))) {
    close();
    return;
  }
  // A failed write keeps the window open, so another name or folder can be tried.
  if (!WritePicture(runtime_, this, picture1_.Image(), path)) return;
  module1_.currentFileName = path;
  mnuSave_->setEnabled(true);
  close();
}

}  // namespace kurvimo
