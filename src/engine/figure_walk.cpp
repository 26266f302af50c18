#include "engine/figure_walk.h"

#include <cmath>

namespace kurvimo {

FigureWalk::FigureWalk(const TermTables &terms, int termCount)
    : terms_(terms), n_(liveTerms(termCount)) {}

// The order of every operation is fixed: the plotted pixels depend on the last bit.
void FigureWalk::next() {
  for (int j = 0; j < n_; ++j) {
    cosX_[j] = std::cos(phaseX_[j]);
    sinY_[j] = std::sin(phaseY_[j]);
  }
  double stepX = 0.0;
  double stepY = 0.0;
  for (int j = 0; j < n_; ++j) {
    stepX = stepX + (terms_.xAmp[j] * cosX_[j]) / kTermScale;
    stepY = stepY + (terms_.yAmp[j] * sinY_[j]) / kTermScale;
  }
  posX_ = posX_ + stepX;
  posY_ = posY_ + stepY;
  for (int j = 0; j < n_; ++j) {
    phaseX_[j] = phaseX_[j] + terms_.xFreq[j] / kTermScale;
    phaseY_[j] = phaseY_[j] + terms_.yFreq[j] / kTermScale;
  }
}

}  // namespace kurvimo
