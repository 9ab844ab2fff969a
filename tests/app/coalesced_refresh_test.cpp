#include <QTest>

#include "app/coalesced_refresh.h"

class CoalescedRefreshTest : public QObject {
  Q_OBJECT

 private slots:
  // A change after a quiet interval shows at once; the changes made while
  // the interval is open show together, once, when it ends; an interval
  // without changes lets the timer stop.
  void showsTheFirstChangeAtOnceAndTheRestOncePerInterval() {
    int shown = 0;
    CoalescedRefresh refresh(30, [&shown] { ++shown; });
    QVERIFY(!refresh.Open());
    refresh.Changed();
    QCOMPARE(shown, 1);
    QVERIFY(refresh.Open());
    refresh.Changed();
    refresh.Changed();
    QCOMPARE(shown, 1);
    QTRY_COMPARE_WITH_TIMEOUT(shown, 2, 5000);
    QVERIFY(refresh.Open());  // that showing opened the next interval
    QTRY_VERIFY_WITH_TIMEOUT(!refresh.Open(), 5000);
    QCOMPARE(shown, 2);
    refresh.Changed();
    QCOMPARE(shown, 3);
  }
};

QTEST_GUILESS_MAIN(CoalescedRefreshTest)
#include "coalesced_refresh_test.moc"
