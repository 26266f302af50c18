#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "support/form_rig.h"
#include "support/small_disk.h"
#include "ui/file_lists.h"

using namespace kurvimo;
using namespace kurvimo::testing;

namespace {

const QString kOverwrite = QStringLiteral(" ファイルは既に存在します。上書きしますか？");
// Room for one picture of the canvas but not for its replacement beside it.
constexpr qint64 kSmallDiskBytes = 1 << 20;

enum class Fault {
  SaveAsThroughAFile,
  SaveAsOntoAFolder,
  SaveAsNameTooLong,
  SaveAsFullDisk,
  SaveFolderRemoved,
  SaveOntoAFolder,
  SaveThroughAFile,
  SaveFullDisk,
};

QByteArray ReadAll(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void Write(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// Every entry under `root`, with the bytes of each file: any change or leftover shows.
QMap<QString, QByteArray> Listing(const QString &root) {
  QMap<QString, QByteArray> entries;
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    entries[path] = it.fileInfo().isDir() ? QByteArray("<folder>") : ReadAll(path);
  }
  return entries;
}

QImage Pixels(const QImage &image) {
  return image.convertToFormat(QImage::Format_RGB32);
}

void PressSave(QWidget *form2) {
  QTest::mouseClick(form2->findChild<QWidget *>(QStringLiteral("Command1")), Qt::LeftButton);
}

// A Save As in `folder` under `name`; says whether the window was still open afterwards.
bool SaveAs(FormRig &rig, const QString &folder, const QString &name) {
  QDir::setCurrent(folder);
  bool open = false;
  rig.withModal("mnuSaveAs", [&](QWidget *w) {
    w->findChild<QLineEdit *>(QStringLiteral("txtTargetFile"))->setText(name);
    PressSave(w);
    open = w->isVisible();
  });
  return open;
}

void ClickItem(QListWidget *list, const QString &text, bool twice) {
  const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchEndsWith);
  QVERIFY(!found.isEmpty());
  const QPoint at = list->visualItemRect(found.first()).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  // A widget double click arrives as press, release, then the double-click event itself.
  if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Sets up the case in `dir`; answers the name to type for a Save As case.
QString Prepare(FormRig &rig, Fault fault, const QString &dir) {
  const QString sub = dir + QStringLiteral("/sub");
  switch (fault) {
    case Fault::SaveAsThroughAFile:
      Write(dir + QStringLiteral("/plain"), "old");
      return QStringLiteral("plain/x");
    case Fault::SaveAsOntoAFolder:
      QDir(dir).mkdir(QStringLiteral("x.bmp"));
      return QStringLiteral("x");
    case Fault::SaveAsNameTooLong:
      return QString(256, QLatin1Char('n'));
    case Fault::SaveAsFullDisk:
    case Fault::SaveFullDisk:
      SaveAs(rig, dir, QStringLiteral("x"));
      return QStringLiteral("x");
    case Fault::SaveOntoAFolder:
      SaveAs(rig, dir, QStringLiteral("x"));
      QFile::remove(dir + QStringLiteral("/x.bmp"));
      QDir(dir).mkdir(QStringLiteral("x.bmp"));
      return {};
    case Fault::SaveFolderRemoved:
    case Fault::SaveThroughAFile:
      QDir(dir).mkdir(QStringLiteral("sub"));
      SaveAs(rig, sub, QStringLiteral("x"));
      QDir(sub).removeRecursively();
      if (fault == Fault::SaveThroughAFile) Write(sub, "old");
      return {};
  }
  return {};
}

}  // namespace

Q_DECLARE_METATYPE(Fault)

class TestForm2 : public QObject {
  Q_OBJECT

