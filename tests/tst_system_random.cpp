#include <QTest>
#include <cmath>

#include "platform/system_random.h"

using namespace kurvimo;

class TestSystemRandom : public QObject {
  Q_OBJECT

 private slots:
  void staysWithinZeroToOneAndSpreadsEvenly() {
    SystemRandom random;
    random.Randomize();
    constexpr int kDraws = 200000;
    int low = 0;
    for (int i = 0; i < kDraws; ++i) {
      const float r = random.Rnd();
      QVERIFY(r >= 0.0f && r < 1.0f);
      QCOMPARE(std::floor(r * 16777216.0f), r * 16777216.0f);  // a multiple of 2^-24
      low += r < 0.5f;
    }
    QVERIFY(std::abs(low - kDraws / 2) < kDraws / 100);
  }
};

QTEST_APPLESS_MAIN(TestSystemRandom)
#include "tst_system_random.moc"
