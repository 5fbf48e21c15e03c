// The system's limit of watched folders reached: the folders it refuses are
// looked at instead, so no change is missed, and the user is told once. Runs
// under run-with-watch-limit, which allows the program three watches.

#include "mainwindow/MainWindowFixture.h"

#include <QFile>

using namespace Qt::StringLiterals;

class TestWatchLimit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void foldersBeyondTheLimitAreLookedAt()
    {
        QFile limit(u"/proc/sys/user/max_inotify_watches"_s);
        if (!limit.open(QIODevice::ReadOnly) || limit.readAll().trimmed() != "3")
            QSKIP("needs a limit of three watches: run through run-with-watch-limit");
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"B"_s, u"Bee - Two.txt"_s).song(u"C"_s, u"Cee - Three.txt"_s);
        w.open();
        // The cache folder, A and B are watched; C is refused.
        w.form->followDisk();
        QTRY_COMPARE(w.platform.messages.size(), 1);
        const QString told = w.platform.messages[0].text;
        QVERIFY2(told.startsWith(u"The system allows no more folders to be watched"_s), qPrintable(told));
        QVERIFY2(told.contains(w.lib.cachePath() + u"C"_s), qPrintable(told));
        // Refused again after F5, and not told again.
        for (const QString &song : {u"Cee - Four.txt"_s, u"Cee - Five.txt"_s}) {
            w.lib.song(u"C"_s, song);
            QTRY_VERIFY_WITH_TIMEOUT(w.node(u"C/"_s + song), 10000);
            w.treeKey(Qt::Key_F5);
        }
        QCOMPARE(w.label(u"lblCount"_s), u"5 lyrics\n0 timestamps"_s);
        QCOMPARE(w.platform.messages.size(), 1);
    }
};

QTEST_MAIN(TestWatchLimit)

#include "tst_watchlimit.moc"
