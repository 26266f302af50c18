#include "ui/frm_about.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "ui/window_design.h"

namespace kurvimo {

namespace {

const QString kCaption = QStringLiteral("About");
const QString kProduct = QStringLiteral("Kurvimo");
const QString kVersion = QStringLiteral("Version 1.0");
constexpr QSize kClientSize(374, 134);
constexpr QRect kCmdOKAt(264, 72, 92, 47);
constexpr QRect kPicIconAt(16, 16, 36, 36);
constexpr QRect kLabel1At(80, 32, 248, 29);
constexpr QRect kLabel2At(88, 64, 85, 19);
constexpr int kIconSide = 32;
constexpr int kProductPoints = 18;
constexpr int kVersionPoints = 12;

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text, int points, QRect at) {
  auto *label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  QFont font = parent->font();
  font.setPointSize(points);
  font.setBold(true);
  label->setFont(font);
  label->setGeometry(at);
  return label;
}

}  // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("frmAbout"));
  DesignWindow(this, kCaption);
  setFixedSize(kClientSize);
  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setGeometry(kCmdOKAt);
  cmdOK->setDefault(true);  // Enter presses it; Esc closes the dialog as well
  auto *picIcon = new QLabel(this);
  picIcon->setObjectName(QStringLiteral("picIcon"));
  picIcon->setAccessibleName(QStringLiteral("Program icon"));
  picIcon->setGeometry(kPicIconAt);
  picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  picIcon->setLineWidth((kPicIconAt.width() - kIconSide) / 2);
  picIcon->setPixmap(windowIcon().pixmap(kIconSide, kIconSide));
  MakeLabel(this, "Label1", kProduct, kProductPoints, kLabel1At);
  MakeLabel(this, "Label2", kVersion, kVersionPoints, kLabel2At);
  connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
  cmdOK->setFocus();
}

void frmAbout::cmdOK_Click() {
  close();
}

}  // namespace kurvimo
