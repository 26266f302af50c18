// Every kind of failure the program handles, through the same checks: one message naming the file
// and the reason, nothing changed on screen, in the state or on disk, and the program still able
// to start, tick and save afterwards.
#include <QCryptographicHash>
#include <QDirIterator>
#include <QTest>

#include "support/form_rig.h"

using namespace kurvimo;
using namespace kurvimo::testing;

namespace {

enum class Act { StartNew, StartReserve, SaveAs, Save };

struct Case {
  const char *name, *reason;  // the reason the message must give besides the file
  Act act;
  const char *file;  // the file the message must name, in the program or the save folder
  void (*prepare)(FormRig &, const QString &saveDir);
};
const Case kCases[] = {
    {"cls.bmp missing", "No such file", Act::StartNew, "cls.bmp",
     [](FormRig &rig, const QString &) { QFile::remove(rig.runtime.appPath + "/cls.bmp"); }},
    {"cls.bmp cut short", "cut short", Act::StartNew, "cls.bmp",
     [](FormRig &rig, const QString &) { QFile::resize(rig.runtime.appPath + "/cls.bmp", 4000); }},
    {"sgz.bmp in a folder that is gone", "No such file", Act::StartReserve, "gone/sgz.bmp",
     [](FormRig &rig, const QString &) { rig.runtime.appPath += "/gone"; }},
    {"Save As onto a folder", "directory", Act::SaveAs, "x.bmp",
     [](FormRig &, const QString &saveDir) { QDir(saveDir).mkdir("x.bmp"); }},
    {"Save into a folder removed after Save As", "No such file", Act::Save, "sub/x.bmp",
     [](FormRig &rig, const QString &saveDir) {
       QDir(saveDir).mkdir("sub");
       rig.saveAs(saveDir + "/sub", "x");
       QDir(saveDir + "/sub").removeRecursively();
     }},
};

// Everything a failed command must leave alone: controls, labels, state, canvas and files.
QStringList Everything(FormRig &rig, const QStringList &folders) {
  QStringList all;
  for (QAbstractButton *b : rig.form.findChildren<QAbstractButton *>()) {
    all << QString("%1 %2 %3 %4")
               .arg(b->objectName(), b->text())
               .arg(b->isEnabled())
               .arg(b->isChecked());
  }
  for (QLabel *label : rig.form.findChildren<QLabel *>()) all << label->text();
  all << QString::number(rig.menu("mnuSave")->isEnabled()) << rig.form.module1().currentFileName;
  const FigureModel &m = rig.model();
  const HistoryRing &h = rig.form.engine().history();
  all << QByteArray(reinterpret_cast<const char *>(&m.terms), sizeof m.terms).toHex();
  for (int v :
       {m.kansuu, m.bairitu, m.xichi, m.yichi, m.henka, m.colorIndex, m.running, m.reserveMode,
        m.xShift, m.xCenterRef, m.centerSet, h.histPos, h.histFull, h.modoru}) {
    all << QString::number(v);
  }
  const QImage canvas = rig.canvas();
  all << QString::number(m.drawCount)
      << QCryptographicHash::hash(QByteArrayView(canvas.constBits(), canvas.sizeInBytes()),
                                  QCryptographicHash::Sha256)
             .toHex();
  for (const QString &folder : folders) {
    for (QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
      QFile file(it.next());
      all << file.fileName() + ' ' +
                 (file.open(QIODevice::ReadOnly)
                      ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()
                      : "");
    }
  }
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
    QTemporaryDir saveDir;
    const QStringList folders{rig.runtime.appPath, saveDir.path()};
    rig.run("Option1", 2);
    rig.run("Option2", 1);  // leaves a good sgz.bmp behind
    rig.click(c.act == Act::StartReserve ? "Option2" : "Option1");
    c.prepare(rig, saveDir.path());
    const QStringList before = Everything(rig, folders);
    bool windowOpen = true;
    if (c.act == Act::SaveAs) windowOpen = rig.saveAs(saveDir.path(), "x");
    if (c.act == Act::Save) rig.menu("mnuSave")->trigger();
    if (c.act <= Act::StartReserve) rig.click("comstart");
    const QString target = folders[c.act <= Act::StartReserve ? 0 : 1] + '/' + c.file;
    QCOMPARE(rig.runtime.failures.size(), 1);
    QVERIFY2(rig.runtime.failures[0].contains(target) && rig.runtime.failures[0].contains(c.reason),
             qPrintable(rig.runtime.failures[0]));
    QVERIFY2(windowOpen, "the save-as window closed after a failed write");
    QCOMPARE(Everything(rig, folders), before);
    QCOMPARE(rig.runtime.ended, 0);

    // With a sound program folder and a writable place to save, everything works again.
    rig.runtime.appPath = folders[0];
    QFile::remove(folders[0] + "/cls.bmp");
    QFile::copy(KURVIMO_RESOURCES "/cls.bmp", folders[0] + "/cls.bmp");
    rig.run("Option1", 1);
    QVERIFY(!rig.saveAs(folders[0], "after"));
    QCOMPARE(rig.runtime.failures.size(), 1);
    QCOMPARE(LoadPicture(folders[0] + "/after.bmp").image.convertToFormat(QImage::Format_RGB32),
             rig.canvas());
  }
};

QTEST_MAIN(TestFaultMatrix)
#include "tst_fault_matrix.moc"
