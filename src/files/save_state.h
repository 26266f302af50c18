#pragma once

#include <QString>

namespace kurvimo {

// State that the main window and the save-as window share.
struct SaveState {
  // Where Save writes: the full path of the last successful Save As. Empty until then.
  QString savePath;
};

}  // namespace kurvimo