 private slots:
  void saveAsWritesTheCanvasAndEnablesSave() {
    FormRig rig;
    QTemporaryDir dir;
    QVERIFY(!rig.menu("mnuSave")->isEnabled());
    rig.click("comstart");
    rig.ticks(3);
    QDir::setCurrent(dir.path());
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      QCOMPARE(w->windowTitle(), QStringLiteral("Save As..."));
      QCOMPARE(w->pos(), PlacedCorner());
      QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("txtTargetFile"))->text(), "File1");
      PressSave(w);
    });
    const QString path = dir.filePath(QStringLiteral("File1.bmp"));
    QCOMPARE(Pixels(LoadPicture(path).image), Pixels(rig.canvas()));
    QCOMPARE(rig.form.module1().currentFileName, path);
    QVERIFY(rig.menu("mnuSave")->isEnabled());
    QVERIFY(rig.runtime.questions.isEmpty());
  }

  void asksBeforeReplacingAFileWithContent_data() {
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("content, Yes") << QByteArray("old") << true << true;
    QTest::newRow("content, No") << QByteArray("old") << false << false;
    QTest::newRow("empty: no question") << QByteArray() << false << true;
  }
  void asksBeforeReplacingAFileWithContent() {
    QFETCH(QByteArray, old);
    QFETCH(bool, answer);
    QFETCH(bool, replaced);
    FormRig rig;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Star.bmp"));
    Write(path, old);
    rig.runtime.answer = answer;
    QDir::setCurrent(dir.path());
    bool open = true;
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      ClickItem(w->findChild<QListWidget *>(QStringLiteral("File1")), "Star.bmp", false);
      QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("txtTargetFile"))->text(), "Star");
      PressSave(w);
      open = w->isVisible();
    });
    QVERIFY(!open);
    QCOMPARE(rig.runtime.questions, old.isEmpty() ? QStringList() : QStringList{path + kOverwrite});
    QCOMPARE(ReadAll(path) == old, !replaced);
    QCOMPARE(rig.menu("mnuSave")->isEnabled(), replaced);
    QCOMPARE(rig.form.module1().currentFileName, replaced ? path : QString());
  }

  void saveWritesWhereTheLatestSaveAsDid() {
    FormRig rig;
    QTemporaryDir dir;
    rig.click("comstart");
    rig.ticks(1);
    SaveAs(rig, dir.path(), QStringLiteral("a"));
    SaveAs(rig, dir.path(), QStringLiteral("b"));
    const QByteArray first = ReadAll(dir.filePath(QStringLiteral("a.bmp")));
    rig.ticks(2);
    rig.menu("mnuSave")->trigger();
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("a.bmp"))), first);
    QCOMPARE(Pixels(LoadPicture(dir.filePath(QStringLiteral("b.bmp"))).image),
             Pixels(rig.canvas()));
    QVERIFY(rig.runtime.failures.isEmpty());
  }

  void listsFollowTheChosenFolderAndOnlySaveWrites() {
    FormRig rig;
    QTemporaryDir dir;
    SmallDisk volume(kSmallDiskBytes);  // a second volume for the drive list, where allowed
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    for (const char *name : {"top.bmp", "sub/in.bmp", "sub/notes.txt"}) {
      Write(dir.filePath(QLatin1String(name)), "x");
    }
    QDir::setCurrent(dir.path());
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      auto *files = w->findChild<QListWidget *>(QStringLiteral("File1"));
      auto *folders = w->findChild<DirList *>(QStringLiteral("Dir1"));
      QCOMPARE(files->item(0)->text(), "top.bmp");
      ClickItem(folders, "sub", true);
      QCOMPARE(folders->Path(), dir.filePath(QStringLiteral("sub")));
      QCOMPARE(files->count(), 1);
      QCOMPARE(files->item(0)->text(), "in.bmp");
      auto *name = w->findChild<QLineEdit *>(QStringLiteral("txtTargetFile"));
      QTest::keyClick(name, Qt::Key_Return);
      QTest::keyClick(name, Qt::Key_Escape);
      QVERIFY(w->isVisible());
      auto *drives = w->findChild<QComboBox *>(QStringLiteral("Drive1"));
      QCOMPARE(drives->itemText(0), "/");
      if (!volume.mounted()) return;
      for (int i = drives->findText(volume.path()); i > 0; --i)
        QTest::keyClick(drives, Qt::Key_Down);
      QCOMPARE(folders->Path(), volume.path());
      QTest::keyClick(drives, Qt::Key_Home);
      QCOMPARE(folders->Path(), "/");
    });
    QCOMPARE(Listing(dir.path()).size(), 4);
    QVERIFY(!rig.menu("mnuSave")->isEnabled());
  }

  void startsAtHomeWhenTheCurrentFolderIsGone() {
    FormRig rig;
    auto gone = std::make_unique<QTemporaryDir>();
    QDir::setCurrent(gone->path());
    gone.reset();
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      QCOMPARE(w->findChild<DirList *>(QStringLiteral("Dir1"))->Path(), QDir::homePath());
    });
  }

  void failedWritesChangeNothing_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("Save As through a regular file")
        << Fault::SaveAsThroughAFile << "Not a directory";
    QTest::newRow("Save As onto a folder") << Fault::SaveAsOntoAFolder << "directory";
    QTest::newRow("Save As with a name over 255 bytes") << Fault::SaveAsNameTooLong << "too long";
    QTest::newRow("Save As onto a full disk") << Fault::SaveAsFullDisk << "No space left";
    QTest::newRow("Save into a removed folder") << Fault::SaveFolderRemoved << "No such file";
    QTest::newRow("Save onto a folder") << Fault::SaveOntoAFolder << "directory";
    QTest::newRow("Save through a regular file") << Fault::SaveThroughAFile << "Not a directory";
    QTest::newRow("Save onto a full disk") << Fault::SaveFullDisk << "No space left";
  }
  void failedWritesChangeNothing() {
    QFETCH(Fault, fault);
    QFETCH(QString, reason);
    const bool fullDisk = fault == Fault::SaveAsFullDisk || fault == Fault::SaveFullDisk;
    const bool viaSave = fault >= Fault::SaveFolderRemoved;
    FormRig rig;
    QTemporaryDir scratch;
    SmallDisk disk(kSmallDiskBytes);
    if (fullDisk && !disk.mounted()) QSKIP("no tmpfs can be mounted here");
    const QString dir = fullDisk ? disk.path() : scratch.path();
    rig.click("comstart");
    rig.ticks(2);
    const QString name = Prepare(rig, fault, dir);
    const auto files = Listing(dir);
    const QImage canvas = rig.canvas();
    const QString current = rig.form.module1().currentFileName;
    const bool saveEnabled = rig.menu("mnuSave")->isEnabled();
    const QString target = viaSave ? current : dir + QLatin1Char('/') + name + ".bmp";

    if (viaSave) {
      rig.menu("mnuSave")->trigger();
    } else {
      QVERIFY2(SaveAs(rig, dir, name), "the save-as window closed after a failed write");
    }
    QCOMPARE(rig.runtime.failures.size(), 1);
    const QString message = rig.runtime.failures[0];
    QVERIFY2(message.contains(target), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QCOMPARE(Listing(dir), files);
    QCOMPARE(rig.canvas(), canvas);
    QCOMPARE(rig.form.module1().currentFileName, current);
    QCOMPARE(rig.menu("mnuSave")->isEnabled(), saveEnabled);
    QCOMPARE(rig.runtime.ended, 0);
  }
};

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
