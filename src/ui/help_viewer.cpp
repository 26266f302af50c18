#include "ui/help_viewer.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QScrollBar>

#include "platform/regular_file.h"
#include "ui/window_design.h"

namespace kurvimo {

namespace {

constexpr QSize kSize(640, 560);
constexpr qint64 kMaxHelpBytes = 4 * 1024 * 1024;

}  // namespace

HelpViewer::HelpViewer() {
  designWindow(this, tr("%1 Help").arg(kProgramName));
  setObjectName(QStringLiteral("HelpViewer"));
  setAccessibleName(windowTitle());
  resize(kSize);
  // The help is a page of its own: links outside it are not followed.
  setOpenExternalLinks(false);
}

void HelpViewer::open(const QString &file) {
  QByteArray bytes;
  QString reason = readRegularFile(file, kMaxHelpBytes, bytes);
  if (reason.isEmpty() && bytes.trimmed().isEmpty()) reason = tr("it is empty");
  setHtml(reason.isEmpty()
              ? QString::fromUtf8(bytes)
              : tr("<h2>The help cannot be shown</h2><p>The help file \"%1\" cannot be "
                   "read: %2.</p><p>It belongs in the program's folder, beside the "
                   "program.</p>")
                    .arg(file.toHtmlEscaped(), reason.toHtmlEscaped()));
}

// Asked again, the help opens at its opening topic, as a fresh viewer does. The program asks
// after a key or a click of its own, so X refuses a focus change stamped with this viewer's last
// event time; on X the focus is taken at the current time instead.
void HelpViewer::comeForward() {
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);  // maximised stays
  show();
  raise();
  activateWindow();
  // Other platforms, offscreen among them, may answer for X without a connection.
  auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 && x11->connection()) {
    xcb_set_input_focus(x11->connection(), XCB_INPUT_FOCUS_PARENT, xcb_window_t(winId()),
                        XCB_CURRENT_TIME);
    xcb_flush(x11->connection());
  }
}

}  // namespace kurvimo
