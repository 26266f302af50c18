#include "ui/main_window.h"

#include <unistd.h>

#include "ui_main_window.h"

#include <QDir>
#include <QFileInfo>
#include <QLayout>
#include <QTimer>

#include "files/save_commands.h"
#include "ui/about_dialog.h"
#include "ui/help_key.h"
#include "ui/save_as_dialog.h"
#include "ui/window_design.h"

namespace kurvimo {

namespace {

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowCloseButtonHint;
constexpr int kTickMs = 500;
const QString kCleanBackground = QStringLiteral("cls.bmp");
const QString kReserveBackground = QStringLiteral("sgz.bmp");
const QString kHelpFile = QStringLiteral("krv.hlp");
// What every CMake build folder holds; the program runs from one only while it is being worked on.
const QString kBuildTreeMark = QStringLiteral("CMakeFiles");

// The palette's names, in the order of its entries.
const char *const kColourNames[] = {
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "black"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "blue"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "green"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "cyan"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "red"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "magenta"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "yellow"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "white"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "gray"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "light blue"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "light green"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "light cyan"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "light red"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "light magenta"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "light yellow"),
    QT_TRANSLATE_NOOP("kurvimo::MainWindow", "bright white"),
};

// Shows a numeric slider's value in its label and hands it on.
int Mirror(const QScrollBar *slider, QLabel *label) {
  label->setText(QString::number(slider->value()));
  return slider->value();
}

}  // namespace

MainWindow::MainWindow(RuntimeServices &runtime, RandomSource &random, QWidget *parent)
    : QMainWindow(parent, kWindowFlags),
      runtime_(runtime),
      random_(random),
      ui_(std::make_unique<Ui::MainWindow>()),
      engine_(SetUpForm(), random, *this) {
  setWindowTitle(kProgramName);
  tickTimer_ = new QTimer(this);
  tickTimer_->setObjectName(QStringLiteral("tickTimer"));
  tickTimer_->setInterval(kTickMs);
  ui_->canvas->setFocus();
  ConnectHandlers();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();
  SetStartupState();
  tickTimer_->start();
}

MainWindow::~MainWindow() = default;

CanvasWidget &MainWindow::SetUpForm() {
  ui_->setupUi(this);
  return *ui_->canvas;
}

// Connected here rather than in the form, so that the compiler checks every handler.
void MainWindow::ConnectHandlers() {
  connect(ui_->startStopButton, &QPushButton::clicked, this, &MainWindow::StartOrStop);
  connect(ui_->clearButton, &QPushButton::clicked, this, &MainWindow::ClearCanvas);
  connect(ui_->displayButton, &QPushButton::clicked, this, &MainWindow::DisplayFigure);
  connect(ui_->olderButton, &QPushButton::clicked, this, &MainWindow::ShowOlderFigure);
  connect(ui_->newerButton, &QPushButton::clicked, this, &MainWindow::ShowNewerFigure);
  connect(ui_->magnificationSlider, &QScrollBar::valueChanged, this,
          &MainWindow::ApplyMagnification);
  connect(ui_->xPositionSlider, &QScrollBar::valueChanged, this, &MainWindow::ApplyXPosition);
  connect(ui_->yPositionSlider, &QScrollBar::valueChanged, this, &MainWindow::ApplyYPosition);
  connect(ui_->termCountSlider, &QScrollBar::valueChanged, this, &MainWindow::ApplyTermCount);
  connect(ui_->changeSpeedSlider, &QScrollBar::valueChanged, this, &MainWindow::ApplyChangeSpeed);
  connect(ui_->colorSlider, &QScrollBar::valueChanged, this, &MainWindow::ApplyColor);
  connect(tickTimer_, &QTimer::timeout, this, &MainWindow::Tick);
  connect(ui_->actionSave, &QAction::triggered, this, &MainWindow::Save);
  connect(ui_->actionSaveAs, &QAction::triggered, this, &MainWindow::SaveAs);
  connect(ui_->actionExit, &QAction::triggered, this, &MainWindow::Exit);
  connect(ui_->actionHelp, &QAction::triggered, this, &MainWindow::OpenHelp);
  connect(ui_->actionAbout, &QAction::triggered, this, &MainWindow::ShowAbout);
  helpKey_ = new HelpKey(runtime_, this);
}

