// Every failure the program handles, through the same checks: one message naming the file and
// the reason, nothing changed on screen, in the state or on disk, and the program still able to
// start, tick and save afterwards.
#include <sys/stat.h>

#include <QTest>
#include <QtEndian>

#include "support/form_rig.h"
#include "support/small_disk.h"

using namespace kurvimo;
using namespace kurvimo::testing;

namespace {

// Room for one picture of the canvas but not for a second one beside it.
constexpr qint64 kSmallDiskBytes = 1 << 20;
constexpr int kWidthField = 18;
constexpr int kHeightField = 22;
constexpr quint32 kAbsurdSide = 100000;

enum class Fault {
  CleanMissing,
  CleanEmpty,
  CleanCut55,
  CleanCutHalf,
  CleanAbsurdSize,
  CleanFolder,
  CleanFifo,
  ReserveFolder,
  ReserveThroughAFile,
  ReserveReadOnlyDisk,
  ReserveFullDisk,
  ReserveFolderRemoved,
  SaveAsThroughAFile,
  SaveAsOntoAFolder,
  SaveAsNameTooLong,
  SaveAsFullDisk,
  SaveThroughAFile,
  SaveOntoAFolder,
  SaveFullDisk,
  SaveFolderRemoved,
};

bool IsStart(Fault f) {
  return f <= Fault::ReserveFolderRemoved;
}
bool IsSave(Fault f) {
  return f >= Fault::SaveThroughAFile;
}
bool OnSmallDisk(Fault f) {
  return f == Fault::ReserveReadOnlyDisk || f == Fault::ReserveFullDisk ||
         f == Fault::SaveAsFullDisk || f == Fault::SaveFullDisk;
}

// Where a case happens: the program folder, a folder to save into, and what the user does.
struct Scene {
  FormRig &rig;
  QString saveDir;
  QString target;  // the file the message must name
  QString name;    // typed into the save-as window
};

// Brings about a start-up fault in the program folder.
void PrepareStart(Scene &s, Fault fault, SmallDisk &disk) {
  const bool reserve = fault >= Fault::ReserveFolder;
  s.rig.click(reserve ? "Option2" : "Option1");
  const QString folder = s.rig.runtime.appPath;
  const QString clean = folder + QStringLiteral("/cls.bmp");
  const QByteArray shipped = ReadAll(clean);
  s.target = folder + (reserve ? QStringLiteral("/sgz.bmp") : QStringLiteral("/cls.bmp"));
  switch (fault) {
    case Fault::CleanMissing:
      QFile::remove(clean);
      break;
    case Fault::CleanEmpty:
      WriteFile(clean, {});
      break;
    case Fault::CleanCut55:
      WriteFile(clean, shipped.left(55));
      break;
    case Fault::CleanCutHalf:
      WriteFile(clean, shipped.left(shipped.size() / 2));
      break;
    case Fault::CleanAbsurdSize: {
      QByteArray bytes = shipped;
      qToLittleEndian(kAbsurdSide, bytes.data() + kWidthField);
      qToLittleEndian(kAbsurdSide, bytes.data() + kHeightField);
      WriteFile(clean, bytes);
      break;
    }
    case Fault::CleanFolder:
      QFile::remove(clean);
      QDir(folder).mkdir(QStringLiteral("cls.bmp"));
      break;
    case Fault::CleanFifo:
      QFile::remove(clean);
      QVERIFY(::mkfifo(QFile::encodeName(clean).constData(), 0600) == 0);
      break;
    case Fault::ReserveFolder:
      QFile::remove(s.target);
      QDir(folder).mkdir(QStringLiteral("sgz.bmp"));
      break;
    case Fault::ReserveThroughAFile:
      s.rig.runtime.appPath = clean;
      s.target = clean + QStringLiteral("/sgz.bmp");
      break;
    case Fault::ReserveFullDisk:
      QFile::copy(s.target, disk.path() + QStringLiteral("/sgz.bmp"));
      [[fallthrough]];
    case Fault::ReserveReadOnlyDisk:
      s.rig.runtime.appPath = disk.path();
      s.target = disk.path() + QStringLiteral("/sgz.bmp");
      break;
    case Fault::ReserveFolderRemoved:
      s.rig.runtime.appPath = folder + QStringLiteral("/gone");
      s.target = s.rig.runtime.appPath + QStringLiteral("/sgz.bmp");
      break;
    default:
      break;
  }
}

// Brings about a fault of Save As or Save in the folder to save into.
void PrepareSave(Scene &s, Fault fault) {
  const QString &dir = s.saveDir;
  const QString sub = dir + QStringLiteral("/sub");
  s.name = QStringLiteral("x");
  switch (fault) {
    case Fault::SaveAsThroughAFile:
      WriteFile(dir + QStringLiteral("/plain"), "old");
      s.name = QStringLiteral("plain/x");
      break;
    case Fault::SaveAsOntoAFolder:
      QDir(dir).mkdir(QStringLiteral("x.bmp"));
      break;
    case Fault::SaveAsNameTooLong:
      s.name = QString(256, QLatin1Char('n'));
      break;
    case Fault::SaveAsFullDisk:
    case Fault::SaveFullDisk:
      s.rig.saveAs(dir, s.name);
      break;
    case Fault::SaveOntoAFolder:
      s.rig.saveAs(dir, s.name);
      QFile::remove(dir + QStringLiteral("/x.bmp"));
      QDir(dir).mkdir(QStringLiteral("x.bmp"));
      break;
    case Fault::SaveThroughAFile:
    case Fault::SaveFolderRemoved:
      QDir(dir).mkdir(QStringLiteral("sub"));
      s.rig.saveAs(sub, s.name);
      QDir(sub).removeRecursively();
      if (fault == Fault::SaveThroughAFile) WriteFile(sub, "old");
      break;
    default:
      break;
  }
  s.target = IsSave(fault) ? s.rig.form.module1().currentFileName
                           : dir + QLatin1Char('/') + s.name + QStringLiteral(".bmp");
}

// Everything on disk that a failure must leave alone.
QMap<QString, QByteArray> Disk(const Scene &s, const SmallDisk &disk) {
  QMap<QString, QByteArray> all = Listing(s.rig.runtime.folder.path());
  all.insert(Listing(s.saveDir));
  all.insert(Listing(disk.path()));
  return all;
}

}  // namespace

