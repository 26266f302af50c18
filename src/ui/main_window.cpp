#include "ui/main_window.h"

#include "ui_main_window.h"

#include <QFileInfo>
#include <QLayout>
#include <QTimer>

#include "files/picture_places.h"
#include "files/save_commands.h"
#include "platform/regular_file.h"
#include "ui/about_dialog.h"
#include "ui/help_key.h"
#include "ui/save_as_dialog.h"
#include "ui/window_design.h"
#include "ui/window_placement.h"

namespace kurvimo {

namespace {

constexpr int kTickMs = 500;
const QString kCleanBackground = QStringLiteral("cls.bmp");
const QString kHelpFile = QStringLiteral("krv.hlp");

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
int mirror(const QScrollBar *slider, QLabel *label) {
  label->setText(QString::number(slider->value()));
  return slider->value();
}

}  // namespace

MainWindow::MainWindow(RuntimeServices &runtime, RandomSource &random, QWidget *parent)
    : QMainWindow(parent, Qt::Window | kCloseBoxOnly),
      runtime_(runtime),
      random_(random),
      ui_(std::make_unique<Ui::MainWindow>()),
      engine_(setUpForm(), random, *this) {
  setWindowTitle(kProgramName);
  tickTimer_ = new QTimer(this);
  tickTimer_->setObjectName(QStringLiteral("tickTimer"));
  tickTimer_->setInterval(kTickMs);
  ui_->canvas->setFocus();
  connectHandlers();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();
  setStartupState();
  tickTimer_->start();
}

MainWindow::~MainWindow() = default;

CanvasWidget &MainWindow::setUpForm() {
  ui_->setupUi(this);
  return *ui_->canvas;
}

// Connected here rather than in the form, so that the compiler checks every handler.
void MainWindow::connectHandlers() {
  connect(ui_->startStopButton, &QPushButton::clicked, this, &MainWindow::startOrStop);
  connect(ui_->clearButton, &QPushButton::clicked, this, &MainWindow::clearCanvas);
  connect(ui_->displayButton, &QPushButton::clicked, this, &MainWindow::displayFigure);
  connect(ui_->olderButton, &QPushButton::clicked, this, &MainWindow::showOlderFigure);
  connect(ui_->newerButton, &QPushButton::clicked, this, &MainWindow::showNewerFigure);
  connect(ui_->magnificationSlider, &QScrollBar::valueChanged, this,
          &MainWindow::applyMagnification);
  connect(ui_->xPositionSlider, &QScrollBar::valueChanged, this, &MainWindow::applyXPosition);
  connect(ui_->yPositionSlider, &QScrollBar::valueChanged, this, &MainWindow::applyYPosition);
  connect(ui_->termCountSlider, &QScrollBar::valueChanged, this, &MainWindow::applyTermCount);
  connect(ui_->changeSpeedSlider, &QScrollBar::valueChanged, this, &MainWindow::applyChangeSpeed);
  connect(ui_->colorSlider, &QScrollBar::valueChanged, this, &MainWindow::applyColor);
  connect(tickTimer_, &QTimer::timeout, this, &MainWindow::tick);
  connect(ui_->actionSave, &QAction::triggered, this, &MainWindow::save);
  // Modal windows open from the event loop, so that the call that chose them, an accessibility
  // action among them, returns first.
  connect(ui_->actionSaveAs, &QAction::triggered, this, &MainWindow::saveAs, Qt::QueuedConnection);
  connect(ui_->actionExit, &QAction::triggered, this, &MainWindow::exit);
  connect(ui_->actionHelp, &QAction::triggered, this, &MainWindow::openHelp);
  connect(ui_->actionAbout, &QAction::triggered, this, &MainWindow::showAbout,
          Qt::QueuedConnection);
  helpKey_ = new HelpKey(runtime_, this);
}

void MainWindow::setStartupState() {
  ui_->actionSave->setEnabled(false);
  for (QPushButton *button :
       {ui_->olderButton, ui_->newerButton, ui_->clearButton, ui_->displayButton})
    button->setEnabled(false);
  ui_->reserveModeButton->setEnabled(false);
  random_.seedFromClock();
  engine_.setDrawMode(DrawMode::New);
  engine_.stop();
  ui_->startStopButton->setText(tr("Start"));
  engine_.setMagnification(mirror(ui_->magnificationSlider, ui_->magnificationLabel));
  engine_.setXPosition(mirror(ui_->xPositionSlider, ui_->xPositionLabel));
  engine_.setYPosition(mirror(ui_->yPositionSlider, ui_->yPositionLabel));
  engine_.setTermCount(mirror(ui_->termCountSlider, ui_->termCountLabel));
  engine_.setChangeSpeed(mirror(ui_->changeSpeedSlider, ui_->changeSpeedLabel));
  engine_.forgetCentring();
  engine_.setColorIndex(0);
  ui_->colorLabel->setText(tr(kColourNames[0]));
}

void MainWindow::startOrStop() {
  const DrawMode mode = ui_->newModeButton->isChecked() ? DrawMode::New : DrawMode::Reserve;
  if (engine_.model().running) {
    engine_.setDrawMode(mode);
    stopRun();
  } else {
    startRun(mode);
  }
}

void MainWindow::stopRun() {
  engine_.stop();
  ui_->startStopButton->setText(tr("Start"));
  for (QWidget *w : std::initializer_list<QWidget *>{ui_->reserveModeButton, ui_->olderButton,
                                                     ui_->newerButton, ui_->clearButton}) {
    w->setEnabled(true);
  }
}

// The background is made ready before anything changes, so that a file that cannot be read or
// written leaves the window exactly as it was.
void MainWindow::startRun(DrawMode mode) {
  const Picture background = mode == DrawMode::New ? cleanBackground() : reserveBackground();
  if (!background.ok()) {
    runtime_.showFailure(this, tr("The figure was not started.\n\n%1").arg(background.error));
    return;
  }
  engine_.setDrawMode(mode);
  ui_->displayButton->setEnabled(false);
  ui_->clearButton->setEnabled(false);
  if (mode == DrawMode::New) ui_->canvas->clear();
  ui_->canvas->setBackground(background.image);
  engine_.start();
  ui_->startStopButton->setText(tr("Stop"));
}

Picture MainWindow::cleanBackground() const {
  const QString path = programFile(kCleanBackground);
  Picture clean = loadBitmap(path);
  if (!clean.ok())
    clean.error = tr("\"%1\" cannot be used as the background: %2.").arg(path, clean.error);
  return clean;
}

Picture MainWindow::reserveBackground() const {
  const QString path =
      reservePicturePath(runtime_.programFolder(), runtime_.userDataFolder(), currentUser());
  if (const QString error = saveBackground(path); !error.isEmpty()) return {{}, error};
  Picture kept = loadBitmap(path);
  if (!kept.ok()) {
    kept.error = tr("\"%1\" now holds the picture so far, in place of the one kept before, but "
                    "cannot be read back: %2.")
                     .arg(path, kept.error);
  }
  return kept;
}

// Returns why the picture cannot be kept, naming the file, or an empty string.
QString MainWindow::saveBackground(const QString &path) const {
  if (path.isEmpty())
    return tr("The picture so far cannot be kept: there is no home folder for it.");
  // The user's data folder is made on first use.
  const QString folder = QFileInfo(path).path();
  if (const QString reason = makeFolders(folder); !reason.isEmpty())
    return tr("The picture so far cannot be kept: the folder \"%1\" cannot be made: %2.")
        .arg(folder, reason);
  const QString error = saveBitmap(ui_->canvas->image(), path);
  if (error.isEmpty()) return error;
  return tr("The picture so far cannot be kept in \"%1\": %2.").arg(path, error);
}

QString MainWindow::programFile(const QString &name) const {
  return runtime_.programFolder() + QLatin1Char('/') + name;
}

void MainWindow::clearCanvas() {
  ui_->canvas->clear();
  ui_->displayButton->setEnabled(true);
  ui_->clearButton->setEnabled(false);
}

void MainWindow::displayFigure() {
  ui_->displayButton->setEnabled(false);
  ui_->clearButton->setEnabled(true);
  ui_->canvas->clear();
  engine_.drawFigure();
}

void MainWindow::showOlderFigure() {
  engine_.stepBack(1);
}

void MainWindow::showNewerFigure() {
  engine_.stepForward(1);
}

void MainWindow::tick() {
  if (engine_.model().running) engine_.evolveFigure();
}

void MainWindow::applyMagnification() {
  engine_.setMagnification(mirror(ui_->magnificationSlider, ui_->magnificationLabel));
}

void MainWindow::applyXPosition() {
  engine_.setXPosition(mirror(ui_->xPositionSlider, ui_->xPositionLabel));
}

void MainWindow::applyYPosition() {
  engine_.setYPosition(mirror(ui_->yPositionSlider, ui_->yPositionLabel));
}

void MainWindow::applyTermCount() {
  engine_.setTermCount(mirror(ui_->termCountSlider, ui_->termCountLabel));
}

void MainWindow::applyChangeSpeed() {
  engine_.setChangeSpeed(mirror(ui_->changeSpeedSlider, ui_->changeSpeedLabel));
}

void MainWindow::applyColor() {
  engine_.setColorIndex(ui_->colorSlider->value());
  ui_->colorLabel->setText(tr(kColourNames[engine_.model().colorIndex]));
}

// A failed write is told, and the program and its drawing go on as they were.
void MainWindow::save() {
  if (const QString failure = writePicture(ui_->canvas->image(), savePath_); !failure.isEmpty())
    runtime_.showFailure(this, failure);
}

void MainWindow::saveAs() {
  SaveAsDialog dialog(runtime_, *ui_->canvas, this);
  dialog.setFilePattern(QLatin1Char('*') + kBitmapExtension);
  placeSecondaryWindow(&dialog);
  if (dialog.exec() != QDialog::Accepted) return;
  savePath_ = dialog.savedPath();
  ui_->actionSave->setEnabled(true);
}

void MainWindow::exit() {
  runtime_.quit();
}

void MainWindow::openHelp() {
  const QString file = programFile(kHelpFile);
  helpKey_->setHelpFile(file);
  runtime_.showHelp(this, file);
}

void MainWindow::showAbout() {
  AboutDialog about(this);
  placeSecondaryWindow(&about);
  about.exec();
}

void MainWindow::showFigureCount(int figureCount) {
  ui_->figureCountLabel->setText(QString::number(figureCount));
}

void MainWindow::showHistoryOffset(std::int16_t offset) {
  ui_->historyOffsetLabel->setText(QString::number(offset));
}

}  // namespace kurvimo
