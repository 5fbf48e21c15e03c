// The "Find in lyrics" panel, shown and used through the keyboard and the
// mouse: results as the user types, the progress of the indexing, choosing a
// song, clearing, and an index that cannot be had.

#include "LyricsFixture.h"

#include "lyricsindex/LyricsEngine.h"
#include "lyricssearch/LyricsMatchModel.h"
#include "lyricssearch/LyricsSearchPanel.h"
#include "support/LibraryBuilder.h"

#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

template<typename T>
T *byAccessibleName(QWidget *root, const QString &name)
{
    for (T *w : root->findChildren<T *>()) {
        if (w->accessibleName() == name)
            return w;
    }
    return nullptr;
}

QStringList rows(QListView *view)
{
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        out << view->model()->index(r, 0).data().toString();
    return out;
}

} // namespace

class TestLyricsPanel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<LibraryBuilder> library;
    std::unique_ptr<LyricsEngine> engine;
    std::unique_ptr<LyricsSearchPanel> panel;
    QLineEdit *field = nullptr;
    QListView *view = nullptr;

    // A shown panel over a small library, the index built.
    void showPanel()
    {
        dir = std::make_unique<QTemporaryDir>();
        library = std::make_unique<LibraryBuilder>(dir->filePath(u"cache"_s));
        QStringList longSong(30, u"words that say nothing much"_s);
        longSong[11] = u"one ember left"_s;
        library->song(u"E"_s, u"Ember - Glow.txt"_s, LibraryBuilder::crlf({u"ember ember ember"_s, u"glowing"_s}))
            .song(u"A"_s, u"Ash - Long.txt"_s, LibraryBuilder::crlf(longSong))
            .song(u"F"_s, u"Fish - Chips.txt"_s,
                  LibraryBuilder::crlf({u"intro"_s, u"<b>fish</b> & chips by the ember fire"_s, u"more words"_s}));
        engine = std::make_unique<LyricsEngine>(dir->filePath(u"index"_s));
        syncAndWait(*engine, [&] { engine->setCachePath(library->cachePath()); });
        QCOMPARE(engine->state(), LyricsEngine::State::Ready);
        makePanel();
    }

    void makePanel()
    {
        panel = std::make_unique<LyricsSearchPanel>(*engine);
        panel->resize(400, 500);
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel.get()));
        field = byAccessibleName<QLineEdit>(panel.get(), u"Find in lyrics"_s);
        view = byAccessibleName<QListView>(panel.get(), u"Lyrics matches"_s);
        QVERIFY(field && view);
        QTest::mouseClick(field, Qt::LeftButton);
        QVERIFY(field->hasFocus());
    }

    void typeEmber()
    {
        QTest::keyClicks(field, u"ember"_s);
        QTRY_COMPARE(panel->countText(), u"3 songs"_s);
    }

