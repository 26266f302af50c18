#pragma once

#include <QProcess>

#include "platform/runtime_services.h"

namespace kurvimo {

class QtRuntime final : public RuntimeServices {
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
  QProcess helpViewer_;
};

}  // namespace kurvimo
