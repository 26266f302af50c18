#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QWidget>

#include "platform/runtime_services.h"

namespace kurvimo {

class QtRuntime final : public RuntimeServices {
  Q_DECLARE_TR_FUNCTIONS(kurvimo::QtRuntime)

 public:
  QtRuntime();
  ~QtRuntime() override;

  QString ProgramFolder() const override;
  QString UserDataFolder() const override;
  void ShowFailure(QWidget *parent, const QString &text) override;
  bool AskYesNo(QWidget *parent, const QString &text) override;
  void ShowHelp(QWidget *parent, const QString &file) override;
  void Quit() override;

 private:
  void StartHelpViewer();

  QProcess helpViewer_;
  QString helpFile_;
  QPointer<QWidget> helpAskedFrom_;
  int unanswered_ = 0;  // requests written to the viewer that it has not answered yet
};

}  // namespace kurvimo
