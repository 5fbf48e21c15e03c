// The search box: narrowing, widening, the results line and the tree it leaves.

#include "library/LibraryScan.h"
#include "widgets/LibraryTreeModel.h"
#include "library/SearchFilter.h"
#include "widgets/LibraryTreeView.h"
#include "mainwindow/MainWindowFixture.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Root texts with their songs, "*" marking bold nodes: "Artist*[Song*,Song]".
QString shown(const LibraryTree &tree)
{
    QStringList roots;
    for (const LibraryNode *root : tree.roots()) {
        QStringList songs;
        for (const LibraryNode *song : root->Children)
            songs << song->Text + (song->Bold ? u"*"_s : QString());
        roots << root->Text + (root->Bold ? u"*"_s : QString()) + u'[' + songs.join(u',') + u']';
    }
    return roots.join(u'|');
}

// The library every case below searches.
void addLibrary(LibraryBuilder &lib)
{
    lib.song(u"B"_s, u"Beatrix - Help!.txt"_s)
        .song(u"B"_s, u"Beatrix - Harbour.txt"_s)
        .song(u"C"_s, u"Crane - Paper Harbour.txt"_s)
        .song(u"C"_s, u"Crane - Tin.txt"_s)
        .song(u"H"_s, u"Harbour Lights - Dawn.txt"_s)
        .song(u"H"_s, u"Harbour Lights - Dusk.txt"_s)
        .song(u"M"_s, u"Moth - Flame.txt"_s)
        .song(u"T"_s, u"Beatrix - Tide.txt"_s); // an artist's song after other artists
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterPass_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tree");
        QTest::addColumn<QString>("caption");
        QTest::newRow("artist and songs")
            << u"harbour"_s
            << u"Beatrix[Harbour*]|Crane[Paper Harbour*]|Harbour Lights*[Dawn,Dusk]"_s
            << u"{3 artists} {4 songs}"_s;
        QTest::newRow("case ignored") << u"ELP"_s << u"Beatrix[Help!*]"_s << u"{1 artist} {1 song}"_s;
        QTest::newRow("one artist, several songs") << u"t"_s
            << u"Beatrix*[Harbour,Help!,Tide*]|Crane[Tin*]|Harbour Lights*[Dawn,Dusk]|Moth*[Flame]"_s
            << u"{4 artists} {7 songs}"_s;
        QTest::newRow("a song of the artist in another folder") << u"tide"_s << u"Beatrix[Tide*]"_s
                                                                << u"{1 artist} {1 song}"_s;
        QTest::newRow("artist only") << u"moth"_s << u"Moth*[Flame]"_s << u"{1 artist} {1 song}"_s;
        QTest::newRow("two songs of one artist, one of another") << u"d"_s
            << u"Beatrix[Tide*]|Harbour Lights[Dawn*,Dusk*]"_s << u"{2 artists} {3 songs}"_s;
        QTest::newRow("nothing") << u"zzz"_s << QString() << u"{0 artist} {0 song}"_s;
    }

    void filterPass()
    {
        QFETCH(QString, text);
        QFETCH(QString, tree);
        QFETCH(QString, caption);
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        addLibrary(lib);
        LibraryTree library;
        scanCacheFolder(lib.cachePath(), library);
        QSignalSpy resets(&library, &LibraryTree::resetDone);
        const FilterCounts counts = filterTree(library, text);
        QCOMPARE(shown(library), tree);
        QCOMPARE(searchResultsCaption(counts), caption);
        QCOMPARE(resets.size(), 1);
        // The counts are what is left.
        QCOMPARE(counts.Artists, int(library.roots().size()));
        QCOMPARE(counts.Songs, library.count() - counts.Artists);
    }

    // Typed in plain letters, found with strokes, ligatures and accents,
    // either case; and the other way round.
    void plainLettersFindEveryLetter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("tree");
        QTest::newRow("o, \u00f8 and \u00d8") << u"soren"_s << u"S\u00f8ren*[\u00c6ble]|S\u00d8REN KRAGH*[Dusk]"_s;
        QTest::newRow("l, \u0142") << u"lodz"_s << u"Kayah[\u0141\u00f3d\u017a*,\u0142\u00f3d\u017a*]"_s;
        QTest::newRow("d, \u0111 and \u00f0") << u"dordi"_s << u"\u0110or\u0111e[\u00d0or\u00f0i*]"_s;
        QTest::newRow("h, \u0127") << u"hamrun"_s << u"\u0126amrun*[Tide]"_s;
        QTest::newRow("ae, \u00c6") << u"aeble"_s << u"S\u00f8ren[\u00c6ble*]"_s;
        QTest::newRow("oe, \u0153") << u"oeuvre"_s << u"\u0152uvre*[\u0153uvre*]"_s;
        QTest::newRow("ss, \u00df and \u1e9e") << u"strasse"_s << u"Stra\u00dfe*[STRA\u1e9eE*]"_s;
        QTest::newRow("\u00df finds ss") << u"stra\u00df"_s << u"Stra\u00dfe*[STRA\u1e9eE*]"_s;
        QTest::newRow("accents off") << u"ode"_s << u"\u0110or\u0111e[\u00d6d\u00e9*]"_s;
    }

    void plainLettersFindEveryLetter()
    {
        QFETCH(QString, typed);
        QFETCH(QString, tree);
        Window w;
        w.lib.song(u"S"_s, u"S\u00f8ren - \u00c6ble.txt"_s)
            .song(u"S"_s, u"S\u00d8REN KRAGH - Dusk.txt"_s)
            .song(u"K"_s, u"Kayah - \u0141\u00f3d\u017a.txt"_s)
            .song(u"K"_s, u"Kayah - \u0142\u00f3d\u017a.txt"_s)
            .song(u"D"_s, u"\u0110or\u0111e - \u00d0or\u00f0i.txt"_s)
            .song(u"D"_s, u"\u0110or\u0111e - \u00d6d\u00e9.txt"_s)
            .song(u"H"_s, u"\u0126amrun - Tide.txt"_s)
            .song(u"O"_s, u"\u0152uvre - \u0153uvre.txt"_s)
            .song(u"S"_s, u"Stra\u00dfe - STRA\u1e9eE.txt"_s);
        w.open();
        // Typed one key at a time: every step narrows what the last one left.
        w.typeSearch(typed);
        QCOMPARE(shown(w.form->libraryTree()), tree);
    }

    void caption_data()
    {
        QTest::addColumn<int>("artists");
        QTest::addColumn<int>("songs");
        QTest::addColumn<QString>("caption");
        QTest::newRow("0 0") << 0 << 0 << u"{0 artist} {0 song}"_s;
        QTest::newRow("1 1") << 1 << 1 << u"{1 artist} {1 song}"_s;
        QTest::newRow("1 3") << 1 << 3 << u"{1 artist} {3 songs}"_s;
        QTest::newRow("2 1") << 2 << 1 << u"{2 artists} {1 song}"_s;
        QTest::newRow("large") << 40000 << 100000 << u"{40000 artists} {100000 songs}"_s;
    }

    void caption()
    {
        QFETCH(int, artists);
        QFETCH(int, songs);
        QFETCH(QString, caption);
        QCOMPARE(searchResultsCaption({artists, songs}), caption);
    }

    void restoreOnlyWhenTheTextDoesNotGrow_data()
    {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("restore");
        QTest::newRow("typing on") << u"har"_s << u"harb"_s << false;
        QTest::newRow("typing in front") << u"arb"_s << u"harb"_s << false;
        QTest::newRow("other case") << u"har"_s << u"HARB"_s << false;
        QTest::newRow("deleting") << u"harb"_s << u"har"_s << true;
        QTest::newRow("same length, other text") << u"abc"_s << u"xyz"_s << true;
        QTest::newRow("longer, other text") << u"abc"_s << u"wxyz"_s << true;
        QTest::newRow("cleared") << u"abc"_s << QString() << true;
        QTest::newRow("from nothing") << QString() << u"a"_s << false;
    }

    void restoreOnlyWhenTheTextDoesNotGrow()
    {
        QFETCH(QString, previous);
        QFETCH(QString, current);
        QFETCH(bool, restore);
        QCOMPARE(searchNeedsRestore(previous, current), restore);
    }

    void typingNarrowsAndDeletingWidens()
    {
        Window w;
        addLibrary(w.lib);
        w.open();
        LibraryTree &tree = w.form->libraryTree();
        // A song gone from the tree but still in the snapshot shows when the
        // tree is rebuilt, and only then.
        tree.remove(w.node(u"H/Harbour Lights - Dusk.txt"_s));

        w.typeSearch(u"h"_s);
        QVERIFY(!w.node(u"H/Harbour Lights - Dusk.txt"_s));
        QTest::keyClick(w.search(), Qt::Key_A);
        QCOMPARE(shown(tree), u"Beatrix[Harbour*]|Crane[Paper Harbour*]|Harbour Lights*[Dawn]"_s);
        QTest::keyClick(w.search(), Qt::Key_Backspace);
        QVERIFY(w.node(u"H/Harbour Lights - Dusk.txt"_s));
        QCOMPARE(w.label(u"lblSearchResults"_s), u"{4 artists} {6 songs}"_s);
    }

    void replacingTheTextSearchesTheWholeLibrary()
    {
        Window w;
        addLibrary(w.lib);
        w.open();
        w.typeSearch(u"tin"_s);
        QCOMPARE(shown(w.form->libraryTree()), u"Crane[Tin*]"_s);
        w.pasteSearch(u"moth"_s); // over the whole text
        QCOMPARE(shown(w.form->libraryTree()), u"Moth*[Flame]"_s);
        w.pasteSearch(u"dus"_s); // same length, other text
        QCOMPARE(shown(w.form->libraryTree()), u"Harbour Lights[Dusk*]"_s);
    }

    void emptyOrSpacesShowTheWholeTree_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("cleared") << QString();
        QTest::newRow("spaces only") << u"   "_s;
    }

    void emptyOrSpacesShowTheWholeTree()
    {
        QFETCH(QString, text);
        Window w;
        addLibrary(w.lib);
        w.open();
        const QString full = shown(w.form->libraryTree());
        auto *results = w.child<QLabel>(u"lblSearchResults"_s);
        auto *tree = w.child<QWidget>(u"lista"_s);
        QVERIFY(results->isHidden());
        QCOMPARE(tree->y(), 97); // designed top, 1455 twips

        w.typeSearch(u"moth"_s);
        QVERIFY(results->isVisible());
        QCOMPARE(tree->y(), 116); // 1740 twips
        QCOMPARE(tree->y() + tree->height(), w.form->height() - 7);

        w.typeSearch(text);
        QCOMPARE(shown(w.form->libraryTree()), full);
        QVERIFY(results->isHidden());
        QCOMPARE(tree->y(), 100); // 1500 twips
        QCOMPARE(tree->y() + tree->height(), w.form->height() - 7);
    }

    void spacesAroundAWordChangeNothing()
    {
        Window w;
        addLibrary(w.lib);
        w.open();
        w.typeSearch(u"  tin "_s);
        const QString padded = shown(w.form->libraryTree());
        w.typeSearch(QString());
        w.typeSearch(u"tin"_s);
        QCOMPARE(shown(w.form->libraryTree()), padded);
        QCOMPARE(padded, u"Crane[Tin*]"_s);
    }

    void rescanAppliesTheSearchInEffect()
    {
        Window w;
        addLibrary(w.lib);
        w.open();
        w.typeSearch(u"harbour"_s);
        w.lib.song(u"Z"_s, u"Zed - Harbour Song.txt"_s).song(u"Z"_s, u"Zed - Other.txt"_s);
        w.treeKey(Qt::Key_F5);
        QCOMPARE(w.search()->text(), u"harbour"_s);
        QCOMPARE(shown(w.form->libraryTree()),
                 u"Beatrix[Harbour*]|Crane[Paper Harbour*]|Harbour Lights*[Dawn,Dusk]|Zed[Harbour Song*]"_s);
        QCOMPARE(w.label(u"lblSearchResults"_s), u"{4 artists} {5 songs}"_s);
        QCOMPARE(int(w.state.TreeSnapshot.size()), 15);
        // Clearing the box brings the new library back, not the old one.
        w.typeSearch(QString());
        QVERIFY(w.node(u"Z/Zed - Other.txt"_s));
    }

    void narrowingKeepsOpenArtistsAndTheSelection()
    {
        Window w;
        addLibrary(w.lib);
        w.open();
        auto *view = w.tree();
        LibraryTreeModel &model = w.form->libraryModel();
        w.clickArrow(u"beatrix"_s);
        w.clickArrow(u"crane"_s);
        w.click(u"B/Beatrix - Harbour.txt"_s);

        w.typeSearch(u"ha"_s);
        QTest::keyClick(w.search(), Qt::Key_R);
        QVERIFY(view->isExpanded(model.indexOf(w.node(u"beatrix"_s))));
        QVERIFY(view->isExpanded(model.indexOf(w.node(u"crane"_s))));
        QVERIFY(!view->isExpanded(model.indexOf(w.node(u"harbour lights"_s))));
        QCOMPARE(model.nodeAt(view->currentIndex()), w.node(u"B/Beatrix - Harbour.txt"_s));

        // Widening rebuilds the tree: nothing open; the song on display stays, the current row again.
        QTest::keyClick(w.search(), Qt::Key_Backspace);
        QTest::keyClick(w.search(), Qt::Key_Backspace);
        QVERIFY(!view->isExpanded(model.indexOf(w.node(u"beatrix"_s))));
        QCOMPARE(model.nodeAt(view->currentIndex()), w.node(u"B/Beatrix - Harbour.txt"_s));
        QCOMPARE(w.label(u"lblSong2"_s), u"Harbour"_s);
    }
};

int runSearchTests(int argc, char **argv)
{
    TestSearch tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_search.moc"
