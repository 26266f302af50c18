// Every failure the program handles, through the same checks: one message naming the file and
// the reason, nothing changed on screen, in the state or on disk, and the program still able to
// start, tick and save afterwards.
#include <sys/stat.h>

#include <QTest>
#include <QtEndian>
#include <optional>

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

enum class Act { StartNew, StartReserve, SaveAs, Save };
enum class Room { Plenty, FullDisk, ReadOnlyDisk };

// Where a case happens: the program folder, a folder to save into, a small disk, the name typed.
struct Scene {
  FormRig &rig;
  QString saveDir;
  QString disk;
  QString name = QStringLiteral("x");

  QString file(const char *name) const { return rig.runtime.appPath + '/' + QLatin1String(name); }
  void moveProgramTo(const QString &folder) { rig.runtime.appPath = folder; }
  QString saved() const { return saveDir + QStringLiteral("/x.bmp"); }
  QString sub() const { return saveDir + QStringLiteral("/sub"); }
  void saveAsInSub() {
    QDir(saveDir).mkdir(QStringLiteral("sub"));
    rig.saveAs(sub(), name);
    QDir(sub()).removeRecursively();
  }
};

QByteArray Shipped() {
  return ReadAll(QStringLiteral(KURVIMO_RESOURCES "/cls.bmp"));
}

QByteArray OfAbsurdSize() {
  QByteArray bytes = Shipped();
  qToLittleEndian(kAbsurdSide, bytes.data() + kWidthField);
  qToLittleEndian(kAbsurdSide, bytes.data() + kHeightField);
  return bytes;
}

void ReplaceByFolder(const QString &path) {
  QFile::remove(path);
  QDir().mkdir(path);
}

void ReplaceByFifo(const QString &path) {
  QFile::remove(path);
  QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
}

struct Case {
  const char *name;
  const char *reason;  // what the message must say besides the file
  Act act;
  Room room;
  void (*prepare)(Scene &);
};

const Case kCases[] = {
    {"cls.bmp missing", "No such file", Act::StartNew, Room::Plenty,
     [](Scene &s) { QFile::remove(s.file("cls.bmp")); }},
    {"cls.bmp empty", "empty", Act::StartNew, Room::Plenty,
     [](Scene &s) { WriteFile(s.file("cls.bmp"), {}); }},
    {"cls.bmp cut at 55 bytes", "cut short", Act::StartNew, Room::Plenty,
     [](Scene &s) { WriteFile(s.file("cls.bmp"), Shipped().left(55)); }},
    {"cls.bmp cut at half", "cut short", Act::StartNew, Room::Plenty,
     [](Scene &s) { WriteFile(s.file("cls.bmp"), Shipped().left(Shipped().size() / 2)); }},
    {"cls.bmp of absurd size", "too large", Act::StartNew, Room::Plenty,
     [](Scene &s) { WriteFile(s.file("cls.bmp"), OfAbsurdSize()); }},
    {"cls.bmp a folder", "folder", Act::StartNew, Room::Plenty,
     [](Scene &s) { ReplaceByFolder(s.file("cls.bmp")); }},
    {"cls.bmp a FIFO", "not a regular file", Act::StartNew, Room::Plenty,
     [](Scene &s) { ReplaceByFifo(s.file("cls.bmp")); }},
    {"sgz.bmp a folder", "directory", Act::StartReserve, Room::Plenty,
     [](Scene &s) { ReplaceByFolder(s.file("sgz.bmp")); }},
    {"sgz.bmp through a regular file", "Not a directory", Act::StartReserve, Room::Plenty,
     [](Scene &s) { s.moveProgramTo(s.file("cls.bmp")); }},
    {"sgz.bmp on a read-only disk", "Read-only file system", Act::StartReserve, Room::ReadOnlyDisk,
     [](Scene &s) { s.moveProgramTo(s.disk); }},
    {"sgz.bmp on a full disk", "No space left", Act::StartReserve, Room::FullDisk,
     [](Scene &s) {
       QFile::copy(s.file("sgz.bmp"), s.disk + QStringLiteral("/sgz.bmp"));
       s.moveProgramTo(s.disk);
     }},
    {"sgz.bmp in a folder that is gone", "No such file", Act::StartReserve, Room::Plenty,
     [](Scene &s) { s.moveProgramTo(s.file("gone")); }},
    {"Save As through a regular file", "Not a directory", Act::SaveAs, Room::Plenty,
     [](Scene &s) {
       WriteFile(s.saveDir + QStringLiteral("/plain"), "old");
       s.name = QStringLiteral("plain/x");
     }},
    {"Save As onto a folder", "directory", Act::SaveAs, Room::Plenty,
     [](Scene &s) { QDir().mkdir(s.saved()); }},
    {"Save As with a name over 255 bytes", "too long", Act::SaveAs, Room::Plenty,
     [](Scene &s) { s.name = QString(256, QLatin1Char('n')); }},
    {"Save As onto a full disk", "No space left", Act::SaveAs, Room::FullDisk,
     [](Scene &s) { s.rig.saveAs(s.saveDir, s.name); }},
    {"Save through a regular file", "Not a directory", Act::Save, Room::Plenty,
     [](Scene &s) {
       s.saveAsInSub();
       WriteFile(s.sub(), "old");
     }},
    {"Save onto a folder", "directory", Act::Save, Room::Plenty,
     [](Scene &s) {
       s.rig.saveAs(s.saveDir, s.name);
       ReplaceByFolder(s.saved());
     }},
    {"Save onto a full disk", "No space left", Act::Save, Room::FullDisk,
     [](Scene &s) { s.rig.saveAs(s.saveDir, s.name); }},
    {"Save into a folder removed after Save As", "No such file", Act::Save, Room::Plenty,
     [](Scene &s) { s.saveAsInSub(); }},
};

