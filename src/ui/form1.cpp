#include "ui/form1.h"

#include "ui_form1.h"

#include <QDir>
#include <QFileInfo>
#include <QLayout>
#include <QTimer>

#include "files/save_commands.h"
#include "ui/form2.h"
#include "ui/frm_about.h"
#include "ui/help_key.h"
#include "ui/window_design.h"

namespace kurvimo {

namespace {

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowCloseButtonHint;
constexpr int kTickMs = 500;
constexpr std::int16_t kModeNew = 0;
constexpr std::int16_t kModeReserve = 1;
const QString kCleanBackground = QStringLiteral("cls.bmp");
const QString kReserveBackground = QStringLiteral("sgz.bmp");
const QString kHelpFile = QStringLiteral("krv.hlp");
const QString kStartCaption = QStringLiteral("Start");
const QString kStopCaption = QStringLiteral("Stop");

const char *const kColourNames[] = {"black",     "blue",          "green",        "cyan",
                                    "red",       "magenta",       "yellow",       "white",
                                    "gray",      "light blue",    "light green",  "light cyan",
                                    "light red", "light magenta", "light yellow", "bright white"};

// Shows a numeric slider's value in its label and hands it on as a 16-bit value.
std::int16_t Mirror(const QScrollBar *slider, QLabel *label) {
  label->setText(QString::number(slider->value()));
  return static_cast<std::int16_t>(slider->value());
}

}  // namespace

Form1::Form1(RuntimeServices &runtime, RandomSource &random, QWidget *parent)
    : QMainWindow(parent, kWindowFlags),
      runtime_(runtime),
      random_(random),
      ui_(std::make_unique<Ui::Form1>()),
      engine_(SetUpForm(), random, *this) {
  setWindowTitle(kProgramName);
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kTickMs);
  ui_->Picture1->setFocus();
  ConnectHandlers();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();
  Form_Load();
  Timer1->start();
}

Form1::~Form1() = default;

CanvasWidget &Form1::SetUpForm() {
  ui_->setupUi(this);
  return *ui_->Picture1;
}

// Connected here rather than in the form, so that the compiler checks every handler.
void Form1::ConnectHandlers() {
  connect(ui_->comstart, &QPushButton::clicked, this, &Form1::comstart_Click);
  connect(ui_->cmdcls, &QPushButton::clicked, this, &Form1::cmdcls_Click);
  connect(ui_->cmdsaihyouji, &QPushButton::clicked, this, &Form1::cmdsaihyouji_Click);
  connect(ui_->comMl, &QPushButton::clicked, this, &Form1::comMl_Click);
  connect(ui_->comMr, &QPushButton::clicked, this, &Form1::comMr_Click);
  connect(ui_->HScroll_bairitu, &QScrollBar::valueChanged, this, &Form1::HScroll_bairitu_Change);
  connect(ui_->HScroll_xichi, &QScrollBar::valueChanged, this, &Form1::HScroll_xichi_Change);
  connect(ui_->HScroll_yichi, &QScrollBar::valueChanged, this, &Form1::HScroll_yichi_Change);
  connect(ui_->HScroll_kansuu, &QScrollBar::valueChanged, this, &Form1::HScroll_kansuu_Change);
  connect(ui_->HScroll_henka, &QScrollBar::valueChanged, this, &Form1::HScroll_henka_Change);
  connect(ui_->HScroll_color, &QScrollBar::valueChanged, this, &Form1::HScroll_color_Change);
  connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
  connect(ui_->mnuSave, &QAction::triggered, this, &Form1::mnuSave_Click);
  connect(ui_->mnuSaveAs, &QAction::triggered, this, &Form1::mnuSaveAs_Click);
  connect(ui_->mnuExit, &QAction::triggered, this, &Form1::mnuExit_Click);
  connect(ui_->mnuMokuji, &QAction::triggered, this, &Form1::mnuMokuji_Click);
  connect(ui_->mnuVersion, &QAction::triggered, this, &Form1::mnuVersion_Click);
  helpKey_ = new HelpKey(runtime_, this);
}

void Form1::Form_Load() {
  ui_->mnuSave->setEnabled(false);
  for (QPushButton *button : {ui_->comMl, ui_->comMr, ui_->cmdcls, ui_->cmdsaihyouji})
    button->setEnabled(false);
  ui_->Option2->setEnabled(false);
  random_.Randomize();
  engine_.SetReserveMode(kModeNew);
  engine_.Stop();
  ui_->comstart->setText(kStartCaption);
  engine_.SetBairitu(Mirror(ui_->HScroll_bairitu, ui_->Lab_bairitu));
  engine_.SetXichi(Mirror(ui_->HScroll_xichi, ui_->Lab_xichi));
  engine_.SetYichi(Mirror(ui_->HScroll_yichi, ui_->Lab_yichi));
  engine_.SetKansuu(Mirror(ui_->HScroll_kansuu, ui_->Lab_kansuu));
  engine_.SetHenka(Mirror(ui_->HScroll_henka, ui_->Lab_henka));
  engine_.ForgetCentring();
  engine_.SetColorIndex(0);
  ui_->Lab_color->setText(QLatin1String(kColourNames[0]));
}

void Form1::comstart_Click() {
  const std::int16_t mode = ui_->Option1->isChecked() ? kModeNew : kModeReserve;
  if (engine_.model().running != 0) {
    engine_.SetReserveMode(mode);
    StopRun();
  } else {
    StartRun(mode);
  }
}

