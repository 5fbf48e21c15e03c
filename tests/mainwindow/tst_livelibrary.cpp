// The library follows the disk: files the downloader adds, changes or
// removes show in the window within a second, keeping what the user sees,
// and never overwrite what the user is typing.

#include "library/LibraryScan.h"
#include "library/LibraryWatcher.h"
#include "mainwindow/MainWindowFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

// Long enough for the watcher to tell a change, with room for a busy machine.
constexpr int kTold = 3000;

struct Following
{
    Window w;

    void open()
    {
        w.lib.song(u"A"_s, u"Able - One.txt"_s, "one\r\n").song(u"A"_s, u"Able - Two.txt"_s, "two\r\n")
            .song(u"B"_s, u"Bee - Three.txt"_s, "three\r\n");
        w.open();
        w.form->followDisk();
    }
    QString path(const QString &key) const { return w.lib.cachePath() + key; }
    QWidget *bar() const { return w.child<QWidget>(u"picDiskChange"_s); }
};

} // namespace

class TestLiveLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newFilesShowKeepingTheView()
    {
        Following f;
        f.open();
        Window &w = f.w;
        w.click(u"A/Able - Two.txt"_s);
        w.clickArrow(u"bee"_s);
        w.typeSearch(u"e"_s); // every artist has an "e"
        QCOMPARE(w.label(u"lblSearchResults"_s), u"{2 artists} {3 songs}"_s);

        QElapsedTimer clock;
        clock.start();
        w.lib.song(u"A"_s, u"Able - Eleven.txt"_s).song(u"Z"_s, u"Zed - Evening.txt"_s, "x", true);
        QTRY_VERIFY_WITH_TIMEOUT(w.node(u"Z/Zed - Evening.txt"_s), kTold);
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(w.node(u"A/Able - Eleven.txt"_s));
        QCOMPARE(w.label(u"lblCount"_s), u"5 lyrics\n1 timestamps"_s);
        QCOMPARE(w.label(u"lblSearchResults"_s), u"{3 artists} {5 songs}"_s);
        // What the user saw stays: the search, the open artists, the selection.
        QCOMPARE(w.search()->text(), u"e"_s);
        QVERIFY(w.tree()->isExpanded(w.index(u"able"_s)));
        QVERIFY(w.tree()->isExpanded(w.index(u"bee"_s)));
        QCOMPARE(w.current(), w.node(u"A/Able - Two.txt"_s));
        QCOMPARE(w.label(u"LblSong"_s), u" Able - Two"_s);
        QVERIFY(w.enabled(frmMain::Delete));
        // The search restores from what is on disk now.
        w.typeSearch(QString());
        QVERIFY(w.node(u"A/Able - Eleven.txt"_s));

        // A file removed by someone else leaves the tree; the counts follow.
        QVERIFY(QFile::remove(f.path(u"B/Bee - Three.txt"_s)));
        QTRY_VERIFY_WITH_TIMEOUT(!w.node(u"bee"_s), kTold);
        QCOMPARE(w.label(u"lblCount"_s), u"4 lyrics\n1 timestamps"_s);
    }

    // Without a search the tree takes a change row by row: a song that
    // comes before the ticked and selected ones, and a timestamp file that
    // comes beside a song, leave the ticks, the open artist, the selection
    // and the place scrolled to as they were.
    void aChangeLeavesTicksSelectionAndScroll()
    {
        Following f;
        for (int i = 0; i < 60; ++i)
            f.w.lib.song(u"C"_s, u"Cello %1 - Piece.txt"_s.arg(i, 2, 10, QLatin1Char('0')));
        f.open();
        Window &w = f.w;
        w.press(frmMain::JoinLyrics);
        w.tick(u"A/Able - Two.txt"_s);
        w.click(u"B/Bee - Three.txt"_s);
        w.tree()->scrollTo(w.index(u"B/Bee - Three.txt"_s), QAbstractItemView::PositionAtTop);
        const int scroll = w.tree()->verticalScrollBar()->value();
        QVERIFY(scroll > 0);

        w.lib.song(u"A"_s, u"Able - Alpha.txt"_s).song(u"A"_s, u"Aardvark - Early.txt"_s);
        w.lib.file(u"B/Bee - Three.kas"_s, "[00:01]");
        QTRY_VERIFY_WITH_TIMEOUT(w.node(u"A/Aardvark - Early.txt"_s), kTold);
        QTRY_COMPARE_WITH_TIMEOUT(w.node(u"B/Bee - Three.txt"_s)->Image, NodeImage::SongWithTimestamps, kTold);
        QCOMPARE(w.label(u"lblCount"_s), u"65 lyrics\n1 timestamps"_s);
        // Where a scan puts them: the new artist first, the new song first under its artist.
        QCOMPARE(w.node(u"aardvark"_s)->Row, 0);
        QCOMPARE(w.node(u"A/Able - Alpha.txt"_s)->Row, 0);
        QVERIFY(w.node(u"A/Able - Two.txt"_s)->Checked);
        QVERIFY(w.tree()->isExpanded(w.index(u"able"_s)));
        QCOMPARE(w.current(), w.node(u"B/Bee - Three.txt"_s));
        // The rows above the top one grew by two: the view shows the same songs.
        QCOMPARE(w.tree()->indexAt(QPoint(4, 2)), w.index(u"B/Bee - Three.txt"_s));
        QCOMPARE(w.label(u"LblSong"_s), u" Bee - Three"_s);
    }

    void anArtistOnDisplayCountsItsSongsAgain()
    {
        Following f;
        f.open();
        Window &w = f.w;
        w.click(u"able"_s);
        QCOMPARE(w.label(u"lblInfoTitles"_s), u" 2 lyrics avaliable"_s);
        w.lib.song(u"A"_s, u"Able - Three.txt"_s);
        QTRY_COMPARE_WITH_TIMEOUT(w.label(u"lblInfoTitles"_s), u" 3 lyrics avaliable"_s, kTold);
        for (const QString &key : {u"A/Able - One.txt"_s, u"A/Able - Two.txt"_s, u"A/Able - Three.txt"_s})
            QVERIFY(QFile::remove(f.path(key)));
        QTRY_VERIFY_WITH_TIMEOUT(!w.node(u"able"_s), kTold);
        QCOMPARE(w.label(u"LblSong"_s), QString());
        QCOMPARE(w.label(u"lblInfoTitles"_s), QString());
    }

    void theSongOnDisplayChangesOnDisk()
    {
        Following f;
        f.open();
        Window &w = f.w;
        w.click(u"A/Able - One.txt"_s);
        LibraryBuilder(w.lib.cachePath()).file(u"A/Able - One.txt"_s, "one, now longer\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(w.lyrics()->toPlainText(), u"one, now longer\n"_s, kTold);
        QVERIFY(f.bar()->isHidden());

        // While editing, nothing typed is overwritten: the user chooses.
        w.press(frmMain::Edit);
        w.typeLyrics(u"my own words"_s);
        LibraryBuilder(w.lib.cachePath()).file(u"A/Able - One.txt"_s, "the downloader's words\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(f.bar()->isVisible(), kTold);
        QCOMPARE(w.lyrics()->toPlainText(), u"my own words"_s);
        QVERIFY(w.lyrics()->geometry().top() >= f.bar()->geometry().bottom());
        QTest::mouseClick(w.child<QPushButton>(u"cmdKeepMyText"_s), Qt::LeftButton);
        QVERIFY(f.bar()->isHidden());
        QVERIFY(!w.lyrics()->isReadOnly());
        w.press(frmMain::Edit);
        QCOMPARE(LibraryBuilder::bytes(f.path(u"A/Able - One.txt"_s)), QByteArray("my own words\r\n"));

        w.press(frmMain::Edit);
        w.typeLyrics(u"typed again"_s);
        LibraryBuilder(w.lib.cachePath()).file(u"A/Able - One.txt"_s, "newer on disk\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(f.bar()->isVisible(), kTold);
        QTest::mouseClick(w.child<QPushButton>(u"cmdReload"_s), Qt::LeftButton);
        QVERIFY(f.bar()->isHidden());
        QCOMPARE(w.lyrics()->toPlainText(), u"newer on disk\n"_s);
        QVERIFY(w.lyrics()->isReadOnly());
        QVERIFY(!w.pressed(frmMain::Edit));
    }

    void ourOwnSaveIsNoChangeOnDisk()
    {
        Following f;
        f.open();
        Window &w = f.w;
        w.click(u"A/Able - One.txt"_s);
        w.press(frmMain::Edit);
        w.typeLyrics(u"typed"_s);
        LibraryBuilder(w.lib.cachePath()).file(u"A/Able - One.txt"_s, "outside\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(f.bar()->isVisible(), kTold);
        w.press(frmMain::Edit);
        QVERIFY(f.bar()->isHidden());
        // The watcher tells of the save while the user types again: no bar.
        QSignalSpy told(w.form->findChild<LibraryWatcher *>(), &LibraryWatcher::fileChanged);
        w.press(frmMain::Edit);
        w.typeLyrics(u"typed again"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), kTold);
        QVERIFY(f.bar()->isHidden());
        QCOMPARE(w.lyrics()->toPlainText(), u"typed again"_s);
    }

    void aSongRenamedOnDiskStaysOnDisplay_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::newRow("shown") << false;
        QTest::newRow("being edited") << true;
    }

    void aSongRenamedOnDiskStaysOnDisplay()
    {
        QFETCH(bool, editing);
        Following f;
        f.open();
        Window &w = f.w;
        w.click(u"A/Able - One.txt"_s);
        if (editing) {
            w.press(frmMain::Edit);
            w.typeLyrics(u"keep this"_s);
        }
        QVERIFY(QFile::rename(f.path(u"A/Able - One.txt"_s), f.path(u"B/Bee - Won.txt"_s)));
        QTRY_VERIFY_WITH_TIMEOUT(w.node(u"B/Bee - Won.txt"_s), kTold);
        QTRY_VERIFY_WITH_TIMEOUT(!w.form->findChild<LibraryWatcher *>()->isSettling(), kTold);
        QCOMPARE(w.label(u"LblSong"_s), u" Bee - Won"_s);
        QCOMPARE(w.current(), w.node(u"B/Bee - Won.txt"_s));
        QCOMPARE(w.lyrics()->toPlainText(), editing ? u"keep this"_s : u"one\n"_s);
        QVERIFY(f.bar()->isHidden());
        w.press(frmMain::Edit);
        QCOMPARE(LibraryBuilder::bytes(f.path(u"B/Bee - Won.txt"_s)), editing ? "keep this\r\n" : "one\r\n");
    }

    void theSongOnDisplayIsRemovedOnDisk_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::newRow("shown") << false;
        QTest::newRow("being edited") << true;
    }

    void theSongOnDisplayIsRemovedOnDisk()
    {
        QFETCH(bool, editing);
        Following f;
        f.open();
        Window &w = f.w;
        w.click(u"A/Able - One.txt"_s);
        if (editing) {
            w.press(frmMain::Edit);
            w.typeLyrics(u"keep this"_s);
        }
        QVERIFY(QFile::remove(f.path(u"A/Able - One.txt"_s)));
        QTRY_VERIFY_WITH_TIMEOUT(!w.node(u"A/Able - One.txt"_s), kTold);
        if (!editing) {
            QCOMPARE(w.label(u"LblSong"_s), QString());
            QCOMPARE(w.lyrics()->toPlainText(), QString());
            for (int b : {frmMain::Edit, frmMain::Delete, frmMain::MarkRedownload, frmMain::SearchKaraoke})
                QVERIFY(!w.enabled(b));
            return;
        }
        // The typed text stays, and saving makes the file again.
        QVERIFY(f.bar()->isVisible());
        QCOMPARE(w.lyrics()->toPlainText(), u"keep this"_s);
        w.press(frmMain::Edit);
        QCOMPARE(LibraryBuilder::bytes(f.path(u"A/Able - One.txt"_s)), QByteArray("keep this\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(w.node(u"A/Able - One.txt"_s), kTold);
    }
};

int runLiveLibraryTests(int argc, char **argv)
{
    TestLiveLibrary tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_livelibrary.moc"
