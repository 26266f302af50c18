#pragma once

#include <QMainWindow>
#include <memory>

#include "engine/figure_engine.h"
#include "files/save_state.h"
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
  const SaveState &saveState() const { return saveState_; }

  // One tick of the 500 ms timer; public so that a tick can be had without waiting for one.
  void Tick();

 private:
  CanvasWidget &SetUpForm();
  void ConnectHandlers();

  void SetStartupState();
  void StartOrStop();
  void ClearCanvas();
  void DisplayFigure();
  void ShowOlderFigure();
  void ShowNewerFigure();
  void ApplyMagnification();
  void ApplyXPosition();
  void ApplyYPosition();
  void ApplyTermCount();
  void ApplyChangeSpeed();
  void ApplyColor();
  void Save();
  void SaveAs();
  void Exit();
  void OpenHelp();
  void ShowAbout();

  void StartRun(DrawMode mode);
  void StopRun();
  Picture CleanBackground() const;
  Picture ReserveBackground() const;
  QString SaveBackground(const QString &path) const;
  QString ReserveFile() const;
  QString ProgramFile(const QString &name) const;
  void ShowFigureCount(int figureCount) override;
  void ShowHistoryOffset(std::int16_t offset) override;

  RuntimeServices &runtime_;
  RandomSource &random_;
  std::unique_ptr<Ui::MainWindow> ui_;
  FigureEngine engine_;  // draws on the form's canvas, so it comes after the form
  SaveState saveState_;
  HelpKey *helpKey_ = nullptr;
  QTimer *tickTimer_ = nullptr;
};

}  // namespace kurvimo
