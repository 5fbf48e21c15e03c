// The main window's layout arithmetic, without a window.

#include "app/MainLayout.h"

#include <QTest>

class TestLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void designedWindowAfterLoad()
    {
        MainLayout l;
        QVERIFY(l.DoSplit(l.picSplit.Left));
        QCOMPARE(l.picSplit.Left, 3240.0);
        QCOMPARE(l.lista.Width, 3120.0);
        QCOMPARE(l.lblCount.Width, 3120.0);
        QCOMPARE(l.txtSearch.Width, 3120.0 - 570 - 50);
        for (double left : {l.LblSong.Left, l.picInfo.Left, l.picHolder.Left, l.frmKaraoke.Left, l.lyrics.Left})
            QCOMPARE(left, 3375.0);
        const double rw = 12360.0 - 3375 - 100;
        for (double width : {l.LblSong.Width, l.picInfo.Width, l.picHolder.Width, l.tlbMain.Width, l.lyrics.Width})
            QCOMPARE(width, rw);
        // Tops never move.
        QCOMPARE(l.lista.Top, 1455.0);
        QCOMPARE(l.lyrics.Top, 2760.0);
    }

    void splitLimits_data()
    {
        QTest::addColumn<double>("clientWidth");
        QTest::addColumn<double>("x");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("10 % exactly") << 12360.0 << 1236.0 << true;
        QTest::newRow("just below 10 %") << 12360.0 << 1235.9 << false;
        QTest::newRow("90 % exactly") << 12360.0 << 11124.0 << true;
        QTest::newRow("just above 90 %") << 12360.0 << 11124.1 << false;
        QTest::newRow("negative") << 12360.0 << -15.0 << false;
        QTest::newRow("odd width, lower limit") << 9999.0 << 999.9 << true;
        QTest::newRow("odd width, upper limit") << 9999.0 << 8999.1 << true;
    }

    void splitLimits()
    {
        QFETCH(double, clientWidth);
        QFETCH(double, x);
        QFETCH(bool, accepted);
        MainLayout l;
        l.ClientWidth = clientWidth;
        const double before = l.picSplit.Left;
        const double listaWidth = l.lista.Width;
        QCOMPARE(l.DoSplit(x), accepted);
        if (accepted) {
            QCOMPARE(l.picSplit.Left, double(float(x)));
            QCOMPARE(l.lista.Width, double(float(x)) - 120);
        } else {
            QCOMPARE(l.picSplit.Left, before);
            QCOMPARE(l.lista.Width, listaWidth);
        }
    }

    void karaokeFrameTakesItsRoom()
    {
        MainLayout l;
        l.KaraokeVisible = true;
        l.DoSplit(4000);
        const double r = 4000 + 135;
        const double rw = 12360 - r - 100;
        QCOMPARE(l.frmKaraoke.Left, r);
        QCOMPARE(l.lyrics.Left, r + 2055 + 100);
        QCOMPARE(l.lyrics.Width, rw - 2055 - 100);
        QCOMPARE(l.picInfo.Width, rw);
        l.KaraokeVisible = false;
        l.ArrangeColumns();
        l.ArrangeRightWidths();
        QCOMPARE(l.lyrics.Left, r);
        QCOMPARE(l.lyrics.Width, rw);
    }

    void heightsFollowTheClient()
    {
        MainLayout l;
        l.ClientHeight = 8025;
        l.ArrangeHeights();
        QCOMPARE(l.frmKaraoke.Height, 8025.0 - 2760 - 100);
        QCOMPARE(l.picContainerKasEditModeOne.Height, l.frmKaraoke.Height - 720 - 100);
        QCOMPARE(l.VScroll1.Height, l.picContainerKasEditModeOne.Height);
        QCOMPARE(l.lyrics.Height, 8025.0 - 2760 - 100);
        QCOMPARE(l.lista.Height, 8025.0 - 1455 - 100);
        QCOMPARE(l.picSplit.Height, 8025.0);
    }

    void tooSmallSkipsWhatCannotBe()
    {
        MainLayout l;
        l.ClientHeight = 2000; // below the lyrics box's top
        l.ArrangeHeights();
        QCOMPARE(l.lyrics.Height, 5175.0);     // kept
        QCOMPARE(l.frmKaraoke.Height, 5175.0); // kept
        QCOMPARE(l.lista.Height, 2000.0 - 1455 - 100);
        QCOMPARE(l.picSplit.Height, 2000.0);

        l.ClientWidth = 3000; // narrower than the left column
        l.ArrangeRightWidths();
        QCOMPARE(l.lyrics.Width, 6735.0); // kept
    }

    void karaokeScroll_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<double>("viewport");
        QTest::addColumn<int>("maximum");
        QTest::newRow("rows fill the viewport exactly") << 10 << 3000.0 << 0;
        QTest::newRow("ten rows in 2000") << 10 << 2000.0 << 1000;
        QTest::newRow("one row") << 1 << 4335.0 << 0;
        QTest::newRow("five hundred rows") << 500 << 4335.0 << 150000 - 4335;
    }

    void karaokeScroll()
    {
        QFETCH(int, rows);
        QFETCH(double, viewport);
        QFETCH(int, maximum);
        MainLayout l;
        l.picContainerKasEditModeOne.Height = viewport;
        l.MoveableTop = -400;
        QCOMPARE(l.UpdateKaraokeScroll(rows), maximum);
        QCOMPARE(l.picContainerKasEditModeOne.Width, maximum > 0 ? 1805.0 : 1455.0);
        QCOMPARE(l.frmKaraoke.Width, maximum > 0 ? 2055.0 : 1685.0);
        QCOMPARE(l.MoveableTop, maximum > 0 ? -400.0 : 0.0);
    }

    void karaokeScrollKeepsTheRowsReachable()
    {
        MainLayout l;
        l.picContainerKasEditModeOne.Height = 2000;
        l.MoveableTop = -900;
        QCOMPARE(l.UpdateKaraokeScroll(10), 1000);
        l.picContainerKasEditModeOne.Height = 2500; // the window grew
        QCOMPARE(l.UpdateKaraokeScroll(10), 500);
        QCOMPARE(l.MoveableTop, -500.0);
    }

    void narrowerWindowKeepsTheLeftColumn()
    {
        MainLayout l;
        l.DoSplit(3240);
        const double left = l.lista.Width;
        l.ClientWidth = 9000;
        l.ArrangeHeights();
        l.ArrangeRightWidths();
        QCOMPARE(l.picSplit.Left, 3240.0);
        QCOMPARE(l.lista.Width, left);
        QCOMPARE(l.lyrics.Width, 9000.0 - 3375 - 100);
    }
};

int runLayoutTests(int argc, char **argv)
{
    TestLayout tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_layout.moc"