void Form1::StopRun() {
  engine_.Stop();
  ui_->comstart->setText(kStartCaption);
  for (QWidget *w :
       std::initializer_list<QWidget *>{ui_->Option2, ui_->comMl, ui_->comMr, ui_->cmdcls}) {
    w->setEnabled(true);
  }
}

// The background is made ready before anything changes, so that a file that cannot be read or
// written leaves the window exactly as it was.
void Form1::StartRun(std::int16_t mode) {
  const Picture background = mode == kModeNew ? CleanBackground() : ReserveBackground();
  if (!background.ok()) {
    runtime_.ShowFailure(this, tr("The figure was not started.\n\n%1").arg(background.error));
    return;
  }
  engine_.SetReserveMode(mode);
  ui_->cmdsaihyouji->setEnabled(false);
  ui_->cmdcls->setEnabled(false);
  if (mode == kModeNew) ui_->Picture1->Cls();
  ui_->Picture1->SetPicture(background.image);
  engine_.Start();
  ui_->comstart->setText(kStopCaption);
}

Picture Form1::CleanBackground() const {
  const QString path = ProgramFile(kCleanBackground);
  Picture clean = LoadPicture(path);
  if (!clean.ok())
    clean.error = tr("\"%1\" cannot be used as the background: %2.").arg(path, clean.error);
  return clean;
}

Picture Form1::ReserveBackground() {
  if (const QString error = SaveBackground(); !error.isEmpty()) return {{}, error};
  const QString path = ReserveFile();
  Picture kept = LoadPicture(path);
  if (!kept.ok()) kept.error = tr("\"%1\" cannot be read back: %2.").arg(path, kept.error);
  return kept;
}

// Returns why the picture cannot be kept, naming the file, or an empty string.
QString Form1::SaveBackground() {
  const QString path = ReserveFile();
  QDir().mkpath(QFileInfo(path).path());  // the user's data folder is made on first use
  const QString error = SavePicture(ui_->Picture1->Image(), path);
  if (error.isEmpty()) return error;
  return tr("The picture so far cannot be kept in \"%1\": %2.").arg(path, error);
}

// Beside the program while the user may write there; where the program is installed for
// everyone, its folder is not theirs, so the picture goes to their own data folder.
QString Form1::ReserveFile() const {
  const QFileInfo programFolder(runtime_.AppPath());
  const bool ours = programFolder.isDir() && programFolder.isWritable();
  return (ours ? runtime_.AppPath() : runtime_.UserDataPath()) + QLatin1Char('/') +
         kReserveBackground;
}

QString Form1::ProgramFile(const QString &name) const {
  return runtime_.AppPath() + QLatin1Char('/') + name;
}

void Form1::cmdcls_Click() {
  ui_->Picture1->Cls();
  ui_->cmdsaihyouji->setEnabled(true);
  ui_->cmdcls->setEnabled(false);
}

void Form1::cmdsaihyouji_Click() {
  ui_->cmdsaihyouji->setEnabled(false);
  ui_->cmdcls->setEnabled(true);
  ui_->Picture1->Cls();
  engine_.DrawFigure();
}

void Form1::comMl_Click() {
  engine_.StepBack(1);
}

void Form1::comMr_Click() {
  engine_.StepForward(1);
}

void Form1::Timer1_Timer() {
  if (engine_.model().running != 0) engine_.EvolveFigure();
}

void Form1::HScroll_bairitu_Change() {
  engine_.SetBairitu(Mirror(ui_->HScroll_bairitu, ui_->Lab_bairitu));
}

void Form1::HScroll_xichi_Change() {
  engine_.SetXichi(Mirror(ui_->HScroll_xichi, ui_->Lab_xichi));
}

void Form1::HScroll_yichi_Change() {
  engine_.SetYichi(Mirror(ui_->HScroll_yichi, ui_->Lab_yichi));
}

void Form1::HScroll_kansuu_Change() {
  engine_.SetKansuu(Mirror(ui_->HScroll_kansuu, ui_->Lab_kansuu));
}

void Form1::HScroll_henka_Change() {
  engine_.SetHenka(Mirror(ui_->HScroll_henka, ui_->Lab_henka));
}

void Form1::HScroll_color_Change() {
  engine_.SetColorIndex(static_cast<std::int16_t>(ui_->HScroll_color->value()));
  ui_->Lab_color->setText(QLatin1String(kColourNames[engine_.model().colorIndex]));
}

// A failed write is told, and the program and its drawing go on as they were.
void Form1::mnuSave_Click() {
  WritePicture(runtime_, this, ui_->Picture1->Image(), module1_.currentFileName);
}

void Form1::mnuSaveAs_Click() {
  auto *form2 = new Form2(runtime_, *ui_->Picture1, module1_, ui_->mnuSave, this);
  form2->SetFilePattern(QLatin1Char('*') + kBitmapExtension);
  PlaceSecondaryWindow(form2);
  form2->exec();
}

void Form1::mnuExit_Click() {
  runtime_.End();
}

void Form1::mnuMokuji_Click() {
  const QString file = ProgramFile(kHelpFile);
  helpKey_->SetHelpFile(file);
  runtime_.ShowHelp(this, file);
}

void Form1::mnuVersion_Click() {
  auto *about = new frmAbout(this);
  PlaceSecondaryWindow(about);
  about->exec();
}

void Form1::ShowCount(std::int32_t drawCount) {
  ui_->Labcount->setText(QString::number(drawCount));
}

void Form1::ShowModoru(std::int16_t modoru) {
  ui_->Labmodoru->setText(QString::number(modoru));
}

}  // namespace kurvimo
