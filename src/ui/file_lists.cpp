#include "ui/file_lists.h"

#include <QDir>
#include <QStorageInfo>
#include <QStyle>

namespace kurvimo {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kIndentPerLevel = 2;
const QString kRoot = QStringLiteral("/");

QStringList mountPoints() {
  QStringList points;
  for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && volume.isReady() && volume.rootPath() != kRoot) {
      points << volume.rootPath();
    }
  }
  points.sort();
  points.removeDuplicates();
  points.prepend(kRoot);
  return points;
}

// Each folder from the root down to `path`, with its name.
QList<QPair<QString, QString>> ancestry(const QString &path) {
  QList<QPair<QString, QString>> chain{{kRoot, kRoot}};
  QString walked;
  for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    walked += QLatin1Char('/') + part;
    chain.append({walked, part});
  }
  return chain;
}

// The list, not its viewport, paints the white behind the items: at a scale such as 1.5 the
// viewport's area, rounded out to whole pixels, covers the frame's bottom line.
void paintBaseUnderTheFrame(QListWidget *list) {
  list->viewport()->setAutoFillBackground(false);
  list->setBackgroundRole(QPalette::Base);
  list->setAutoFillBackground(true);
}

}  // namespace

DriveList::DriveList(QWidget *parent) : QComboBox(parent) {
  addItems(mountPoints());
  setCurrentIndex(qMax(0, findText(QStorageInfo(QDir::currentPath()).rootPath())));
}

FolderList::FolderList(QWidget *parent) : QListWidget(parent) {
  paintBaseUnderTheFrame(this);
  connect(this, &QListWidget::itemActivated, this,
          [this](QListWidgetItem *item) { setPath(item->data(kPathRole).toString()); });
  // The current folder may have been removed under us; a save must not land in an unseen place.
  if (!setPath(QDir::currentPath()) && !setPath(QDir::homePath())) setPath(QDir::rootPath());
}

bool FolderList::setPath(const QString &path) {
  const QDir dir(path);
  const QString canonical = dir.canonicalPath();  // empty for a folder that is gone
  if (canonical.isEmpty() || !dir.isReadable()) return false;
  const QStringList folders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                            QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
  clear();
  const auto chain = ancestry(canonical);
  for (int depth = 0; depth < chain.size(); ++depth) {
    addItem(chain[depth].first, chain[depth].second, depth, true);
  }
  setCurrentRow(count() - 1);
  for (const QString &name : folders) {
    addItem(dir.filePath(name), name, static_cast<int>(chain.size()), false);
  }
  const bool moved = canonical != path_;
  path_ = canonical;
  if (moved) emit pathChanged();
  return true;
}

void FolderList::addItem(const QString &path, const QString &name, int depth, bool open) {
  const QIcon icon =
      style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon);
  auto *item =
      new QListWidgetItem(icon, QString(depth * kIndentPerLevel, QLatin1Char(' ')) + name, this);
  item->setData(kPathRole, path);
  item->setData(Qt::AccessibleTextRole, name);  // the indent is for the eye only
}

FileList::FileList(QWidget *parent) : QListWidget(parent) {
  paintBaseUnderTheFrame(this);
}

void FileList::setPath(const QString &path) {
  path_ = path;
  refresh();
}

void FileList::setPattern(const QString &pattern) {
  pattern_ = pattern;
  refresh();
}

QString FileList::fileName() const {
  const QListWidgetItem *item = currentItem();
  return item && item->isSelected() ? item->text() : QString();
}

void FileList::refresh() {
  clear();
  if (path_.isEmpty() || pattern_.isEmpty()) return;
  addItems(QDir(path_).entryList({pattern_}, QDir::Files | QDir::CaseSensitive,
                                 QDir::Name | QDir::IgnoreCase));
}

}  // namespace kurvimo
