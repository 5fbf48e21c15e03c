// Following the disk without seams: folders removed, replaced or made again
// are watched again, counts never go below what is there, and a song that
// comes while the program runs (from the downloader, or back with Ctrl+Z)
// takes the place a scan gives it, for every command that walks the library.

#include "library/LibraryWatcher.h"
#include "mainwindow/MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

// Long enough for the watcher to tell a change, with room for a busy machine.
constexpr int kTold = 5000;

void openFollowing(Window &w)
{
    w.state.InstallPath = w.dir.path(); // where joined files go
    w.open();
    w.form->followDisk();
}

// Joins the songs of these artists the way a user does; the joined file's
// song headings, in order.
QStringList joinedSongs(Window &w, const QStringList &artists)
{
    w.press(frmMain::JoinLyrics);
    for (const QString &artist : artists)
        w.tick(artist);
    w.platform.answers = {MessageAnswer::No};
    w.press(frmMain::JoinLyrics);
    const QDir folder(w.dir.path());
    const QStringList joined = folder.entryList({u"*Joined*.txt"_s}, QDir::Files);
    if (joined.size() != 1)
        return {};
    QStringList headings;
    for (const QByteArray &line : LibraryBuilder::bytes(folder.filePath(joined[0])).split('\n')) {
        if (line.startsWith(":: "))
            headings << QString::fromLatin1(line.mid(3).trimmed());
    }
    return headings;
}

} // namespace