void MainWindow::SetStartupState() {
  ui_->actionSave->setEnabled(false);
  for (QPushButton *button :
       {ui_->olderButton, ui_->newerButton, ui_->clearButton, ui_->displayButton})
    button->setEnabled(false);
  ui_->reserveModeButton->setEnabled(false);
  random_.SeedFromClock();
  engine_.SetDrawMode(DrawMode::kNew);
  engine_.Stop();
  ui_->startStopButton->setText(tr("Start"));
  engine_.SetMagnification(Mirror(ui_->magnificationSlider, ui_->magnificationLabel));
  engine_.SetXPosition(Mirror(ui_->xPositionSlider, ui_->xPositionLabel));
  engine_.SetYPosition(Mirror(ui_->yPositionSlider, ui_->yPositionLabel));
  engine_.SetTermCount(Mirror(ui_->termCountSlider, ui_->termCountLabel));
  engine_.SetChangeSpeed(Mirror(ui_->changeSpeedSlider, ui_->changeSpeedLabel));
  engine_.ForgetCentring();
  engine_.SetColorIndex(0);
  ui_->colorLabel->setText(tr(kColourNames[0]));
}

void MainWindow::StartOrStop() {
  const DrawMode mode = ui_->newModeButton->isChecked() ? DrawMode::kNew : DrawMode::kReserve;
  if (engine_.model().running) {
    engine_.SetDrawMode(mode);
    StopRun();
  } else {
    StartRun(mode);
  }
}

void MainWindow::StopRun() {
  engine_.Stop();
  ui_->startStopButton->setText(tr("Start"));
  for (QWidget *w : std::initializer_list<QWidget *>{ui_->reserveModeButton, ui_->olderButton,
                                                     ui_->newerButton, ui_->clearButton}) {
    w->setEnabled(true);
  }
}

// The background is made ready before anything changes, so that a file that cannot be read or
// written leaves the window exactly as it was.
void MainWindow::StartRun(DrawMode mode) {
  const Picture background = mode == DrawMode::kNew ? CleanBackground() : ReserveBackground();
  if (!background.ok()) {
    runtime_.ShowFailure(this, tr("The figure was not started.\n\n%1").arg(background.error));
    return;
  }
  engine_.SetDrawMode(mode);
  ui_->displayButton->setEnabled(false);
  ui_->clearButton->setEnabled(false);
  if (mode == DrawMode::kNew) ui_->canvas->Clear();
  ui_->canvas->SetBackground(background.image);
  engine_.Start();
  ui_->startStopButton->setText(tr("Stop"));
}

Picture MainWindow::CleanBackground() const {
  const QString path = ProgramFile(kCleanBackground);
  Picture clean = LoadBitmap(path);
  if (!clean.ok())
    clean.error = tr("\"%1\" cannot be used as the background: %2.").arg(path, clean.error);
  return clean;
}

Picture MainWindow::ReserveBackground() const {
  const QString path = ReserveFile();
  if (const QString error = SaveBackground(path); !error.isEmpty()) return {{}, error};
  Picture kept = LoadBitmap(path);
  if (!kept.ok()) {
    kept.error = tr("\"%1\" now holds the picture so far, in place of the one kept before, but "
                    "cannot be read back: %2.")
                     .arg(path, kept.error);
  }
  return kept;
}

// Returns why the picture cannot be kept, naming the file, or an empty string.
QString MainWindow::SaveBackground(const QString &path) const {
  QDir().mkpath(QFileInfo(path).path());  // the user's data folder is made on first use
  const QString error = SaveBitmap(ui_->canvas->Image(), path);
  if (error.isEmpty()) return error;
  return tr("The picture so far cannot be kept in \"%1\": %2.").arg(path, error);
}

