#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "support/form_rig.h"

using namespace kurvimo;
using namespace kurvimo::testing;

class TestFrmAbout : public QObject {
  Q_OBJECT

 private slots:
  void showsIconNameAndVersion() {
    FormRig rig;
    rig.withModal("mnuVersion", [&](QWidget *w) {
      QCOMPARE(w->windowTitle(), "About");
      QCOMPARE(w->size(), QSize(374, 134));
      QCOMPARE(w->pos(), PlacedCorner());
      const auto *name = w->findChild<QLabel *>(QStringLiteral("Label1"));
      const auto *version = w->findChild<QLabel *>(QStringLiteral("Label2"));
      QCOMPARE(name->text(), "Kurvimo");
      QCOMPARE(version->text(), "Version 1.0");
      QCOMPARE(QFontInfo(name->font()).pointSize(), 18);
      QCOMPARE(QFontInfo(version->font()).pointSize(), 12);
      QVERIFY(name->font().bold() && version->font().bold());
      QCOMPARE(w->findChild<QLabel *>(QStringLiteral("picIcon"))->pixmap().size(), QSize(32, 32));
      QVERIFY(w->findChild<QPushButton *>(QStringLiteral("cmdOK"))->isDefault());
    });
  }

  void closesOnOkEnterAndEscape_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("OK clicked") << 0;
    QTest::newRow("Enter") << int{Qt::Key_Return};
    QTest::newRow("Esc") << int{Qt::Key_Escape};
  }
  void closesOnOkEnterAndEscape() {
    QFETCH(int, key);
    FormRig rig;
    bool closed = false;
    rig.withModal("mnuVersion", [&](QWidget *w) {
      QPointer<QWidget> about = w;
      auto *ok = w->findChild<QPushButton *>(QStringLiteral("cmdOK"));
      if (key == 0) {
        QTest::mouseClick(ok, Qt::LeftButton);
      } else {
        QTest::keyClick(ok, Qt::Key(key));
      }
      closed = !about || !about->isVisible();
    });
    QVERIFY(closed);
  }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frm_about.moc"
