#pragma once

#include <QString>

class QWidget;

namespace kurvimo {

// What the windows need from the running process beyond the canvas and the random source.
class RuntimeServices {
 public:
  virtual ~RuntimeServices() = default;

  // The program's own folder, where its pictures and help file live.
  virtual QString programFolder() const = 0;
  // The user's own folder for what the program keeps when its own folder is not theirs to write.
  virtual QString userDataFolder() const = 0;
  // Tells the user that a command failed and why, once the event being handled is done.
  virtual void showFailure(QWidget *parent, const QString &text) = 0;
  // Asks a Yes/No question under a warning sign, with Yes as the default; true for Yes.
  virtual bool askYesNo(QWidget *parent, const QString &text) = 0;
  // Opens `file` in the help viewer, which runs beside the program and never blocks it.
  virtual void showHelp(QWidget *parent, const QString &file) = 0;
  // Ends the program at once: nothing is asked and nothing is saved.
  virtual void quit() = 0;
};

}  // namespace kurvimo
