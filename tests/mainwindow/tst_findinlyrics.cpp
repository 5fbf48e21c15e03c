// "Find in lyrics" in the main window: opened by its key and by its button in
// the search box, a song found by a line of its text opened through the
// tree's click, the line shown; the index following Edit and Delete.

#include "library/FilterMarkCheck.h"
#include "library/LibraryScan.h"
#include "lyricsindex/LyricsEngine.h"
#include "lyricsindex/LyricsFixture.h"
#include "lyricssearch/LyricsSearchPanel.h"
#include "mainwindow/MainWindowFixture.h"

#include <QDir>
#include <QListView>
#include <QTextBlock>

#include <sched.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kNightBus = LibraryBuilder::crlf({u"Stop by the bakery"_s, u"Night bus rolling down the avenue"_s,
                                                   u"Yellow windows and a seat for two"_s,
                                                   u"* Downloaded from: http://www.verses.example/bus.html"_s});

// A window with its lyrics index built over the fixture library.
struct Finding
{
    Window w;
    QTemporaryDir indexes;
    std::unique_ptr<LyricsEngine> engine;

    void open()
    {
        w.lib.song(u"K"_s, u"Kestrel Road - Night Bus.txt"_s, kNightBus)
            .song(u"K"_s, u"Kestrel Road - Dawn.txt"_s, "Morning comes\r\n")
            .song(u"A"_s, u"Aurora Vale - Quiet.txt"_s, "Nothing here\r\n");
        w.open();
        engine = std::make_unique<LyricsEngine>(indexes.path());
        bool synced = false;
        syncAndWait(*engine, [&] { engine->setCachePath(w.state.CachePath); }, &synced);
        if (!synced)
            qFatal("the lyrics index was not built");
        w.form->setLyricsEngine(*engine);
    }
    LyricsSearchPanel *panel() const { return w.form->findChild<LyricsSearchPanel *>(); }
    // The panel, its field focused, through the key that opens it.
    void openFinder() { QTest::keyClick(w.form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier); }
    QLineEdit *field() const { return panel()->findField(); }
    QListView *matches() const { return panel()->matchesView(); }
};

// How the threads of this process named name are scheduled.
QList<int> policiesOf(const QByteArray &name)
{
    QList<int> policies;
    for (const QString &task : QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(u"/proc/self/task/%1/comm"_s.arg(task));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            policies << sched_getscheduler(task.toInt());
    }
    return policies;
}

} // namespace

