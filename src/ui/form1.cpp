#include "ui/form1.h"

#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "files/save_commands.h"
#include "ui/canvas_widget.h"
#include "ui/form2.h"
#include "ui/frm_about.h"
#include "ui/help_key.h"
#include "ui/scroll_slider.h"
#include "ui/window_design.h"

namespace kurvimo {

namespace {

const QString kTitle = QStringLiteral("Kurvimo");
constexpr QSize kClientSize(711, 517);
constexpr int kTickMs = 500;
constexpr std::int16_t kModeNew = 0;
constexpr std::int16_t kModeReserve = 1;
const QString kCleanBackground = QStringLiteral("cls.bmp");
const QString kReserveBackground = QStringLiteral("sgz.bmp");
const QString kHelpFile = QStringLiteral("krv.hlp");
const QString kBitmapPattern = QStringLiteral("*.bmp");
const QString kStartCaption = QStringLiteral("Start");
const QString kStopCaption = QStringLiteral("Stop");

const char *const kColourNames[] = {"black",     "blue",          "green",        "cyan",
                                    "red",       "magenta",       "yellow",       "white",
                                    "gray",      "light blue",    "light green",  "light cyan",
                                    "light red", "light magenta", "light yellow", "bright white"};

struct SliderDesign {
  const char *name;
  const char *heading;  // also the slider's accessible name
  QRect geometry;
  int minimum, maximum, initial, largeChange;
};

constexpr SliderDesign kBairitu{
    "HScroll_bairitu", "Magnification", {544, 136, 121, 17}, 0, 20, 5, 5};
constexpr SliderDesign kXichi{"HScroll_xichi", "X-axis", {544, 184, 121, 17}, 0, 500, 250, 10};
constexpr SliderDesign kYichi{"HScroll_yichi", "Y-axis", {544, 232, 121, 17}, 0, 500, 50, 10};
constexpr SliderDesign kKansuu{
    "HScroll_kansuu", "Complex of figure", {544, 432, 121, 17}, 4, 16, 9, 4};
constexpr SliderDesign kHenka{
    "HScroll_henka", "Change speed of figure", {544, 480, 121, 17}, 0, 10, 0, 2};
constexpr SliderDesign kColor{"HScroll_color", "Color", {544, 352, 121, 17}, 0, 15, 0, 3};

struct LabelDesign {
  const char *name;
  const char *text;
  QRect geometry;
};

// Headings name the control below or beside them.
constexpr LabelDesign kHeadings[] = {
    {"Label1", "Magnification", {544, 120, 72, 15}},
    {"Label2", "X-axis", {544, 168, 33, 15}},
    {"Label3", "Y-axis", {544, 216, 33, 15}},
    {"Label4", "Figure", {544, 264, 35, 15}},
    {"Label5", "Complex of figure", {544, 416, 96, 15}},
    {"Label6", "Change speed of figure", {544, 464, 129, 15}},
    {"Label7", "Color", {544, 312, 30, 15}},
};

// Value labels: the text is the value, so what a label is goes into its description.
constexpr LabelDesign kValueLabels[] = {
    {"Lab_bairitu", "Magnification value", {672, 136, 25, 17}},
    {"Lab_xichi", "X-axis value", {672, 184, 25, 17}},
    {"Lab_yichi", "Y-axis value", {672, 232, 25, 17}},
    {"Lab_kansuu", "Complex of figure value", {672, 432, 25, 17}},
    {"Lab_henka", "Change speed of figure value", {672, 480, 25, 17}},
    {"Labcount", "Figure count", {640, 32, 49, 17}},
    {"Labmodoru", "Figure offset in history", {584, 288, 41, 17}},
    {"Lab_color", "Color name", {544, 328, 121, 17}},
};

constexpr QRect kCanvasAt(8, 8, 521, 489);
constexpr QRect kComstartAt(544, 8, 81, 41);
constexpr QRect kComMlAt(544, 280, 33, 25);
constexpr QRect kComMrAt(632, 280, 33, 25);
constexpr QRect kCmdclsAt(544, 376, 57, 25);
constexpr QRect kCmdsaihyoujiAt(608, 376, 57, 25);
constexpr QRect kFrame1At(544, 64, 153, 41);
constexpr QRect kOption1At(16, 16, 49, 12);
constexpr QRect kOption2At(72, 16, 73, 12);
// The caption sits on the frame's top line, which leaves room for the options inside.
const QString kFrameStyle = QStringLiteral(
    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px; }");

QScrollBar *MakeSlider(QWidget *client, const SliderDesign &d) {
  auto *slider = new ScrollSlider(client);
  slider->setObjectName(QLatin1String(d.name));
  slider->setAccessibleName(QLatin1String(d.heading));
  slider->setGeometry(d.geometry);
  slider->setRange(d.minimum, d.maximum);
  slider->setSingleStep(1);
  slider->setPageStep(d.largeChange);
  slider->setValue(d.initial);
  // A change counts once the thumb is let go, not while it is dragged.
  slider->setTracking(false);
  slider->setFocusPolicy(Qt::StrongFocus);
  return slider;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption, QRect at) {
  auto *button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(at);
  button->setAutoDefault(false);
  return button;
}

QLabel *MakeValueLabel(QWidget *client, const LabelDesign &d, Qt::Alignment alignment) {
  auto *label = new QLabel(client);
  label->setObjectName(QLatin1String(d.name));
  label->setAccessibleDescription(QLatin1String(d.text));
  label->setGeometry(d.geometry);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setLineWidth(1);
  label->setAlignment(alignment | Qt::AlignVCenter);
  return label;
}

// Shows a numeric slider's value in its label and hands it on as a 16-bit value.
std::int16_t Mirror(const QScrollBar *slider, QLabel *label) {
  label->setText(QString::number(slider->value()));
  return static_cast<std::int16_t>(slider->value());
}

}  // namespace

Form1::Form1(RuntimeServices &runtime, RandomSource &random, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      runtime_(runtime),
      random_(random),
      Picture1(new CanvasWidget),
      engine_(*Picture1, random, *this) {
  DesignWindow(this, kTitle);
  auto *client = new QWidget(this);
  client->setFixedSize(kClientSize);
  setCentralWidget(client);
  CreateCanvasAndSliders(client);
  CreateRunControls(client);
  CreateLabels(client);
  CreateMenus();
  SetTabOrder();
  ConnectHandlers();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();
  Form_Load();
  Timer1->start();
}

void Form1::CreateCanvasAndSliders(QWidget *client) {
  Picture1->setParent(client);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  Picture1->setAccessibleName(QStringLiteral("Canvas"));
  Picture1->setGeometry(kCanvasAt);
  HScroll_bairitu = MakeSlider(client, kBairitu);
  HScroll_xichi = MakeSlider(client, kXichi);
  HScroll_yichi = MakeSlider(client, kYichi);
  HScroll_kansuu = MakeSlider(client, kKansuu);
  HScroll_henka = MakeSlider(client, kHenka);
  HScroll_color = MakeSlider(client, kColor);
}

void Form1::CreateRunControls(QWidget *client) {
  comstart = MakeButton(client, "comstart", kStartCaption, kComstartAt);
  comMl = MakeButton(client, "comMl", QStringLiteral("<"), kComMlAt);
  comMr = MakeButton(client, "comMr", QStringLiteral(">"), kComMrAt);
  comMl->setAccessibleDescription(QStringLiteral("Older figure"));
  comMr->setAccessibleDescription(QStringLiteral("Newer figure"));
  cmdcls = MakeButton(client, "cmdcls", QStringLiteral("Clear"), kCmdclsAt);
  cmdsaihyouji = MakeButton(client, "cmdsaihyouji", QStringLiteral("Display"), kCmdsaihyoujiAt);
  Frame1 = new QGroupBox(QStringLiteral("Draw mode"), client);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setGeometry(kFrame1At);
  Frame1->setStyleSheet(kFrameStyle);
  Option1 = new QRadioButton(QStringLiteral("New"), Frame1);
  Option1->setObjectName(QStringLiteral("Option1"));
  Option1->setGeometry(kOption1At);
  Option1->setChecked(true);
  Option2 = new QRadioButton(QStringLiteral("Reserve"), Frame1);
  Option2->setObjectName(QStringLiteral("Option2"));
  Option2->setGeometry(kOption2At);
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kTickMs);
}

void Form1::CreateLabels(QWidget *client) {
  for (const LabelDesign &d : kHeadings) {
    auto *heading = new QLabel(QLatin1String(d.text), client);
    heading->setObjectName(QLatin1String(d.name));
    heading->setGeometry(d.geometry);
  }
  QLabel **valueLabels[] = {&Lab_bairitu, &Lab_xichi, &Lab_yichi, &Lab_kansuu,
                            &Lab_henka,   &Labcount,  &Labmodoru};
  for (size_t i = 0; i < std::size(valueLabels); ++i) {
    *valueLabels[i] = MakeValueLabel(client, kValueLabels[i], Qt::AlignRight);
  }
  Lab_color = MakeValueLabel(client, kValueLabels[std::size(valueLabels)], Qt::AlignHCenter);
}

void Form1::CreateMenus() {
  mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
  mnuSave = mnuFile->addAction(QStringLiteral("&Save"));
  mnuSaveAs = mnuFile->addAction(QStringLiteral("Save &As..."));
  mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
  mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
  mnuMokuji = mnuHelp->addAction(QStringLiteral("&Help"));
  mnuVersion = mnuHelp->addAction(QStringLiteral("&Version"));
  // Menus open as windows of their own and would not inherit the window's font.
  for (QMenu *menu : {mnuFile, mnuHelp}) menu->setFont(font());
  mnuSave->setObjectName(QStringLiteral("mnuSave"));
  mnuSaveAs->setObjectName(QStringLiteral("mnuSaveAs"));
  mnuExit->setObjectName(QStringLiteral("mnuExit"));
  mnuMokuji->setObjectName(QStringLiteral("mnuMokuji"));
  mnuVersion->setObjectName(QStringLiteral("mnuVersion"));
}

void Form1::SetTabOrder() {
  QWidget *const order[] = {Picture1, HScroll_bairitu, comstart,      comMl,          cmdsaihyouji,
                            comMr,    HScroll_xichi,   HScroll_yichi, HScroll_kansuu, HScroll_henka,
                            cmdcls,   Option1,         Option2,       HScroll_color};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  Picture1->setFocus();
}

void Form1::ConnectHandlers() {
  connect(comstart, &QPushButton::clicked, this, &Form1::comstart_Click);
  connect(cmdcls, &QPushButton::clicked, this, &Form1::cmdcls_Click);
  connect(cmdsaihyouji, &QPushButton::clicked, this, &Form1::cmdsaihyouji_Click);
  connect(comMl, &QPushButton::clicked, this, &Form1::comMl_Click);
  connect(comMr, &QPushButton::clicked, this, &Form1::comMr_Click);
  connect(HScroll_bairitu, &QScrollBar::valueChanged, this, &Form1::HScroll_bairitu_Change);
  connect(HScroll_xichi, &QScrollBar::valueChanged, this, &Form1::HScroll_xichi_Change);
  connect(HScroll_yichi, &QScrollBar::valueChanged, this, &Form1::HScroll_yichi_Change);
  connect(HScroll_kansuu, &QScrollBar::valueChanged, this, &Form1::HScroll_kansuu_Change);
  connect(HScroll_henka, &QScrollBar::valueChanged, this, &Form1::HScroll_henka_Change);
  connect(HScroll_color, &QScrollBar::valueChanged, this, &Form1::HScroll_color_Change);
  connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
  connect(mnuSave, &QAction::triggered, this, &Form1::mnuSave_Click);
  connect(mnuSaveAs, &QAction::triggered, this, &Form1::mnuSaveAs_Click);
  connect(mnuExit, &QAction::triggered, this, &Form1::mnuExit_Click);
  connect(mnuMokuji, &QAction::triggered, this, &Form1::mnuMokuji_Click);
  connect(mnuVersion, &QAction::triggered, this, &Form1::mnuVersion_Click);
  helpKey_ = new HelpKey(runtime_, this);
}

void Form1::Form_Load() {
  mnuSave->setEnabled(false);
  for (QPushButton *button : {comMl, comMr, cmdcls, cmdsaihyouji}) button->setEnabled(false);
  Option2->setEnabled(false);
  random_.Randomize();
  engine_.SetReserveMode(kModeNew);
  engine_.Stop();
  comstart->setText(kStartCaption);
  engine_.SetBairitu(Mirror(HScroll_bairitu, Lab_bairitu));
  engine_.SetXichi(Mirror(HScroll_xichi, Lab_xichi));
  engine_.SetYichi(Mirror(HScroll_yichi, Lab_yichi));
  engine_.SetKansuu(Mirror(HScroll_kansuu, Lab_kansuu));
  engine_.SetHenka(Mirror(HScroll_henka, Lab_henka));
  engine_.ForgetCentring();
  engine_.SetColorIndex(0);
  Lab_color->setText(QLatin1String(kColourNames[0]));
}

void Form1::comstart_Click() {
  const std::int16_t mode = Option1->isChecked() ? kModeNew : kModeReserve;
  if (engine_.model().running != 0) {
    engine_.SetReserveMode(mode);
    StopRun();
  } else {
    StartRun(mode);
  }
}

void Form1::StopRun() {
  engine_.Stop();
  comstart->setText(kStartCaption);
  for (QWidget *w : std::initializer_list<QWidget *>{Option2, comMl, comMr, cmdcls}) {
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
  cmdsaihyouji->setEnabled(false);
  cmdcls->setEnabled(false);
  if (mode == kModeNew) Picture1->Cls();
  Picture1->SetPicture(background.image);
  engine_.Start();
  comstart->setText(kStopCaption);
}

Picture Form1::CleanBackground() const {
  const QString path = ProgramFile(kCleanBackground);
  Picture clean = LoadPicture(path);
  if (!clean.ok())
    clean.error = tr("\"%1\" cannot be used as the background: %2.").arg(path, clean.error);
  return clean;
}

Picture Form1::ReserveBackground() {
  const QString path = ProgramFile(kReserveBackground);
  if (const QString error = SaveBackground(); !error.isEmpty()) {
    return {{}, tr("The picture so far cannot be kept in \"%1\": %2.").arg(path, error)};
  }
  Picture kept = LoadPicture(path);
  if (!kept.ok()) kept.error = tr("\"%1\" cannot be read back: %2.").arg(path, kept.error);
  return kept;
}

QString Form1::SaveBackground() {
  return SavePicture(Picture1->Image(), ProgramFile(kReserveBackground));
}

QString Form1::ProgramFile(const QString &name) const {
  return runtime_.AppPath() + QLatin1Char('/') + name;
}

void Form1::cmdcls_Click() {
  Picture1->Cls();
  cmdsaihyouji->setEnabled(true);
  cmdcls->setEnabled(false);
}

void Form1::cmdsaihyouji_Click() {
  cmdsaihyouji->setEnabled(false);
  cmdcls->setEnabled(true);
  Picture1->Cls();
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
  engine_.SetBairitu(Mirror(HScroll_bairitu, Lab_bairitu));
}

void Form1::HScroll_xichi_Change() {
  engine_.SetXichi(Mirror(HScroll_xichi, Lab_xichi));
}

void Form1::HScroll_yichi_Change() {
  engine_.SetYichi(Mirror(HScroll_yichi, Lab_yichi));
}

void Form1::HScroll_kansuu_Change() {
  engine_.SetKansuu(Mirror(HScroll_kansuu, Lab_kansuu));
}

void Form1::HScroll_henka_Change() {
  engine_.SetHenka(Mirror(HScroll_henka, Lab_henka));
}

void Form1::HScroll_color_Change() {
  engine_.SetColorIndex(static_cast<std::int16_t>(HScroll_color->value()));
  Lab_color->setText(QLatin1String(kColourNames[engine_.model().colorIndex]));
}

// A failed write is told, and the program and its drawing go on as they were.
void Form1::mnuSave_Click() {
  WritePicture(runtime_, this, Picture1->Image(), module1_.currentFileName);
}

void Form1::mnuSaveAs_Click() {
  auto *form2 = new Form2(runtime_, *Picture1, module1_, mnuSave, this);
  form2->SetFilePattern(kBitmapPattern);
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
  Labcount->setText(QString::number(drawCount));
}

void Form1::ShowModoru(std::int16_t modoru) {
  Labmodoru->setText(QString::number(modoru));
}

}  // namespace kurvimo