Q_DECLARE_METATYPE(Fault)

class TestFaultMatrix : public QObject {
  Q_OBJECT

 private slots:
  void failureChangesNothingAndTheProgramGoesOn_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("reason");
    const std::pair<const char *, const char *> texts[] = {
        {"cls.bmp missing", "No such file"},
        {"cls.bmp empty", "empty"},
        {"cls.bmp cut at 55 bytes", "cut short"},
        {"cls.bmp cut at half", "cut short"},
        {"cls.bmp of absurd size", "too large"},
        {"cls.bmp a folder", "folder"},
        {"cls.bmp a FIFO", "not a regular file"},
        {"sgz.bmp a folder", "directory"},
        {"sgz.bmp through a regular file", "Not a directory"},
        {"sgz.bmp on a read-only disk", "Read-only file system"},
        {"sgz.bmp on a full disk", "No space left"},
        {"sgz.bmp in a folder that is gone", "No such file"},
        {"Save As through a regular file", "Not a directory"},
        {"Save As onto a folder", "directory"},
        {"Save As with a name over 255 bytes", "too long"},
        {"Save As onto a full disk", "No space left"},
        {"Save through a regular file", "Not a directory"},
        {"Save onto a folder", "directory"},
        {"Save onto a full disk", "No space left"},
        {"Save into a folder removed after Save As", "No such file"},
    };
    int row = 0;
    for (const auto &[name, reason] : texts) {
      QTest::newRow(name) << static_cast<Fault>(row++) << QString::fromUtf8(reason);
    }
  }
  void failureChangesNothingAndTheProgramGoesOn() {
    QFETCH(Fault, fault);
    QFETCH(QString, reason);
    FormRig rig;
    QTemporaryDir scratch;
    SmallDisk disk(kSmallDiskBytes, fault == Fault::ReserveReadOnlyDisk);
    if (OnSmallDisk(fault) && !disk.mounted()) QSKIP("no tmpfs can be mounted here");
    Scene scene{rig, OnSmallDisk(fault) && !IsStart(fault) ? disk.path() : scratch.path(), {}, {}};
    rig.run("Option1", 2);
    rig.run("Option2", 1);  // leaves a good sgz.bmp behind
    IsStart(fault) ? PrepareStart(scene, fault, disk) : PrepareSave(scene, fault);
    const Snapshot before(rig);
    const auto files = Disk(scene, disk);

    bool windowOpen = true;
    if (IsStart(fault))
      rig.click("comstart");
    else if (IsSave(fault))
      rig.menu("mnuSave")->trigger();
    else
      windowOpen = rig.saveAs(scene.saveDir, scene.name);

    QCOMPARE(rig.runtime.failures.size(), 1);
    const QString message = rig.runtime.failures[0];
    QVERIFY2(message.contains(scene.target) && message.contains(reason), qPrintable(message));
    QVERIFY2(windowOpen, "the save-as window closed after a failed write");
    const Snapshot after(rig);
    QCOMPARE(after.controls, before.controls);
    QCOMPARE(after.state, before.state);
    QCOMPARE(after.canvas, before.canvas);
    QCOMPARE(Disk(scene, disk), files);
    QCOMPARE(rig.runtime.ended, 0);

    // With a sound program folder and a writable place to save, everything works again.
    FakeRuntime fresh;
    rig.runtime.appPath = fresh.appPath;
    rig.run("Option1", 1);
    QVERIFY(!rig.saveAs(fresh.appPath, QStringLiteral("after")));
    QCOMPARE(rig.runtime.failures.size(), 1);
    QCOMPARE(LoadPicture(fresh.appPath + "/after.bmp").image.convertToFormat(QImage::Format_RGB32),
             rig.canvas());
  }
};

QTEST_MAIN(TestFaultMatrix)
#include "tst_fault_matrix.moc"
