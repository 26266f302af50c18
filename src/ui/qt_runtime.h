#pragma once

#include <QProcess>

#include "platform/runtime_services.h"

namespace kurvimo {

class QtRuntime final : public RuntimeServices {
 public:
  QtRuntime();
  ~QtRuntime() override;

  QString AppPath() const override;
  QString UserDataPath() const override;
  void ShowFailure(QWidget *parent, const QString &text) override;
  bool AskYesNo(QWidget *parent, const QString &text) override;
  void ShowHelp(QWidget *parent, const QString &file) override;
  void End() override;

 private:
  QProcess helpViewer_;
};

}  // namespace kurvimo
