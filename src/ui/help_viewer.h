#pragma once

#include <QTextBrowser>

namespace kurvimo {

// Shows the program's help file, or, when it cannot be read, a message that says so.
class HelpViewer final : public QTextBrowser {
  Q_OBJECT

 public:
  HelpViewer();
  void open(const QString &file);
  void comeForward();
};

}  // namespace kurvimo