private Q_SLOTS:
    void cleanup()
    {
        panel.reset();
        engine.reset();
        library.reset();
        dir.reset();
    }

    void typingShowsBestFirstWithTheLineInBold()
    {
        showPanel();
        QTest::keyClicks(field, u"emb"_s);
        QTRY_COMPARE(panel->countText(), u"3 songs"_s);
        QCOMPARE(rows(view), (QStringList{u"Ember - Glow: ember ember ember"_s,
                                          u"Fish - Chips: <b>fish</b> & chips by the ember fire"_s,
                                          u"Ash - Long: one ember left"_s}));
        // The file's text escaped, the words found in bold.
        QCOMPARE(view->model()->index(1, 0).data(LyricsMatchModel::HtmlRole).toString(),
                 u"Fish - Chips<br>&lt;b&gt;fish&lt;/b&gt; &amp; chips by the <b>ember</b> fire"_s);
        QCOMPARE(view->model()->index(2, 0).data(LyricsMatchModel::LineRole).toInt(), 12);
        QVERIFY(!view->grab().isNull()); // the delegate paints

        // More words narrow it, in any order.
        QTest::keyClicks(field, u"er fire chips"_s);
        QTRY_COMPARE(panel->countText(), u"1 song"_s);
        QCOMPARE(rows(view), QStringList{u"Fish - Chips: <b>fish</b> & chips by the ember fire"_s});
        QTest::keyClicks(field, u" zzz"_s);
        QTRY_COMPARE(panel->countText(), u"No song has these words"_s);
        QCOMPARE(view->model()->rowCount(), 0);
    }

    // Typed in plain letters: found in lyrics and names with strokes,
    // ligatures and accents, either case; a last word of two letters is the
    // start of a word, alone or after others.
    void plainLettersAndTwoLettersFind_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("keys"); // sorted
        const QString fjord = u"S/Skald - Fjord.txt"_s;
        const QString hymn = u"G/Gothic - Hymn.txt"_s;
        const QString polka = u"P/Polka - \u0141\u00f3d\u017a \u0110ur\u0111evac \u0126amrun.txt"_s;
        const QString love = u"L/Love - Song.txt"_s;
        const QString tango = u"T/Tango - Night.txt"_s;
        QTest::newRow("\u00f8") << u"soren"_s << QStringList{fjord};
        QTest::newRow("\u00de") << u"thorshofn"_s << QStringList{fjord};
        QTest::newRow("\u0152") << u"oeuvre"_s << QStringList{hymn};
        QTest::newRow("\u00df") << u"strasse"_s << QStringList{hymn};
        QTest::newRow("\u00c6") << u"aether"_s << QStringList{tango};
        QTest::newRow("\u0141 in a name") << u"lodz"_s << QStringList{polka};
        QTest::newRow("\u0110 and \u0111 in a name") << u"durdevac"_s << QStringList{polka};
        QTest::newRow("\u0126 in a name") << u"hamrun"_s << QStringList{polka};
        QTest::newRow("two letters") << u"ta"_s << QStringList{tango};
        QTest::newRow("two letters, two songs") << u"lo"_s << QStringList{love, polka};
        QTest::newRow("two letters after a word") << u"dance lo"_s << QStringList{polka};
    }

    void plainLettersAndTwoLettersFind()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, keys);
        dir = std::make_unique<QTemporaryDir>();
        library = std::make_unique<LibraryBuilder>(dir->filePath(u"cache"_s));
        library->song(u"S"_s, u"Skald - Fjord.txt"_s, LibraryBuilder::crlf({u"S\u00f8ren rowed to \u00de\u00f3rsh\u00f6fn"_s}))
            .song(u"G"_s, u"Gothic - Hymn.txt"_s, LibraryBuilder::crlf({u"\u0152UVRE of the Stra\u00dfe"_s}))
            .song(u"P"_s, u"Polka - \u0141\u00f3d\u017a \u0110ur\u0111evac \u0126amrun.txt"_s,
                  LibraryBuilder::crlf({u"dance all night"_s}))
            .song(u"L"_s, u"Love - Song.txt"_s, LibraryBuilder::crlf({u"lonely in the dark"_s}))
            .song(u"T"_s, u"Tango - Night.txt"_s, LibraryBuilder::crlf({u"tangled in the \u00c6THER"_s}));
        engine = std::make_unique<LyricsEngine>(dir->filePath(u"index"_s));
        syncAndWait(*engine, [&] { engine->setCachePath(library->cachePath()); });
        makePanel();
        QTest::keyClicks(field, typed);
        QTRY_COMPARE(panel->countText(), keys.size() == 1 ? u"1 song"_s : u"%1 songs"_s.arg(keys.size()));
        QStringList found;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            found << view->model()->index(r, 0).data(LyricsMatchModel::KeyRole).toString();
        found.sort();
        QCOMPARE(found, keys);
    }

    // A search reads the rows it shows first; the others are read as the
    // list is scrolled to them.
    void theRestOfTheRowsFollowTheScroll()
    {
        dir = std::make_unique<QTemporaryDir>();
        library = std::make_unique<LibraryBuilder>(dir->filePath(u"cache"_s));
        for (int i = 0; i < 120; ++i)
            library->song(u"R"_s, u"River - Song %1.txt"_s.arg(i, 3, 10, QLatin1Char('0')), "down by the river\r\n");
        engine = std::make_unique<LyricsEngine>(dir->filePath(u"index"_s));
        syncAndWait(*engine, [&] { engine->setCachePath(library->cachePath()); });
        makePanel();
        QTest::keyClicks(field, u"river"_s);
        QTRY_COMPARE(panel->countText(), u"120 songs"_s);
        QCOMPARE(view->model()->rowCount(), LyricsEngine::kFilledAtOnce);
        QTest::keyClick(field, Qt::Key_Down);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(view->model()->rowCount(), 120);
        QCOMPARE(view->currentIndex().row(), 119);
        QVERIFY(view->currentIndex().data().toString().endsWith(u": down by the river"_s));
    }

    void progressWhileIndexing()
    {
        dir = std::make_unique<QTemporaryDir>();
        library = std::make_unique<LibraryBuilder>(dir->filePath(u"cache"_s));
        QByteArray text;
        for (int l = 0; l < 30; ++l)
            text += "a line of the song with some words in it\r\n";
        for (int i = 0; i < 4000; ++i)
            library->song(QString(QChar(u'A' + i % 26)), u"Band%1 - Tune%2.txt"_s.arg(i % 26).arg(i), text);
        engine = std::make_unique<LyricsEngine>(dir->filePath(u"index"_s));
        makePanel();
        QSignalSpy synced(engine.get(), &LyricsEngine::synced);
        engine->setCachePath(library->cachePath());
        QTRY_VERIFY_WITH_TIMEOUT(!panel->progressText().isEmpty(), 30000);
        QVERIFY2(QRegularExpression(u"^Indexing lyrics: [0-9]{1,3}(,[0-9]{3})* of 4,000$"_s)
                     .match(panel->progressText())
                     .hasMatch(),
                 qPrintable(panel->progressText()));
        // Searching meanwhile finds what is indexed and says so.
        QTest::keyClicks(field, u"tune3999"_s);
        QTRY_VERIFY(!panel->countText().isEmpty());
        if (engine->state() == LyricsEngine::State::Indexing)
            QVERIFY2(panel->countText().contains(u"still indexing"_s), qPrintable(panel->countText()));

        QVERIFY(synced.size() == 1 || synced.wait(60000));
        QTRY_COMPARE(panel->progressText(), QString());
        // And looks again once the index is complete.
        QTRY_COMPARE(panel->countText(), u"1 song"_s);
        QCOMPARE(rows(view), QStringList{u"Band21 - Tune3999"_s});
    }

    void choosingASong_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("line");
        QTest::newRow("click") << u"click"_s << u"F/Fish - Chips.txt"_s << 2;
        QTest::newRow("double click") << u"double click"_s << u"F/Fish - Chips.txt"_s << 2;
        QTest::newRow("Down, Down, Enter") << u"down down enter"_s << u"F/Fish - Chips.txt"_s << 2;
        QTest::newRow("Enter in the field") << u"enter"_s << u"E/Ember - Glow.txt"_s << 1;
    }

    void choosingASong()
    {
        QFETCH(QString, gesture);
        QFETCH(QString, key);
        QFETCH(int, line);
        showPanel();
        typeEmber();
        QSignalSpy chosen(panel.get(), &LyricsSearchPanel::songActivated);
        const QPoint second = view->visualRect(view->model()->index(1, 0)).center();
        if (gesture == u"click"_s) {
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second);
        } else if (gesture == u"double click"_s) {
            // As the window system delivers it: a click, then the second press as a double click.
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second);
        } else if (gesture == u"down down enter"_s) {
            QTest::keyClick(field, Qt::Key_Down);
            QVERIFY(view->hasFocus());
            QTest::keyClick(view, Qt::Key_Down);
            QTest::keyClick(view, Qt::Key_Return);
        } else {
            QTest::keyClick(field, Qt::Key_Return);
        }
        QTRY_COMPARE(chosen.size(), 1);
        // The gestures' events were all delivered by now; what they queued runs here.
        QCoreApplication::processEvents();
        QCOMPARE(chosen.size(), 1); // once, whatever the gesture
        QCOMPARE(chosen.at(0).at(0).toString(), key);
        QCOMPARE(chosen.at(0).at(1).toInt(), line);
    }

    void keysBetweenFieldAndList()
    {
        showPanel();
        typeEmber();
        QTest::keyClick(field, Qt::Key_Down);
        QVERIFY(view->hasFocus());
        QCOMPARE(view->currentIndex().row(), 0);
        QTest::keyClick(view, Qt::Key_Up);
        QVERIFY(field->hasFocus());
        // Escape in the list clears the search and goes back to the field.
        QTest::keyClick(field, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(field->hasFocus());
        QCOMPARE(field->text(), QString());
        QCOMPARE(view->model()->rowCount(), 0);
        QCOMPARE(panel->countText(), QString());
        // Escape in the field clears it as well.
        typeEmber();
        QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(field->text(), QString());
        QCOMPARE(view->model()->rowCount(), 0);
    }

    void aSongGoneSinceTheSearchIsNotOpened()
    {
        showPanel();
        typeEmber();
        QVERIFY(QFile::remove(library->cachePath() + u"E/Ember - Glow.txt"_s));
        QSignalSpy chosen(panel.get(), &LyricsSearchPanel::songActivated);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 0)).center());
        QCOMPARE(chosen.size(), 0);
        QTRY_COMPARE(rows(view), (QStringList{u"Fish - Chips: <b>fish</b> & chips by the ember fire"_s,
                                              u"Ash - Long: one ember left"_s}));
    }

    void notAvailableIsSaid()
    {
        dir = std::make_unique<QTemporaryDir>();
        library = std::make_unique<LibraryBuilder>(dir->filePath(u"cache"_s));
        library->song(u"A"_s, u"Ant - One.txt"_s, LibraryBuilder::crlf({u"apple"_s}));
        QFile blocker(dir->filePath(u"index"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        engine = std::make_unique<LyricsEngine>(dir->filePath(u"index/lyrics"_s));
        engine->setCachePath(library->cachePath());
        QTRY_COMPARE(engine->state(), LyricsEngine::State::Unavailable);
        makePanel();
        QTest::keyClicks(field, u"apple"_s);
        QTRY_VERIFY(panel->countText().startsWith(u"Lyrics search is not available: "_s));
        QCOMPARE(view->model()->rowCount(), 0);
        QCOMPARE(panel->progressText(), QString());
    }
};

int runLyricsPanelTests(int argc, char **argv)
{
    TestLyricsPanel t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_lyricspanel.moc"
