#pragma once

#include <QMainWindow>
#include <memory>

#include "engine/figure_engine.h"
#include "platform/bitmap_file.h"
#include "platform/runtime_services.h"

class QTimer;

namespace Ui {
class MainWindow;
}

namespace kurvimo {

class CanvasWidget;
class HelpKey;

// The main window: the canvas, the six sliders, the run control, the history buttons and the
// menus, laid out in main_window.ui. It tells the figure engine what the user does and shows its
// counters.
class MainWindow final : public QMainWindow, private CounterDisplay {
  Q_OBJECT

 public:
  MainWindow(RuntimeServices &runtime, RandomSource &random, QWidget *parent = nullptr);
  ~MainWindow() override;

  const FigureEngine &engine() const { return engine_; }
  // Where Save writes: the path of the last Save As that wrote the picture. Empty until then.
  QString savePath() const { return savePath_; }

  // One tick of the 500 ms timer; public so that a tick can be had without waiting for one.
  void tick();

 private:
  CanvasWidget &setUpForm();
  void connectHandlers();

  void setStartupState();
  void startOrStop();
  void clearCanvas();
  void displayFigure();
  void showOlderFigure();
  void showNewerFigure();
  void applyMagnification();
  void applyXPosition();
  void applyYPosition();
  void applyTermCount();
  void applyChangeSpeed();
  void applyColor();
  void save();
  void saveAs();
  void exit();
  void openHelp();
  void showAbout();

  void startRun(DrawMode mode);
  void stopRun();
  Picture cleanBackground() const;
  Picture reserveBackground() const;
  QString saveBackground(const QString &path) const;
  QString programFile(const QString &name) const;
  void showFigureCount(int figureCount) override;
  void showHistoryOffset(std::int16_t offset) override;

  RuntimeServices &runtime_;
  RandomSource &random_;
  std::unique_ptr<Ui::MainWindow> ui_;
  FigureEngine engine_;  // draws on the form's canvas, so it comes after the form
  QString savePath_;
  HelpKey *helpKey_ = nullptr;
  QTimer *tickTimer_ = nullptr;
};

}  // namespace kurvimo
