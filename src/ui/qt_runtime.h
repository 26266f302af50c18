#pragma once

#include "platform/runtime_services.h"

namespace kurvimo {

class QtRuntime final : public RuntimeServices {
 public:
  QString AppPath() const override;
  void ShowFailure(QWidget *parent, const QString &text) override;
  bool AskYesNo(QWidget *parent, const QString &text) override;
  void ShowHelp(QWidget *parent, const QString &file) override;
  void End() override;
};

}  // namespace kurvimo
