#include <QApplication>
#include <QWidget>

#include "engine/renderer.h"
#include "platform/canvas_widget.h"

namespace {

constexpr int kMargin = 8;

// Until the main window exists: one figure from a fixed term set.
void DrawSampleFigure(kurvimo::Canvas &canvas) {
  kurvimo::FigureModel model;
  model.kansuu = 4;
  model.bairitu = 5;
  model.xichi = 250;
  model.yichi = 50;
  model.terms.xAmp = {7, 3, 5, 2};
  model.terms.yAmp = {6, 4, 2, 5};
  model.terms.xFreq = {3, 7, 1, 9};
  model.terms.yFreq = {3, 5, 8, 2};
  kurvimo::DrawFigure(model, canvas);
}

}  // namespace

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Kurvimo"));
  auto *canvas = new kurvimo::CanvasWidget(&window);
  canvas->move(kMargin, kMargin);
  window.setFixedSize(canvas->width() + 2 * kMargin, canvas->height() + 2 * kMargin);
  DrawSampleFigure(*canvas);
  window.show();
  return app.exec();
}
