#include "ui/form2.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "files/save_commands.h"
#include "ui/file_lists.h"
#include "ui/window_design.h"

namespace kurvimo {

namespace {

const QString kCaption = QStringLiteral("Save As...");
const QString kFirstName = QStringLiteral("File1");
constexpr QSize kClientSize(345, 384);
constexpr QRect kDrive1At(8, 8, 257, 23);
constexpr QRect kDir1At(8, 40, 249, 142);
constexpr QRect kFile1At(8, 192, 249, 141);
constexpr QRect kTxtTargetFileAt(8, 352, 249, 18);
constexpr QRect kCommand1At(272, 328, 65, 49);
constexpr int kExtensionLength = 4;  // ".bmp"

template <typename T>
T *Place(T *control, const char *name, const char *accessibleName, QRect at) {
  control->setObjectName(QLatin1String(name));
  control->setAccessibleName(QLatin1String(accessibleName));
  control->setGeometry(at);
  return control;
}

}  // namespace

Form2::Form2(RuntimeServices &runtime, const Canvas &picture1, Module1 &module1, QAction *mnuSave,
             QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      runtime_(runtime),
      picture1_(picture1),
      module1_(module1),
      mnuSave_(mnuSave) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("Form2"));
  DesignWindow(this, kCaption);
  resize(kClientSize);
  CreateControls();
  connect(Drive1, &QComboBox::activated, this, &Form2::Drive1_Change);
  connect(Dir1, &DirList::Change, this, &Form2::Dir1_Change);
  connect(File1, &QListWidget::itemSelectionChanged, this, &Form2::File1_Click);
  connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
}

void Form2::CreateControls() {
  Drive1 = Place(new DriveList(this), "Drive1", "Drive", kDrive1At);
  Dir1 = Place(new DirList(this), "Dir1", "Folders", kDir1At);
  File1 = Place(new FileList(this), "File1", "Files", kFile1At);
  File1->SetPath(Dir1->Path());
  txtTargetFile =
      Place(new QLineEdit(kFirstName, this), "txtTargetFile", "File name", kTxtTargetFileAt);
  Command1 = Place(new QPushButton(QStringLiteral("Save"), this), "Command1", "Save", kCommand1At);
  // Enter and Esc must not press Save.
  Command1->setAutoDefault(false);
  Command1->setDefault(false);
  setTabOrder(Drive1, Dir1);
  setTabOrder(Dir1, File1);
  setTabOrder(File1, txtTargetFile);
  setTabOrder(txtTargetFile, Command1);
  Drive1->setFocus();
}

void Form2::SetFilePattern(const QString &pattern) {
  File1->SetPattern(pattern);
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
  Dir1->SetPath(Drive1->Drive());  // a volume that cannot be read leaves the lists where they were
}

void Form2::Dir1_Change() {
  File1->SetPath(Dir1->Path());
}

void Form2::File1_Click() {
  const QString name = File1->FileName();
  if (!name.isEmpty()) txtTargetFile->setText(name.left(qMax(0, name.size() - kExtensionLength)));
}

void Form2::Command1_Click() {
  const QString path = TargetPath(Dir1->Path(), txtTargetFile->text());
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
