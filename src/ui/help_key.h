#pragma once

#include <QObject>

#include "platform/runtime_services.h"

namespace kurvimo {

// F1 in any of the program's windows opens the help file, once Help has named one.
class HelpKey final : public QObject {
  Q_OBJECT

 public:
  HelpKey(RuntimeServices &runtime, QObject *parent);
  void setHelpFile(const QString &file) { helpFile_ = file; }

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  RuntimeServices &runtime_;
  QString helpFile_;
};

}  // namespace kurvimo