class TestFindInLyrics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aLineFindsItsSong_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QString>("nameFilter");
        QTest::newRow("Ctrl+Shift+F") << true << QString();
        QTest::newRow("the button in the search box") << false << QString();
        QTest::newRow("a name filter hides the song") << true << u"aurora"_s;
    }

    void aLineFindsItsSong()
    {
        QFETCH(bool, byKey);
        QFETCH(QString, nameFilter);
        Finding f;
        f.open();
        Window &w = f.w;
        const QRect designedTree = w.tree()->geometry();
        if (!nameFilter.isEmpty())
            w.typeSearch(nameFilter);
        QVERIFY(f.panel()->isHidden());

        if (byKey) {
            QTest::keyClick(w.form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        } else {
            QToolButton *magnifier = nullptr;
            for (QToolButton *b : w.search()->findChildren<QToolButton *>())
                magnifier = b->defaultAction() && b->defaultAction()->objectName() == u"FindInLyrics" ? b : magnifier;
            QVERIFY(magnifier && magnifier->isVisible());
            QTest::mouseClick(magnifier, Qt::LeftButton);
        }
        QVERIFY(f.panel()->isVisible());
        QCOMPARE(f.field()->accessibleName(), u"Find in lyrics"_s);
        QCOMPARE(f.matches()->accessibleName(), u"Lyrics matches"_s);
        QCOMPARE(QApplication::focusWidget(), f.field());
        // The tree gives the finder the top of its place.
        QVERIFY(w.tree()->geometry().top() > f.panel()->geometry().bottom());
        QVERIFY(qAbs(w.tree()->geometry().bottom() - designedTree.bottom()) <= 1); // twips rounded
        QCOMPARE(f.field()->text(), QString());

        // The words in any order, the last one a prefix; the source line is no lyrics.
        Window::type(f.field(), u"rolling night aven"_s);
        QTRY_COMPARE(f.panel()->countText(), u"1 song"_s);
        QVERIFY(f.matches()->model()->index(0, 0).data().toString().startsWith(u"Kestrel Road - Night Bus"_s));
        QTest::keyClick(f.field(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

        // Opened as a click opens it: selected in the tree, shown, at its line.
        QCOMPARE(w.search()->text(), QString());
        QCOMPARE(w.current(), w.node(u"K/Kestrel Road - Night Bus.txt"_s));
        QCOMPARE(w.label(u"LblSong"_s), u" Kestrel Road - Night Bus"_s);
        QVERIFY(w.enabled(frmMain::Delete));
        QCOMPARE(w.lyrics()->textCursor().block().text(), u"Night bus rolling down the avenue"_s);
        QCOMPARE(w.lyrics()->extraSelections().size(), 1);
        QCOMPARE(w.lyrics()->extraSelections()[0].cursor.block().blockNumber(), 1);

        // Another song's click takes the mark away; Escape clears, then closes.
        w.click(u"K/Kestrel Road - Dawn.txt"_s);
        QVERIFY(w.lyrics()->extraSelections().isEmpty());
        f.field()->setFocus();
        QTest::keyClick(f.field(), Qt::Key_Escape);
        QCOMPARE(f.field()->text(), QString());
        QTest::keyClick(f.field(), Qt::Key_Escape);
        QVERIFY(f.panel()->isHidden());
        QCOMPARE(w.tree()->geometry(), w.form->layoutTwips().lista.pixels());
    }

    void theIndexFollowsEditAndDelete()
    {
        Finding f;
        f.open();
        Window &w = f.w;
        w.click(u"K/Kestrel Road - Dawn.txt"_s);
        w.press(frmMain::Edit);
        w.typeLyrics(u"Morning comes\nwith a kettle of tea"_s);
        w.press(frmMain::Edit);
        QTest::keyClick(w.form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        Window::type(f.field(), u"kettle"_s);
        QTRY_COMPARE(f.panel()->countText(), u"1 song"_s);
        QVERIFY(f.matches()->model()->index(0, 0).data().toString().startsWith(u"Kestrel Road - Dawn"_s));

        // Deleted: gone from what the index finds.
        w.click(u"K/Kestrel Road - Dawn.txt"_s);
        w.press(frmMain::Delete);
        f.field()->clear();
        Window::type(f.field(), u"kettle"_s);
        QTRY_COMPARE(f.panel()->countText(), u"No song has these words"_s);
    }

    void openingAMatchAsksAboutTypedText()
    {
        Finding f;
        f.open();
        f.w.click(u"K/Kestrel Road - Dawn.txt"_s);
        f.w.press(frmMain::Edit);
        f.w.typeLyrics(u"typed"_s);
        f.w.platform.answers = {MessageAnswer::Cancel};
        QTest::keyClick(f.w.form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        Window::type(f.field(), u"rolling"_s);
        QTRY_COMPARE(f.panel()->countText(), u"1 song"_s);
        QTest::keyClick(f.field(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(f.w.platform.messages.value(0).text, u"Save the changes to Kestrel Road - Dawn?"_s);
        QVERIFY(f.w.label(u"LblSong"_s) == u" Kestrel Road - Dawn"_s && f.w.lyrics()->toPlainText() == u"typed"_s);
    }

    // The column is narrow: a long status line goes on below, whole.
    void aLongStatusLineIsShownWhole()
    {
        Finding f;
        f.open();
        f.openFinder();
        Window::type(f.field(), u"zebra"_s);
        // F5 starts a pass; Enter looks up at once, while it runs.
        f.w.treeKey(Qt::Key_F5);
        QTest::mouseClick(f.field(), Qt::LeftButton);
        QTest::keyClick(f.field(), Qt::Key_Return);
        QCOMPARE(f.panel()->countText(), u"No song has these words (still indexing: found in what is indexed so far)"_s);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        auto *line = f.panel()->findChild<QLabel *>(u"lblMatches"_s);
        const QRect room = line->contentsRect();
        const QRect needed = line->fontMetrics().boundingRect(QRect(0, 0, room.width(), 10000), Qt::TextWordWrap,
                                                                line->text());
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                 qPrintable(u"%1x%2 needed, %3x%4 given"_s.arg(needed.width()).arg(needed.height())
                                .arg(room.width()).arg(room.height())));
        QVERIFY(line->geometry().bottom() < f.matches()->geometry().top());
    }

    // A pass over the folder left behind (F5, then Ctrl+O at once) tells
    // nothing of the folder chosen: its index is the one searched.
    void anotherFolderChosenWhileAPassRuns()
    {
        Finding f;
        f.open();
        QTemporaryDir other;
        LibraryBuilder second(other.filePath(u"cache"_s));
        second.song(u"B"_s, u"Bravo - Echo.txt"_s, "Marigold fields\r\n");
        f.w.platform.chosenFolder = second.cachePath();
        QList<LyricsEngine::State> states;
        connect(f.engine.get(), &LyricsEngine::stateChanged, this, [&] { states << f.engine->state(); });
        f.w.treeKey(Qt::Key_F5);
        QTest::keyClick(f.w.form.get(), Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(f.engine->state(), LyricsEngine::State::Ready, 30000);
        QVERIFY(!states.contains(LyricsEngine::State::Unavailable));
        QCOMPARE(f.engine->indexFile(), LyricsIndex::fileFor(f.indexes.path(), second.cachePath()));
        f.openFinder();
        Window::type(f.field(), u"marigold"_s);
        QTRY_COMPARE(f.panel()->countText(), u"1 song"_s);
        f.field()->clear();
        Window::type(f.field(), u"avenue"_s);
        QTRY_COMPARE(f.panel()->countText(), u"No song has these words"_s);
    }

    // The index's worker, and the check of the songs of an artist opened,
    // wait for a processor nothing else wants.
    void workersRunAtIdlePriority()
    {
        Finding f;
        for (int i = 0; i < 300; ++i)
            f.w.lib.song(u"M"_s, u"Many - Song %1.txt"_s.arg(i), "la\r\n");
        f.open();
        QCOMPARE(policiesOf("Lyrics index"), QList<int>{SCHED_IDLE});
        f.w.form->findChild<FilterMarkCheck *>()->setForegroundBudget(std::chrono::nanoseconds(0));
        f.w.clickArrow(u"many"_s);
        QTRY_COMPARE(f.w.node(u"M/Many - Song 299.txt"_s)->Image, NodeImage::UnfilteredSong);
        QCOMPARE(policiesOf("Filter marks"), QList<int>{SCHED_IDLE});
    }

    void withoutAnIndexThereIsNoFinder()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.open();
        QTest::keyClick(w.form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!w.form->findChild<LyricsSearchPanel *>());
        QVERIFY(!w.form->findChild<QAction *>(u"FindInLyrics"_s)->isVisible());
    }
};

int runFindInLyricsTests(int argc, char **argv)
{
    TestFindInLyrics tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_findinlyrics.moc"
