#pragma once

#include <QMainWindow>
#include <cstdint>

#include "engine/figure_engine.h"
#include "files/module1.h"
#include "platform/bitmap_file.h"
#include "platform/runtime_services.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;

namespace kurvimo {

class CanvasWidget;
class HelpKey;

// The main window: the canvas, the six sliders, the run control, the history buttons and the
// menus, with the whole figure state.
class Form1 final : public QMainWindow, private FigureCaptions {
  Q_OBJECT

 public:
  Form1(RuntimeServices &runtime, RandomSource &random, QWidget *parent = nullptr);

  const FigureEngine &engine() const { return engine_; }
  const Module1 &module1() const { return module1_; }

  // The tick of Timer1; public so that a tick can be had without waiting for one.
  void Timer1_Timer();

 private:
  void CreateCanvasAndSliders(QWidget *client);
  void CreateRunControls(QWidget *client);
  void CreateLabels(QWidget *client);
  void CreateMenus();
  void SetTabOrder();
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
  QString ProgramFile(const QString &name) const;
  void ShowCount(std::int32_t drawCount) override;
  void ShowModoru(std::int16_t modoru) override;

  RuntimeServices &runtime_;
  RandomSource &random_;
  CanvasWidget *Picture1;
  FigureEngine engine_;
  Module1 module1_;
  HelpKey *helpKey_ = nullptr;

  QScrollBar *HScroll_bairitu = nullptr;
  QScrollBar *HScroll_xichi = nullptr;
  QScrollBar *HScroll_yichi = nullptr;
  QScrollBar *HScroll_kansuu = nullptr;
  QScrollBar *HScroll_henka = nullptr;
  QScrollBar *HScroll_color = nullptr;
  QLabel *Lab_bairitu = nullptr;
  QLabel *Lab_xichi = nullptr;
  QLabel *Lab_yichi = nullptr;
  QLabel *Lab_kansuu = nullptr;
  QLabel *Lab_henka = nullptr;
  QLabel *Lab_color = nullptr;
  QLabel *Labcount = nullptr;
  QLabel *Labmodoru = nullptr;
  QPushButton *comstart = nullptr;
  QPushButton *comMl = nullptr;
  QPushButton *comMr = nullptr;
  QPushButton *cmdsaihyouji = nullptr;
  QPushButton *cmdcls = nullptr;
  QGroupBox *Frame1 = nullptr;
  QRadioButton *Option1 = nullptr;
  QRadioButton *Option2 = nullptr;
  QTimer *Timer1 = nullptr;
  QMenu *mnuFile = nullptr;
  QMenu *mnuHelp = nullptr;
  QAction *mnuSave = nullptr;
  QAction *mnuSaveAs = nullptr;
  QAction *mnuExit = nullptr;
  QAction *mnuMokuji = nullptr;
  QAction *mnuVersion = nullptr;
};

}  // namespace kurvimo
