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
  // `programFolder` holds the help viewer and what the program reads beside itself.
  explicit QtRuntime(const QString &programFolder = QCoreApplication::applicationDirPath());
  ~QtRuntime() override;

  QString programFolder() const override;
  QString userDataFolder() const override;
  void showFailure(QWidget *parent, const QString &text) override;
  bool askYesNo(QWidget *parent, const QString &text) override;
  void showHelp(QWidget *parent, const QString &file) override;
  void quit() override;

 private:
  void startHelpViewer();

  const QString programFolder_;
  QProcess helpViewer_;
  QString helpFile_;
  QPointer<QWidget> helpAskedFrom_;
  int unanswered_ = 0;  // requests written to the viewer that it has not answered yet
};

}  // namespace kurvimo