// The file the message must name, once the case is prepared.
QString Target(const Scene &s, Act act) {
  switch (act) {
    case Act::StartNew:
      return s.file("cls.bmp");
    case Act::StartReserve:
      return s.file("sgz.bmp");
    case Act::SaveAs:
      return s.saveDir + '/' + s.name + QStringLiteral(".bmp");
    case Act::Save:
      return s.rig.form.module1().currentFileName;
  }
  return {};
}

// Everything on disk that a failure must leave alone.
QMap<QString, QByteArray> Files(const Scene &s) {
  QMap<QString, QByteArray> all = Listing(s.rig.runtime.folder.path());
  all.insert(Listing(s.saveDir));
  all.insert(Listing(s.disk));
  return all;
}

}  // namespace

class TestFaultMatrix : public QObject {
  Q_OBJECT

 private slots:
  void failureChangesNothingAndTheProgramGoesOn_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(kCases)); ++i) QTest::newRow(kCases[i].name) << i;
  }
  void failureChangesNothingAndTheProgramGoesOn() {
    QFETCH(int, index);
    const Case &c = kCases[index];
    FormRig rig;
    QTemporaryDir scratch;
    SmallDisk disk(kSmallDiskBytes, c.room == Room::ReadOnlyDisk);
    if (c.room == Room::ReadOnlyDisk && !disk.mounted()) QSKIP("no tmpfs can be mounted here");
    std::optional<FileSizeLimit> limit;
    const bool limited = c.room == Room::FullDisk && !disk.mounted();
    const QString reason = QString::fromUtf8(limited ? "File too large" : c.reason);
    const bool saveOnDisk = c.room == Room::FullDisk && c.act >= Act::SaveAs;
    Scene scene{rig, saveOnDisk ? disk.path() : scratch.path(), disk.path()};
    rig.run("Option1", 2);
    rig.run("Option2", 1);  // leaves a good sgz.bmp behind
    if (c.act <= Act::StartReserve) rig.click(c.act == Act::StartNew ? "Option1" : "Option2");
    c.prepare(scene);
    const QString target = Target(scene, c.act);
    const Snapshot before(rig);
    const auto files = Files(scene);

    if (limited) limit.emplace(kSmallDiskBytes / 4);
    bool windowOpen = true;
    if (c.act == Act::SaveAs) windowOpen = rig.saveAs(scene.saveDir, scene.name);
    if (c.act == Act::Save) rig.menu("mnuSave")->trigger();
    if (c.act <= Act::StartReserve) rig.click("comstart");

    limit.reset();
    QCOMPARE(rig.runtime.failures.size(), 1);
    const QString message = rig.runtime.failures[0];
    QVERIFY2(message.contains(target) && message.contains(reason), qPrintable(message));
    QVERIFY2(windowOpen, "the save-as window closed after a failed write");
    const Snapshot after(rig);
    QCOMPARE(after.controls, before.controls);
    QCOMPARE(after.state, before.state);
    QCOMPARE(after.canvas, before.canvas);
    QCOMPARE(Files(scene), files);
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
