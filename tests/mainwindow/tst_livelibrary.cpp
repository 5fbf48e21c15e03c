// The library follows the disk: files the downloader adds, changes or
// removes show in the window, keeping what the user sees,
// and never overwrite what the user is typing.

#include "library/LibraryScan.h"
#include "library/LibraryWatcher.h"
#include "library/SongNames.h"
#include "mainwindow/MainWindowFixture.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
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

// The library's own rules: the tree's order, the snapshot, the counts.
void checkTreeInvariants(const frmMain &form)
{
    QVERIFY2(form.libraryProblem().isEmpty(), qPrintable(form.libraryProblem()));
}

// The panel shows the tree's current node, a song the search hides, or nothing; commands
// are there for a song only; typed text is in the box, on disk, or was asked about.
void checkWhatTheUserSees(Window &w, const QString &typed, const QString &typedPath, qsizetype messages)
{
    checkTreeInvariants(*w.form);
    const AppState &s = w.state;
    const QString key = s.SelectedPath.mid(s.CachePath.size()), heading = w.label(u"LblSong"_s);
    const LibraryNode *current = w.current();
    QVERIFY(s.LyricsCount >= 0 && s.TimestampsCount >= 0 && !w.label(u"lblCount"_s).contains(u'-'));
    for (int b : {frmMain::Edit, frmMain::Delete, frmMain::MarkRedownload, frmMain::SearchKaraoke})
        QCOMPARE(w.enabled(b), !key.isEmpty());
    const QString file = key.isEmpty() ? QString() : decodeText(LibraryBuilder::bytes(s.SelectedPath)).replace(u"\r\n"_s, u"\n"_s);
    const QString box = w.lyrics()->toPlainText();
    QVERIFY(key.isEmpty() ? (current ? heading == u" "_s + current->Text : heading.isEmpty() || !w.node(artistKey(heading.mid(1))))
                          : (current ? current->Key == key : !w.node(key)) && heading == u" "_s + s.SelectedArtist + u" - "_s + s.SelectedSong
                                && (!w.lyrics()->isReadOnly() || w.child<QWidget>(u"picDiskChange"_s)->isVisible() || box == file || box + u'\n' == file));
    const bool asked = std::any_of(w.platform.messages.cbegin() + messages, w.platform.messages.cend(),
                                   [](const auto &m) { return m.text.startsWith(u"Save the changes to "_s); });
    QVERIFY(typed.isEmpty() || asked || box == typed || LibraryBuilder::bytes(typedPath) == typed.toLatin1() + "\r\n");
}

} // namespace

class TestLiveLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // At start-up the folders are watched before the scan read ahead is
    // taken: a song written in between still comes into the tree, as
    // taking the scan does not set the watches anew (which forgot it).
    void aSongWrittenBeforeTheScanIsTakenComes()
    {
        Window w;
        LibraryChecks::setEnabled(true);
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.state.CachePath = w.lib.cachePath();
        w.form = std::make_unique<frmMain>(w.state, w.platform, w.lists);
        ScanAhead ahead(w.lib.cachePath());
        ahead.wait();
        w.form->followDisk();
        w.lib.song(u"A"_s, u"Able - Late.txt"_s).song(u"C"_s, u"Crane - New.txt"_s);
        w.form->ScanLibrary(&ahead);
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        QVERIFY(!w.node(u"A/Able - Late.txt"_s));
        QTRY_VERIFY_WITH_TIMEOUT(w.node(u"A/Able - Late.txt"_s) && w.node(u"C/Crane - New.txt"_s), kTold);
        QCOMPARE(w.label(u"lblCount"_s), u"3 lyrics\n0 timestamps"_s);
        checkTreeInvariants(*w.form);
    }

    void newFilesShowKeepingTheView()
    {
        Following f;
        f.open();
        Window &w = f.w;
        w.click(u"A/Able - Two.txt"_s);
        w.clickArrow(u"bee"_s);
        w.typeSearch(u"e"_s); // every artist has an "e"
        QCOMPARE(w.label(u"lblSearchResults"_s), u"{2 artists} {3 songs}"_s);

        w.lib.song(u"A"_s, u"Able - Eleven.txt"_s).song(u"Z"_s, u"Zed - Evening.txt"_s, "x", true);
        QTRY_VERIFY_WITH_TIMEOUT(w.node(u"Z/Zed - Evening.txt"_s), kTold);
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

        // That save, told while the user types again, is no change from outside.
        QSignalSpy told(w.form->findChild<LibraryWatcher *>(), &LibraryWatcher::fileChanged);
        w.press(frmMain::Edit);
        w.typeLyrics(u"typed again"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty() && f.bar()->isHidden(), kTold);
        LibraryBuilder(w.lib.cachePath()).file(u"A/Able - One.txt"_s, "newer on disk\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(f.bar()->isVisible(), kTold);
        QTest::mouseClick(w.child<QPushButton>(u"cmdReload"_s), Qt::LeftButton);
        QVERIFY(f.bar()->isHidden());
        QCOMPARE(w.lyrics()->toPlainText(), u"newer on disk\n"_s);
        QVERIFY(w.lyrics()->isReadOnly());
        QVERIFY(!w.pressed(frmMain::Edit));
    }

    void aSongRenamedOnDiskStaysOnDisplay()
    {
        Following f;
        f.open();
        Window &w = f.w;
        w.click(u"A/Able - One.txt"_s);
        // Renamed while shown, then while typed in: it stays, and is saved under its new name.
        for (const QString &key : {u"B/Bee - Won.txt"_s, u"B/Bee - Typed.txt"_s}) {
            QVERIFY(QFile::rename(w.state.SelectedPath, f.path(key)));
            QTRY_VERIFY_WITH_TIMEOUT(w.node(key) && !w.form->findChild<LibraryWatcher *>()->isSettling(), kTold);
            QVERIFY(w.label(u"LblSong"_s) == u" "_s + key.mid(2).chopped(4) && w.current() == w.node(key)
                    && w.lyrics()->toPlainText() == (key.contains(u"Typed"_s) ? u"keep this"_s : u"one\n"_s));
            w.press(frmMain::Edit);
            w.typeLyrics(u"keep this"_s);
        }
        w.press(frmMain::Edit);
        QCOMPARE(LibraryBuilder::bytes(f.path(u"B/Bee - Typed.txt"_s)), "keep this\r\n");
    }

    // Clicks, Delete, Ctrl+Z, Edit and typing, searches, F5, and files that
    // come, go and are renamed from outside, in an order each seed repeats.
    void aUserAtRandom()
    {
        for (quint32 seed = 1; seed <= 3 && !QTest::currentTestFailed(); ++seed) {
            QRandomGenerator random(seed);
            auto name = [&] {
                const QString artist = QStringList{u"Able"_s, u"Bee"_s, u"Cello"_s}[random.bounded(3)];
                return artist.left(1) + u'/' + artist + u" - Song "_s + QString::number(random.bounded(20)) + u".txt"_s;
            };
            Window w;
            for (int i = 0; i < 8; ++i)
                w.lib.file(name(), "words\r\n");
            w.open();
            w.form->followDisk();
            for (int step = 0; step < 60 && !QTest::currentTestFailed(); ++step) {
                const QString typedPath = w.state.SelectedPath, typed = w.lyrics()->document()->isModified() ? w.lyrics()->toPlainText() : QString();
                const qsizetype messages = w.platform.messages.size();
                w.platform.answers = {MessageAnswer(int(MessageAnswer::Save) + int(random.bounded(3)))};
                const QDir folder(w.lib.cachePath() + u"ABC"_s.at(random.bounded(3)));
                const QStringList files = folder.entryList({u"*.txt"_s});
                const int action = int(random.bounded(10)), nodes = w.form->libraryTree().count();
                if (action < 2 && nodes > 0)
                    w.click(w.form->libraryTree().node(1 + int(random.bounded(nodes)))->Key);
                else if (action == 2)
                    w.press(frmMain::Delete);
                else if (action == 3 || action == 4)
                    w.treeKey(action == 3 ? Qt::Key_Z : Qt::Key_F5, action == 3 ? Qt::ControlModifier : Qt::NoModifier);
                else if (action < 7) // into edit mode and typing, or out of it and saving
                    (w.press(frmMain::Edit), w.pressed(frmMain::Edit)) ? w.typeLyrics(u"typed %1"_s.arg(step)) : void();
                else if (action == 7)
                    w.typeSearch(random.bounded(2) ? QString() : u"aeo"_s.mid(random.bounded(3), 1));
                else if (action == 8 || files.isEmpty())
                    w.lib.file(name(), "new\r\n");
                else if (const QString some = folder.filePath(files[random.bounded(files.size())]); random.bounded(2))
                    QFile::remove(some);
                else
                    QFile::rename(some, w.lib.cachePath() + name());
                // The window takes in what happened on disk, its own writes included.
                QCoreApplication::processEvents();
                QTRY_VERIFY(!w.form->findChild<LibraryWatcher *>()->isSettling());
                checkWhatTheUserSees(w, typed, typedPath, messages);
                QVERIFY2(!QTest::currentTestFailed(), qPrintable(u"seed %1, step %2, action %3"_s.arg(seed).arg(step).arg(action)));
            }
        }
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
        QVERIFY(f.bar()->isHidden());
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