// Beside the program only where the installation is the user's own, a build tree or an install in
// their home folder, which they own and may write, and which holds no sgz.bmp they may not replace.
// Everywhere else, a packaged or system-wide installation above all, whoever runs it, the picture
// goes to the user's own data folder.
QString MainWindow::ReserveFile() const {
  const QFileInfo program(runtime_.ProgramFolder()), kept(ProgramFile(kReserveBackground));
  const bool inHome = program.canonicalFilePath().startsWith(QDir::home().canonicalPath() + '/');
  const bool buildTree = QFileInfo(ProgramFile(kBuildTreeMark)).isDir();
  const bool usersOwn = (inHome || buildTree) && program.ownerId() == ::getuid() &&
                        program.isWritable() &&
                        (!kept.exists() || (kept.isFile() && kept.ownerId() == ::getuid()));
  return usersOwn ? kept.filePath()
                  : runtime_.UserDataFolder() + QLatin1Char('/') + kReserveBackground;
}

QString MainWindow::ProgramFile(const QString &name) const {
  return runtime_.ProgramFolder() + QLatin1Char('/') + name;
}

void MainWindow::ClearCanvas() {
  ui_->canvas->Clear();
  ui_->displayButton->setEnabled(true);
  ui_->clearButton->setEnabled(false);
}

void MainWindow::DisplayFigure() {
  ui_->displayButton->setEnabled(false);
  ui_->clearButton->setEnabled(true);
  ui_->canvas->Clear();
  engine_.DrawFigure();
}

void MainWindow::ShowOlderFigure() {
  engine_.StepBack(1);
}

void MainWindow::ShowNewerFigure() {
  engine_.StepForward(1);
}

void MainWindow::Tick() {
  if (engine_.model().running) engine_.EvolveFigure();
}

void MainWindow::ApplyMagnification() {
  engine_.SetMagnification(Mirror(ui_->magnificationSlider, ui_->magnificationLabel));
}

void MainWindow::ApplyXPosition() {
  engine_.SetXPosition(Mirror(ui_->xPositionSlider, ui_->xPositionLabel));
}

void MainWindow::ApplyYPosition() {
  engine_.SetYPosition(Mirror(ui_->yPositionSlider, ui_->yPositionLabel));
}

void MainWindow::ApplyTermCount() {
  engine_.SetTermCount(Mirror(ui_->termCountSlider, ui_->termCountLabel));
}

void MainWindow::ApplyChangeSpeed() {
  engine_.SetChangeSpeed(Mirror(ui_->changeSpeedSlider, ui_->changeSpeedLabel));
}

void MainWindow::ApplyColor() {
  engine_.SetColorIndex(ui_->colorSlider->value());
  ui_->colorLabel->setText(tr(kColourNames[engine_.model().colorIndex]));
}

// A failed write is told, and the program and its drawing go on as they were.
void MainWindow::Save() {
  WritePicture(runtime_, this, ui_->canvas->Image(), saveState_.savePath);
}

void MainWindow::SaveAs() {
  auto *dialog = new SaveAsDialog(runtime_, *ui_->canvas, saveState_, ui_->actionSave, this);
  dialog->SetFilePattern(QLatin1Char('*') + kBitmapExtension);
  PlaceSecondaryWindow(dialog);
  dialog->exec();
}

void MainWindow::Exit() {
  runtime_.Quit();
}

void MainWindow::OpenHelp() {
  const QString file = ProgramFile(kHelpFile);
  helpKey_->SetHelpFile(file);
  runtime_.ShowHelp(this, file);
}

void MainWindow::ShowAbout() {
  auto *about = new AboutDialog(this);
  PlaceSecondaryWindow(about);
  about->exec();
}

void MainWindow::ShowFigureCount(int figureCount) {
  ui_->figureCountLabel->setText(QString::number(figureCount));
}

void MainWindow::ShowHistoryOffset(std::int16_t offset) {
  ui_->historyOffsetLabel->setText(QString::number(offset));
}

}  // namespace kurvimo
