#pragma once

#include <QComboBox>
#include <QListWidget>

namespace kurvimo {

// The mounted volumes, each named by its mount point, the root first.
class DriveList final : public QComboBox {
  Q_OBJECT

 public:
  explicit DriveList(QWidget *parent);
  // The mount point shown; at first the one that holds the current folder.
  QString drive() const { return currentText(); }
};

// A folder, the folders above it and the folders in it. Activating one (double click or Enter)
// opens it.
class FolderList final : public QListWidget {
  Q_OBJECT

 public:
  explicit FolderList(QWidget *parent);
  QString path() const { return path_; }
  // Opens `path`; a folder that cannot be listed leaves the list where it was. False then.
  bool setPath(const QString &path);

 signals:
  void pathChanged();

 private:
  void addItem(const QString &path, const QString &name, int depth, bool open);

  QString path_;
};

// The files of one folder whose names match a pattern.
class FileList final : public QListWidget {
  Q_OBJECT

 public:
  explicit FileList(QWidget *parent);
  void setPath(const QString &path);
  void setPattern(const QString &pattern);
  // The selected file's name without its folder, or empty.
  QString fileName() const;

 private:
  void refresh();

  QString path_;
  QString pattern_;  // nothing is listed until the window sets one
};

}  // namespace kurvimo
