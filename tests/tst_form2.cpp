#include <QComboBox>
#include <QListWidget>
#include <QTest>

#include "support/form_rig.h"
#include "support/small_disk.h"
#include "ui/file_lists.h"

using namespace kurvimo;
using namespace kurvimo::testing;

namespace {

const QString kOverwrite = QStringLiteral(" ファイルは既に存在します。上書きしますか？");
constexpr qint64 kVolumeBytes = 1 << 20;

QImage Pixels(const QImage &image) {
  return image.convertToFormat(QImage::Format_RGB32);
}

void ClickItem(QListWidget *list, const QString &text, bool twice) {
  const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchEndsWith);
  QVERIFY(!found.isEmpty());
  const QPoint at = list->visualItemRect(found.first()).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  // A widget double click arrives as press, release, then the double-click event itself.
  if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

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
    WriteFile(path, old);
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
    rig.saveAs(dir.path(), QStringLiteral("a"));
    rig.saveAs(dir.path(), QStringLiteral("b"));
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
    SmallDisk volume(kVolumeBytes);  // a second volume for the drive list, where allowed
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    for (const char *name : {"top.bmp", "sub/in.bmp", "sub/notes.txt"}) {
      WriteFile(dir.filePath(QLatin1String(name)), "x");
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
};

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
