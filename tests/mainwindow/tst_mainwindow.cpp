#include "app/AppState.h"
#include "library/FilterMarkCheck.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "widgets/LibraryTreeModel.h"
#include "lists/ListsModel.h"
#include "widgets/LibraryTreeView.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/MainWindowFixture.h"
#include "text/Cp1252.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kWithSource = LibraryBuilder::crlf({u"Line one"_s, u""_s,
                                                     u"* Downloaded from: http://www.verses.example/k/night.html"_s});
const QByteArray kFiltered = LibraryBuilder::crlf({u"[Wordhive ] filter used"_s, u"Caf\u00e9 line"_s});

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controlsAreFoundByTheirNames()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.open();
        for (const QString &name : {u"lista"_s, u"lblCount"_s, u"txtSearch"_s, u"lyrics"_s, u"tlbMain"_s,
                                    u"LblSong"_s, u"picInfo"_s, u"lblInfoTitles"_s, u"lblArtist"_s,
                                    u"lblSong2"_s, u"lblKaraoke"_s, u"lblWebsite"_s, u"lblBrowser"_s,
                                    u"lblFilter"_s, u"picSplit"_s, u"frmKaraoke"_s, u"lblSearchResults"_s})
            QVERIFY2(w.form->findChild<QWidget *>(name), qPrintable(name));
        const QStringList keys = {u"Edit"_s, u"Delete"_s, u"MarkRedownload"_s, u"Lists"_s, u"OpenInBrowser"_s,
                                  u"VisitSite"_s, u"SearchKaraoke"_s, u"JoinLyrics"_s, u"Help"_s};
        for (int i = 0; i < keys.size(); ++i) {
            QCOMPARE(w.form->toolbarButton(i + 1)->objectName(), keys[i]);
            QVERIFY2(w.form->findChild<QToolButton *>(keys[i]), qPrintable(keys[i]));
        }
        QCOMPARE(w.form->windowTitle(), u"Wordhive Stanzabox"_s);
        // Enabled at start: Lists, JoinLyrics and Help only.
        for (int b = 1; b <= 9; ++b)
            QCOMPARE(w.enabled(b), b == 4 || b == 8 || b == 9);
    }

    void scanShowsCounts()
    {
        Window w;
        w.lib.song(u"B"_s, u"Band - One.txt"_s, "x", true)
            .song(u"B"_s, u"Band - Two.txt"_s)
            .song(u"C"_s, u"Choir - Three.txt"_s, "x", true);
        w.open();
        QCOMPARE(w.label(u"lblCount"_s), u"3 lyrics\n2 timestamps"_s);
        QCOMPARE(w.state.LyricsCount, 3);
        QCOMPARE(w.state.TimestampsCount, 2);
        QCOMPARE(int(w.state.TreeSnapshot.size()), 5);
        QVERIFY(w.child<QLineEdit>(u"txtSearch"_s)->isEnabled());
        QVERIFY(w.enabled(frmMain::JoinLyrics));
        // Queued events run once, before the snapshot.
        QCOMPARE(w.platform.pendingEventRuns, 1);
    }

    void emptyLibraryDisablesSearchAndJoin()
    {
        Window w;
        w.lib.folder(u"A"_s);
        w.open();
        QCOMPARE(w.label(u"lblCount"_s), u"0 lyrics\n0 timestamps"_s);
        QVERIFY(!w.child<QLineEdit>(u"txtSearch"_s)->isEnabled());
        QVERIFY(!w.enabled(frmMain::JoinLyrics));
        QVERIFY(w.state.TreeSnapshot.empty());
    }

    void missingLibraryChangesNothing()
    {
        Window w;
        w.state.CachePath = w.dir.path() + u"/nowhere/"_s;
        w.form = std::make_unique<frmMain>(w.state, w.platform, w.lists);
        w.form->ScanLibrary();
        QCOMPARE(w.label(u"lblCount"_s), QString());
        QVERIFY(w.child<QLineEdit>(u"txtSearch"_s)->isEnabled());
        QVERIFY(w.enabled(frmMain::JoinLyrics));
        QCOMPARE(w.platform.pendingEventRuns, 0);
    }

    void anEmptyTreeSaysWhy_data()
    {
        QTest::addColumn<QString>("install");
        QTest::addColumn<QString>("cache");
        QTest::addColumn<QString>("notice");
        QTest::newRow("no downloader") << QString() << QString()
                                       << u"No Wordhive downloader found in /home/user/.wine"_s;
        QTest::newRow("no lyrics folder") << u"/opt/Wordhive"_s << u"@/nowhere/"_s
                                          << u"The Wordhive lyrics folder was not found: @/nowhere/"_s;
        QTest::newRow("no lyrics yet") << u"/opt/Wordhive"_s << u"@/lyrics/"_s << u"No lyrics in @/lyrics/ yet."_s;
    }

    void anEmptyTreeSaysWhy()
    {
        QFETCH(QString, install);
        QFETCH(QString, cache);
        QFETCH(QString, notice);
        Window w;
        w.lib.folder(u"A"_s);
        w.state.InstallPath = install;
        w.state.CachePath = cache.replace(u'@', w.dir.path());
        w.withoutLibrary = cache.isEmpty();
        w.open();
        QCOMPARE(w.tree()->notice(), notice.replace(u'@', w.dir.path()));
        QCOMPARE(w.lyrics()->placeholderText(), u"Select a song to see its lyrics"_s);
    }

    void anotherCacheFolderCanBeChosen_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("the notice's button") << false;
        QTest::newRow("Ctrl+O") << true;
    }

    void anotherCacheFolderCanBeChosen()
    {
        QFETCH(bool, byKey);
        Window w;
        const QString copied = w.dir.filePath(u"copy/lyrics"_s);
        LibraryBuilder(copied).song(u"K"_s, u"Kestrel Road - Live.txt"_s, "la", true)
            .song(u"K"_s, u"Kestrel Road - Dawn.txt"_s);
        w.withoutLibrary = true;
        w.open();
        QVERIFY(!w.search()->isEnabled() || w.form->libraryTree().count() == 0);
        auto *button = w.child<QToolButton>(u"cmdChooseCacheFolder"_s);
        QVERIFY(button->isVisible());
        QCOMPARE(button->text(), u"Choose cache folder\u2026"_s);

        // Cancelled: nothing changes.
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(w.form->libraryTree().count(), 0);
        QVERIFY(!w.platform.settings.contains(u"Vesk/Config/CacheFolder"_s));

        w.platform.chosenFolder = copied;
        if (byKey)
            QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier);
        else
            QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(w.form->libraryTree().count(), 3);
        QCOMPARE(w.tree()->notice(), QString());
        QCOMPARE(w.label(u"lblCount"_s), u"2 lyrics\n1 timestamps"_s);
        QCOMPARE(w.platform.settings.value(u"Vesk/Config/CacheFolder"_s), copied);
        QVERIFY(w.search()->isEnabled());
        QVERIFY(w.enabled(frmMain::JoinLyrics));
        // Joined files go beside the chosen folder.
        QCOMPARE(w.state.InstallPath, w.dir.filePath(u"copy"_s));
        w.click(u"K/Kestrel Road - Dawn.txt"_s);
        QCOMPARE(w.label(u"LblSong"_s), u" Kestrel Road - Dawn"_s);
    }

    void theLyricsBoxHintsUntilASongIsShown()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - Empty.txt"_s, QByteArray());
        w.open();
        QCOMPARE(w.tree()->notice(), QString());
        QCOMPARE(w.lyrics()->placeholderText(), u"Select a song to see its lyrics"_s);
        // A song's empty file shows as empty, not as the hint.
        w.click(u"A/Able - Empty.txt"_s);
        QCOMPARE(w.lyrics()->placeholderText(), QString());
        w.click(u"able"_s);
        QCOMPARE(w.lyrics()->placeholderText(), u"Select a song to see its lyrics"_s);
    }

    void songClickShowsTheSong_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("kas");
        QTest::addColumn<QString>("karaoke");
        QTest::addColumn<QString>("website");
        QTest::addColumn<QString>("browser");
        QTest::addColumn<QString>("filter");
        QTest::newRow("source line")
            << kWithSource << false << u"No timestamps found. Download or create them yourself"_s
            << u"www.verses.example"_s << u"http://www.verses.example/k/night.html"_s << u"Not Used"_s;
        QTest::newRow("filtered, with timestamps")
            << kFiltered << true << u"Timestamps found"_s << u"No page information found"_s
            << u"No page information found"_s << u"Used"_s;
        QTest::newRow("empty file") << QByteArray() << false
                                    << u"No timestamps found. Download or create them yourself"_s
                                    << u"No page information found"_s << u"No page information found"_s
                                    << u"Not Used"_s;
    }

    void songClickShowsTheSong()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, kas);
        QFETCH(QString, karaoke);
        QFETCH(QString, website);
        QFETCH(QString, browser);
        QFETCH(QString, filter);
        Window w;
        w.lib.song(u"K"_s, u"Kestrel Road - Night Bus.txt"_s, content, kas);
        w.open();
        w.click(u"K/Kestrel Road - Night Bus.txt"_s);

        QCOMPARE(w.label(u"LblSong"_s), u" Kestrel Road - Night Bus"_s);
        QCOMPARE(w.label(u"lblInfoTitles"_s),
                 u"Artist:\nSong:\nKaraoke:\nWebsite:\nDownloaded from:\nFilter:"_s);
        QCOMPARE(w.label(u"lblArtist"_s), u"Kestrel Road"_s);
        QCOMPARE(w.label(u"lblSong2"_s), u"Night Bus"_s);
        QCOMPARE(w.label(u"lblKaraoke"_s), karaoke);
        QCOMPARE(w.label(u"lblWebsite"_s), website);
        QCOMPARE(w.label(u"lblBrowser"_s), browser);
        QCOMPARE(w.label(u"lblFilter"_s), filter);
        QString shown = Cp1252::decode(content);
        QCOMPARE(w.child<QPlainTextEdit>(u"lyrics"_s)->toPlainText(), shown.replace(u"\r\n"_s, u"\n"_s));
        QVERIFY(w.child<QPlainTextEdit>(u"lyrics"_s)->isReadOnly());
        const bool hasSource = browser.startsWith(u"http"_s);
        QCOMPARE(w.enabled(frmMain::OpenInBrowser), hasSource);
        QCOMPARE(w.enabled(frmMain::VisitSite), hasSource);
        for (int b : {frmMain::Edit, frmMain::Delete, frmMain::MarkRedownload, frmMain::SearchKaraoke})
            QVERIFY(w.enabled(b));
        QVERIFY(w.platform.messages.isEmpty());
    }

    void songWithoutSourceKeepsThePreviousPage()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - Sourced.txt"_s, kWithSource).song(u"A"_s, u"Able - Plain.txt"_s, "la\r\n");
        w.open();
        w.click(u"A/Able - Sourced.txt"_s);
        w.click(u"A/Able - Plain.txt"_s);
        QCOMPARE(w.state.PageUrl, u"http://www.verses.example/k/night.html"_s);
        QCOMPARE(w.state.SiteName, u"www.verses.example"_s);
        QVERIFY(!w.enabled(frmMain::OpenInBrowser));
        QVERIFY(!w.enabled(frmMain::VisitSite));
    }

    void vanishedFileIsReported()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - Gone.txt"_s, kWithSource);
        w.open();
        QVERIFY(QFile::remove(w.lib.cachePath() + u"A/Able - Gone.txt"_s));
        w.click(u"A/Able - Gone.txt"_s);
        QCOMPARE(w.platform.messages.size(), 1);
        QCOMPARE(w.platform.messages[0].text, u"File wasn't found"_s);
        QCOMPARE(w.platform.messages[0].title, u"Wordhive Stanzabox"_s);
        QCOMPARE(w.platform.messages[0].icon, MessageIcon::Stop);
        QCOMPARE(w.child<QPlainTextEdit>(u"lyrics"_s)->toPlainText(), QString());
        QCOMPARE(w.label(u"lblArtist"_s), u"Able"_s);
        QCOMPARE(w.label(u"lblWebsite"_s), u"No page information found"_s);
        QCOMPARE(w.label(u"lblFilter"_s), u"Not Used"_s);
        QVERIFY(!w.enabled(frmMain::OpenInBrowser));
    }

    void artistClickClearsTheSong()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kWithSource).song(u"A"_s, u"Able - Two.txt"_s);
        w.open();
        w.click(u"A/Able - One.txt"_s);
        w.click(u"able"_s);
        QCOMPARE(w.label(u"LblSong"_s), u" Able"_s);
        QCOMPARE(w.label(u"lblInfoTitles"_s), u" 2 lyrics avaliable"_s);
        for (const QString &name : {u"lblArtist"_s, u"lblSong2"_s, u"lblKaraoke"_s, u"lblWebsite"_s,
                                    u"lblBrowser"_s, u"lblFilter"_s})
            QCOMPARE(w.label(name), QString());
        QVERIFY(w.state.SelectedPath.isEmpty());
        QCOMPARE(w.state.SelectedSong, u"One"_s);
        QCOMPARE(w.child<QPlainTextEdit>(u"lyrics"_s)->toPlainText(), QString());
        for (int b : {frmMain::Edit, frmMain::Delete, frmMain::MarkRedownload, frmMain::OpenInBrowser,
                      frmMain::VisitSite, frmMain::SearchKaraoke})
            QVERIFY(!w.enabled(b));
        QVERIFY(w.enabled(frmMain::Lists));
    }

    void redownloadEntryPressesTheButton()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.lists.setEntries(ListsModel::Which::Redownload,
                           {u"Able - One"_s, u"able - one"_s, u"Able - One"_s, u"Other - Song"_s});
        w.open();
        QSignalSpy matched(w.form.get(), &frmMain::redownloadEntryMatched);
        w.click(u"A/Able - One.txt"_s);
        QVERIFY(w.form->toolbarButton(frmMain::MarkRedownload)->isChecked());
        QCOMPARE(matched.size(), 1);
        QCOMPARE(matched[0][0].toInt(), 2); // the last equal entry

        w.lists.setEntries(ListsModel::Which::Redownload, {u"ABLE - ONE"_s});
        w.click(u"A/Able - One.txt"_s);
        QVERIFY(!w.form->toolbarButton(frmMain::MarkRedownload)->isChecked());
    }

    void expansionMarksUnfilteredSongsOnce()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - Filtered.txt"_s, kFiltered)
            .song(u"A"_s, u"Able - Plain.txt"_s, "la\r\n")
            .song(u"A"_s, u"Able - Timed.txt"_s, "la\r\n", true)
            .song(u"B"_s, u"Bee - Other.txt"_s, "la\r\n")
            .song(u"T"_s, u"ABLE - Late.txt"_s, "la\r\n");
        w.open();
        QFile::remove(w.lib.cachePath() + u"A/Able - Filtered.txt"_s);
        w.lib.song(u"A"_s, u"Able - Filtered.txt"_s, kFiltered);
        w.clickArrow(u"able"_s);
        QCOMPARE(w.node(u"A/Able - Filtered.txt"_s)->Image, NodeImage::Song);
        QCOMPARE(w.node(u"A/Able - Plain.txt"_s)->Image, NodeImage::UnfilteredSong);
        QCOMPARE(w.node(u"A/Able - Timed.txt"_s)->Image, NodeImage::SongWithTimestamps);
        // A song of the artist that stands after another artist is still its song.
        QCOMPARE(w.node(u"T/ABLE - Late.txt"_s)->Image, NodeImage::UnfilteredSong);
        QCOMPARE(w.node(u"B/Bee - Other.txt"_s)->Image, NodeImage::Song);

        // The second expansion reads nothing: a new unfiltered text is not seen.
        w.form->libraryTree().setImage(w.node(u"A/Able - Plain.txt"_s), NodeImage::Song);
        w.clickArrow(u"able"_s); // closed
        QVERIFY(!w.tree()->isExpanded(w.index(u"able"_s)));
        w.clickArrow(u"able"_s);
        QVERIFY(w.tree()->isExpanded(w.index(u"able"_s)));
        QCOMPARE(w.node(u"A/Able - Plain.txt"_s)->Image, NodeImage::Song);
    }

    void aScanAheadOfAnotherFolderIsNotShown()
    {
        // The start-up reads the folder it expects ahead; when the cache
        // folder turns out to be another, that one is read.
        QTemporaryDir elsewhere;
        LibraryBuilder other(elsewhere.path());
        other.song(u"O"_s, u"Other - Song.txt"_s);
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"B"_s, u"Bee - Two.txt"_s);
        w.state.CachePath = w.lib.cachePath();
        w.form = std::make_unique<frmMain>(w.state, w.platform, w.lists);
        ScanAhead ahead(other.cachePath());
        w.form->ScanLibrary(&ahead);
        QVERIFY(w.node(u"A/Able - One.txt"_s) && w.node(u"B/Bee - Two.txt"_s));
        QVERIFY(!w.node(u"O/Other - Song.txt"_s));
        QCOMPARE(w.state.LyricsCount, 2);

        // Ahead of the right folder, its nodes are the tree's.
        Window same;
        same.lib.song(u"A"_s, u"Able - One.txt"_s, "la\r\n", true);
        same.state.CachePath = same.lib.cachePath();
        same.form = std::make_unique<frmMain>(same.state, same.platform, same.lists);
        ScanAhead right(same.lib.cachePath());
        same.form->ScanLibrary(&right);
        QCOMPARE(same.form->libraryTree().count(), 2);
        QCOMPARE(same.node(u"A/Able - One.txt"_s)->Image, NodeImage::SongWithTimestamps);
        QCOMPARE(same.label(u"lblCount"_s), u"1 lyrics\n1 timestamps"_s);
        QCOMPARE(int(same.state.TreeSnapshot.size()), 2);
    }

    void aLargeArtistOpensAtOnceAndItsPicturesFollow()
    {
        Window w;
        QStringList unfiltered;
        for (int i = 0; i < 200; ++i) {
            const QString name = u"Many - Song %1.txt"_s.arg(i, 3, 10, QLatin1Char('0'));
            w.lib.song(u"M"_s, name, i % 2 ? kFiltered : QByteArray("la\r\n"), i % 7 == 0);
            if (i % 2 == 0 && i % 7 != 0)
                unfiltered << u"M/"_s + name;
        }
        w.open();
        // As when reading the files takes long: all of it on the worker.
        auto *check = w.form->findChild<FilterMarkCheck *>();
        QVERIFY(check);
        check->setForegroundBudget(std::chrono::nanoseconds(0));
        auto grey = [&] {
            QStringList keys;
            for (const LibraryNode *song : w.node(u"many"_s)->Children)
                if (song->Image == NodeImage::UnfilteredSong)
                    keys << song->Key;
            return keys;
        };

        w.clickArrow(u"many"_s);
        QVERIFY(w.tree()->isExpanded(w.index(u"many"_s)));
        QTRY_COMPARE(grey(), unfiltered);

        // F5 while the files are read: the new tree starts over, and the
        // answers about the old one go nowhere.
        w.treeKey(Qt::Key_F5);
        w.clickArrow(u"many"_s);
        w.treeKey(Qt::Key_F5);
        QTRY_VERIFY(!check->busy());
        QCoreApplication::processEvents();
        QVERIFY(grey().isEmpty());
        w.clickArrow(u"many"_s);
        QTRY_COMPARE(grey(), unfiltered);
    }

    void unreadableSongKeepsItsPictureOnExpansion()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - Gone.txt"_s, "la\r\n").song(u"A"_s, u"Able - Plain.txt"_s, "la\r\n");
        w.open();
        QFile::remove(w.lib.cachePath() + u"A/Able - Gone.txt"_s);
        w.clickArrow(u"able"_s);
        QCOMPARE(w.node(u"A/Able - Gone.txt"_s)->Image, NodeImage::Song);
        QCOMPARE(w.node(u"A/Able - Plain.txt"_s)->Image, NodeImage::UnfilteredSong);
    }

    void checkingAnArtistChecksItsSongs()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"B"_s, u"Bee - X.txt"_s).song(u"T"_s, u"Able - Two.txt"_s);
        w.open();
        w.press(frmMain::JoinLyrics);
        LibraryNode *able = w.node(u"able"_s);
        w.tick(u"able"_s);
        QVERIFY(able->Checked);
        QVERIFY(w.node(u"A/Able - One.txt"_s)->Checked);
        QVERIFY(w.node(u"T/Able - Two.txt"_s)->Checked);
        QVERIFY(!w.node(u"B/Bee - X.txt"_s)->Checked);
        // Checking a song leaves its artist as it is.
        w.tick(u"able"_s);
        QVERIFY(!w.node(u"A/Able - One.txt"_s)->Checked);
        w.tick(u"A/Able - One.txt"_s);
        QVERIFY(w.node(u"A/Able - One.txt"_s)->Checked);
        QVERIFY(!able->Checked);
    }

    void f5Rescans()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.open();
        w.click(u"A/Able - One.txt"_s);
        w.lib.song(u"Z"_s, u"Zed - New.txt"_s, "x", true);
        auto *tree = w.tree();
        w.treeKey(Qt::Key_F5);
        // Not a click: the song on display stays, with its commands, and is the current row again.
        QCOMPARE(w.current(), w.node(u"A/Able - One.txt"_s));
        QCOMPARE(w.label(u"LblSong"_s), u" Able - One"_s);
        QVERIFY(w.enabled(frmMain::Delete));
        QCOMPARE(w.state.SelectedPath, w.lib.cachePath() + u"A/Able - One.txt"_s);
        QCOMPARE(w.form->libraryTree().count(), 4);
        QCOMPARE(w.label(u"lblCount"_s), u"2 lyrics\n1 timestamps"_s);
        QCOMPARE(int(w.state.TreeSnapshot.size()), 4);
        QTest::keyClick(tree, Qt::Key_F4);
        QCOMPARE(w.form->libraryTree().count(), 4);
    }

    void geometryFollowsResizeAndDrag()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.open();
        w.form->resize(900, 600);
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        auto *split = w.child<QWidget>(u"picSplit"_s);
        auto *tree = w.child<QWidget>(u"lista"_s);
        auto *text = w.child<QWidget>(u"lyrics"_s);
        auto *search = w.child<QWidget>(u"txtSearch"_s);
        auto *searchLabel = w.child<QWidget>(u"lblSearch"_s);
        // Designed splitter at 3240 twips = 216 px; tree from 8 px, 97 px down.
        QCOMPARE(split->geometry(), QRect(216, 0, 9, 600));
        QCOMPARE(tree->geometry(), QRect(8, 97, 208, 600 - 97 - 7));
        QCOMPARE(text->geometry(), QRect(225, 184, 900 - 225 - 7, 600 - 184 - 7));
        QCOMPARE(search->width(), 208 - searchLabel->width() - 3);
        QCOMPARE(w.child<QWidget>(u"LblSong"_s)->geometry(), QRect(225, 8, 668, 25));

        // Drag the bar 60 px right, in two moves, keeping the grabbed point.
        auto mouse = [&](QEvent::Type type, QPointF local, Qt::MouseButtons buttons) {
            QMouseEvent event(type, local, split->mapToGlobal(local), Qt::LeftButton, buttons, {});
            QApplication::sendEvent(split, &event);
        };
        mouse(QEvent::MouseButtonPress, {4, 300}, Qt::LeftButton);
        mouse(QEvent::MouseMove, {34, 300}, Qt::LeftButton);
        QCOMPARE(split->x(), 246);
        mouse(QEvent::MouseMove, {34, 300}, Qt::LeftButton); // split moved under the pointer
        QCOMPARE(split->x(), 276);
        mouse(QEvent::MouseButtonRelease, {4, 300}, Qt::NoButton);
        QCOMPARE(tree->width(), 276 - 8);
        QCOMPARE(text->geometry(), QRect(285, 184, 900 - 285 - 7, 600 - 184 - 7));
        // After the release, moves do nothing.
        mouse(QEvent::MouseMove, {80, 300}, Qt::NoButton);
        QCOMPARE(split->x(), 276);

        // Past 90 % the bar stays at its last place inside the range.
        mouse(QEvent::MouseButtonPress, {4, 300}, Qt::LeftButton);
        mouse(QEvent::MouseMove, {4 + 500, 300}, Qt::LeftButton);
        QCOMPARE(split->x(), 776);
        mouse(QEvent::MouseMove, {4 + 100, 300}, Qt::LeftButton); // 876 > 810
        QCOMPARE(split->x(), 776);
        mouse(QEvent::MouseButtonRelease, {4, 300}, Qt::NoButton);

        // A narrower window keeps the left column; the right one shrinks.
        w.form->resize(850, 500);
        QCOMPARE(split->geometry(), QRect(776, 0, 9, 500));
        QCOMPARE(tree->geometry(), QRect(8, 97, 768, 500 - 97 - 7));
        QCOMPARE(text->height(), 500 - 184 - 7);
    }

    void nodeLabelsCannotBeEdited()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.open();
        auto *tree = w.child<LibraryTreeView>(u"lista"_s);
        const QModelIndex able = w.form->libraryModel().indexOf(w.node(u"able"_s));
        const QPoint center = tree->visualRect(able).center();
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, center);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, center);
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, center);
        QTest::keyClick(tree, Qt::Key_F2);
        QVERIFY(!tree->isPersistentEditorOpen(able));
        QVERIFY(!tree->findChild<QLineEdit *>());
        QCOMPARE(w.node(u"able"_s)->Text, u"Able"_s);
    }

    void mouseClickTogglesAnArtistKeyboardDoesNot()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"B"_s, u"Bee - Two.txt"_s);
        w.open();
        auto *tree = w.child<LibraryTreeView>(u"lista"_s);
        const QModelIndex able = w.form->libraryModel().indexOf(w.node(u"able"_s));
        const QModelIndex bee = w.form->libraryModel().indexOf(w.node(u"bee"_s));

        const QPoint center = tree->visualRect(able).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, center);
        QVERIFY(tree->isExpanded(able));
        QCOMPARE(w.label(u"LblSong"_s), u" Able"_s);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, center);
        QVERIFY(!tree->isExpanded(able));

        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(tree->currentIndex(), bee);
        QCOMPARE(w.label(u"LblSong"_s), u" Bee"_s);
        QVERIFY(!tree->isExpanded(bee));

        // The expand arrow of the current artist opens it once; it is not a click on the node.
        const QRect row = tree->visualRect(bee);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          QPoint(row.left() - tree->indentation() / 2, row.center().y()));
        QVERIFY(tree->isExpanded(bee));
    }

};

int runMainWindowTests(int argc, char **argv)
{
    TestMainWindow tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_mainwindow.moc"
