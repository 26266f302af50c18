#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "platform/qt_runtime.h"
#include "support/form_rig.h"
#include "ui/help_viewer.h"

using namespace kurvimo;
using namespace kurvimo::testing;

class TestHelp : public QObject {
  Q_OBJECT

 private slots:
  void f1OpensHelpOnlyAfterHelpWasChosen() {
    FormRig rig;
    QTest::keyClick(&rig.form, Qt::Key_F1);
    QVERIFY(rig.runtime.helpShown.isEmpty());
    rig.menu("mnuMokuji")->trigger();
    const QString file = rig.runtime.appPath + QStringLiteral("/krv.hlp");
    QCOMPARE(rig.runtime.helpShown, QStringList{file});
    QTest::keyClick(rig.get<QWidget>("HScroll_bairitu"), Qt::Key_F1);
    rig.withModal("mnuVersion", [&](QWidget *w) { QTest::keyClick(w, Qt::Key_F1); });
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      QTest::keyClick(w->findChild<QWidget *>(QStringLiteral("txtTargetFile")), Qt::Key_F1);
    });
    QCOMPARE(rig.runtime.helpShown, QStringList(4, file));
  }

  void viewerShowsTheFileOrSaysWhyNot_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("shown");
    QTest::newRow("the help file") << KURVIMO_RESOURCES "/krv.hlp"
                                   << "Saving pictures";
    QTest::newRow("missing") << "/nonexistent/krv.hlp"
                             << "No such file";
    QTest::newRow("a folder") << KURVIMO_RESOURCES << "is a folder";
    QTest::newRow("empty") << "/dev/null"
                           << "not a regular file";
  }
  void viewerShowsTheFileOrSaysWhyNot() {
    QFETCH(QString, file);
    QFETCH(QString, shown);
    HelpViewer viewer;
    viewer.Open(file);
    QVERIFY2(viewer.toPlainText().contains(shown), qPrintable(viewer.toPlainText().left(200)));
  }

  void overwriteQuestionIsAWarningWithYesAsDefault_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("yes");
    QTest::newRow("Enter") << int{Qt::Key_Return} << true;
    QTest::newRow("Esc") << int{Qt::Key_Escape} << false;
  }
  void overwriteQuestionIsAWarningWithYesAsDefault() {
    QFETCH(int, key);
    QtRuntime runtime;
    QTimer::singleShot(0, [&] {
      auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
      QVERIFY(box);
      QCOMPARE(box->windowTitle(), "Kurvimo");
      QCOMPARE(box->text(), "question");
      QCOMPARE(box->icon(), QMessageBox::Warning);
      QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
      QCOMPARE(static_cast<QAbstractButton *>(box->defaultButton()), box->button(QMessageBox::Yes));
      QTest::keyClick(box, Qt::Key(key));
    });
    QTEST(runtime.AskYesNo(nullptr, QStringLiteral("question")), "yes");
  }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