class TestFollowDisk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void foldersMadeAgainAreWatchedAgain_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("counts");
        QTest::newRow("mv A A.old; mkdir A") << u"moved"_s << u"3 lyrics\n0 timestamps"_s;
        QTest::newRow("rm -r A; mkdir A") << u"removed"_s << u"3 lyrics\n0 timestamps"_s;
        QTest::newRow("the cache folder removed and made again") << u"cache"_s << u"2 lyrics\n0 timestamps"_s;
    }

    void foldersMadeAgainAreWatchedAgain()
    {
        QFETCH(QString, how);
        QFETCH(QString, counts);
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"B"_s, u"Bee - Two.txt"_s);
        openFollowing(w);
        const QString cache = w.lib.cachePath();
        if (how == u"moved"_s) {
            QVERIFY(QDir(cache).rename(u"A"_s, u"A.old"_s));
        } else {
            QVERIFY(QDir(cache + (how == u"cache"_s ? QString() : u"A"_s)).removeRecursively());
        }
        QVERIFY(QDir().mkpath(cache + u"A"_s));
        // Every later change shows, not only the first.
        for (const QString &song : {u"Able - New.txt"_s, u"Able - Later.txt"_s}) {
            w.lib.song(u"A"_s, song);
            QTRY_VERIFY_WITH_TIMEOUT(w.node(u"A/"_s + song), kTold);
        }
        QCOMPARE(w.label(u"lblCount"_s), counts);
    }

    // The files of a search's songs deleted from outside, and F5 pressed
    // before the watcher told it: the counts stay what the disk holds.
    void countsFollowTheDiskAfterARescan()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"A"_s, u"Able - Two.txt"_s).song(u"B"_s, u"Bee - Three.txt"_s);
        openFollowing(w);
        w.typeSearch(u"e"_s);
        for (const QString &key : {u"A/Able - One.txt"_s, u"A/Able - Two.txt"_s, u"B/Bee - Three.txt"_s})
            QVERIFY(QFile::remove(w.lib.cachePath() + key));
        w.treeKey(Qt::Key_F5);
        QCOMPARE(w.label(u"lblCount"_s), u"0 lyrics\n0 timestamps"_s);
        // Whatever the watcher still has to tell comes with the next song.
        w.lib.song(u"C"_s, u"Cee - Four.txt"_s);
        QTRY_VERIFY_WITH_TIMEOUT(w.node(u"C/Cee - Four.txt"_s), kTold);
        QCOMPARE(w.label(u"lblCount"_s), u"1 lyrics\n0 timestamps"_s);
        QCOMPARE(w.label(u"lblSearchResults"_s), u"{1 artist} {1 song}"_s);
    }

    // "Able - One" comes while the program runs: from the downloader, or
    // back from the trash with Ctrl+Z. The join lists it in the tree's
    // order, and deleting the last artist's song selects nothing, as it
    // does when nothing came.
    void aSongThatCameStandsWhereAScanPutsIt_data()
    {
        QTest::addColumn<bool>("undone");
        QTest::newRow("written by the downloader") << false;
        QTest::newRow("put back with Ctrl+Z") << true;
    }

    void aSongThatCameStandsWhereAScanPutsIt()
    {
        QFETCH(bool, undone);
        Window w;
        w.lib.song(u"A"_s, u"Able - Two.txt"_s).song(u"B"_s, u"Bee - Three.txt"_s);
        if (undone)
            w.lib.song(u"A"_s, u"Able - One.txt"_s);
        openFollowing(w);
        if (undone) {
            w.click(u"A/Able - One.txt"_s);
            w.press(frmMain::Delete);
            QVERIFY(!w.node(u"A/Able - One.txt"_s));
            w.tree()->setFocus(Qt::MouseFocusReason);
            QTest::keyClick(w.tree(), Qt::Key_Z, Qt::ControlModifier);
        } else {
            w.lib.song(u"A"_s, u"Able - One.txt"_s);
        }
        QTRY_VERIFY_WITH_TIMEOUT(w.node(u"A/Able - One.txt"_s), kTold);

        QCOMPARE(joinedSongs(w, {u"able"_s, u"bee"_s}),
                 QStringList({u"Able - One"_s, u"Able - Two"_s, u"Bee - Three"_s}));
        w.click(u"B/Bee - Three.txt"_s);
        w.press(frmMain::Delete);
        QCOMPARE(w.current(), nullptr);
        QCOMPARE(w.label(u"LblSong"_s), QString());
        QVERIFY(!w.enabled(frmMain::Delete));
        QCOMPARE(w.label(u"lblCount"_s), u"2 lyrics\n0 timestamps"_s);
    }

    // A song added to a large folder and one to another folder at once: the
    // tree takes both in place, keeping its nodes, instead of a whole scan.
    void twoFoldersChangedAtOnceAreTakenInPlace()
    {
        Window w;
        for (int i = 0; i < 300; ++i)
            w.lib.song(u"M"_s, u"Moth - Song %1.txt"_s.arg(i, 3, 10, QLatin1Char('0')));
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        openFollowing(w);
        LibraryTree &tree = w.form->libraryTree();
        const quint64 generation = tree.generation();
        const LibraryNode *moth = w.node(u"M/Moth - Song 150.txt"_s);
        w.lib.song(u"M"_s, u"Moth - Song 300.txt"_s).song(u"A"_s, u"Able - Two.txt"_s);
        QTRY_VERIFY_WITH_TIMEOUT(w.node(u"M/Moth - Song 300.txt"_s) && w.node(u"A/Able - Two.txt"_s), kTold);
        QCOMPARE(tree.generation(), generation);
        QCOMPARE(w.node(u"M/Moth - Song 150.txt"_s), moth);
        QCOMPARE(w.label(u"lblCount"_s), u"303 lyrics\n0 timestamps"_s);
        QCOMPARE(w.form->libraryProblem(), QString());
    }

    // Ctrl+Z puts back only what was deleted in the library shown.
    void ctrlZForgetsAnotherLibrary()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        LibraryBuilder other(w.dir.filePath(u"other/lyrics"_s));
        other.song(u"A"_s, u"Able - Two.txt"_s);
        w.open();
        w.click(u"A/Able - One.txt"_s);
        w.press(frmMain::Delete);
        w.platform.chosenFolder = other.cachePath();
        QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(w.node(u"A/Able - Two.txt"_s));
        const int beeps = w.platform.beeps;
        w.tree()->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(w.tree(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.platform.beeps, beeps + 1);
        QVERIFY(!w.platform.journal.join(u'\n').contains(u"restore "_s));
        QVERIFY(w.platform.messages.isEmpty());
        QVERIFY(!QFile::exists(other.cachePath() + u"A/Able - One.txt"_s));
    }
};

int runFollowDiskTests(int argc, char **argv)
{
    TestFollowDisk tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_followdisk.moc"
