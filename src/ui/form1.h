#pragma once

#include <QMainWindow>
#include <cstdint>
#include <memory>

#include "engine/figure_engine.h"
#include "files/module1.h"
#include "platform/bitmap_file.h"
#include "platform/runtime_services.h"

class QTimer;

namespace Ui {
class Form1;
}

namespace kurvimo {

class CanvasWidget;
class HelpKey;

// The main window: the canvas, the six sliders, the run control, the history buttons and the
// menus, laid out in form1.ui. It tells the figure engine what the user does and shows its
// counters.
class Form1 final : public QMainWindow, private FigureCaptions {
  Q_OBJECT

 public:
  Form1(RuntimeServices &runtime, RandomSource &random, QWidget *parent = nullptr);
  ~Form1() override;

  const FigureEngine &engine() const { return engine_; }
  const Module1 &module1() const { return module1_; }

  // The tick of Timer1; public so that a tick can be had without waiting for one.
  void Timer1_Timer();

 private:
  CanvasWidget &SetUpForm();
  void ConnectHandlers();

  void Form_Load();
  void comstart_Click();
  void cmdcls_Click();
  void cmdsaihyouji_Click();
  void comMl_Click();
  void comMr_Click();
  void HScroll_bairitu_Change();
  void HScroll_xichi_Change();
  void HScroll_yichi_Change();
  void HScroll_kansuu_Change();
  void HScroll_henka_Change();
  void HScroll_color_Change();
  void mnuSave_Click();
  void mnuSaveAs_Click();
  void mnuExit_Click();
  void mnuMokuji_Click();
  void mnuVersion_Click();

  void StartRun(std::int16_t mode);
  void StopRun();
  Picture CleanBackground() const;
  Picture ReserveBackground();
  QString SaveBackground();
  QString ReserveFile() const;
  QString ProgramFile(const QString &name) const;
  void ShowCount(std::int32_t drawCount) override;
  void ShowModoru(std::int16_t modoru) override;

  RuntimeServices &runtime_;
  RandomSource &random_;
  std::unique_ptr<Ui::Form1> ui_;
  FigureEngine engine_;  // draws on the form's canvas, so it comes after the form
  Module1 module1_;
  HelpKey *helpKey_ = nullptr;
  QTimer *Timer1 = nullptr;
};

}  // namespace kurvimo
