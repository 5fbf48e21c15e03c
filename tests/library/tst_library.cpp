#include "library/FilterMarkCheck.h"
#include "library/FolderListing.h"
#include "library/FolderRefresh.h"
#include "library/LibraryChecks.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "library/LibraryWatcher.h"
#include "widgets/ImageList.h"
#include "widgets/LibraryTreeModel.h"
#include "library/LyricsInfo.h"
#include "library/SearchFilter.h"
#include "text/Folding.h"
#include "library/SongNames.h"
#include "library/TextArena.h"
#include "support/LibraryBuilder.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTreeView>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The tree as text: "Artist(9)[Song(10),Song(7)]" per root, joined by "|".
QString describe(const LibraryTree &tree)
{
    QStringList roots;
    for (const LibraryNode *root : tree.roots()) {
        QString s = u"%1(%2)"_s.arg(root->Text).arg(root->Image);
        QStringList songs;
        for (const LibraryNode *song : root->Children)
            songs << u"%1(%2)"_s.arg(song->Text).arg(song->Image);
        if (!songs.isEmpty())
            s += u'[' + songs.join(u',') + u']';
        roots << s;
    }
    return roots.join(u'|');
}

// The same with the keys, so that two trees that read alike but hold
// different files differ.
QString describeKeys(const LibraryTree &tree)
{
    QStringList roots;
    for (const LibraryNode *root : tree.roots()) {
        QStringList songs;
        for (const LibraryNode *song : root->Children)
            songs << song->Key.toString();
        roots << root->Key.toString() + u'[' + songs.join(u',') + u']';
    }
    return roots.join(u'|');
}

// Positions, parents and rows agree with each other and with the tree's order.
void verifyConsistent(const LibraryTree &tree)
{
    const QString problem = tree.checkInvariants();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

// An artist with many songs: a third carry the filter mark, a fifth have
// timestamps. Returns the keys of the songs the check is to turn grey.
QStringList buildLargeArtist(LibraryBuilder &lib, int songs)
{
    QStringList unfiltered;
    for (int i = 0; i < songs; ++i) {
        const QString name = u"Big - Song %1.txt"_s.arg(i, 4, 10, QLatin1Char('0'));
        const bool filtered = i % 3 == 0;
        const bool timed = i % 5 == 0;
        lib.song(u"B"_s, name, filtered ? QByteArray("[Wordhive ] filter used\r\nla\r\n") : QByteArray("la\r\n"), timed);
        if (!filtered && !timed)
            unfiltered << u"B/"_s + name;
    }
    return unfiltered;
}

// The keys of the songs the tree shows grey.
QStringList greySongs(const LibraryTree &tree)
{
    QStringList keys;
    for (const LibraryNode *artist : tree.roots())
        for (const LibraryNode *song : artist->Children)
            if (song->Image == NodeImage::UnfilteredSong)
                keys << song->Key;
    return keys;
}

// What the window hands the check when an artist opens.
std::vector<LibraryNode *> songsToCheck(const LibraryNode *artist)
{
    std::vector<LibraryNode *> songs;
    for (LibraryNode *song : artist->Children)
        if (song->Image != NodeImage::SongWithTimestamps)
            songs.push_back(song);
    return songs;
}

} // namespace

class TestLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<LibraryNode *>(); }

    void fileNames_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("song");
        QTest::newRow("plain") << u"Kestrel Road - Night Bus.txt"_s << u"Kestrel Road"_s << u"Night Bus"_s;
        QTest::newRow("dash in artist") << u"Twin-Engine - Blue.txt"_s << u"Twin"_s << u"Blue"_s;
        QTest::newRow("several dashes") << u"Kestrel Road - Night Bus - Live.txt"_s << u"Kestrel Road"_s << u"Live"_s;
        QTest::newRow("no dash") << u"Instrumental.txt"_s << QString() << u"Instrumental"_s;
        QTest::newRow("spaces kept inside") << u"  A  B  -  C  D  .txt"_s << u"A  B"_s << u"C  D"_s;
        QTest::newRow("tabs are not spaces") << u"\tA - B\t.txt"_s << u"\tA"_s << u"B\t"_s;
        QTest::newRow("dash only") << u"-.txt"_s << QString() << u"(no title)"_s;
    }

    void fileNames()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, artist);
        QFETCH(QString, song);
        QCOMPARE(ExtractArtist(fileName), artist);
        QCOMPARE(ExtractSong(QStringView(fileName).chopped(4)), song);
    }

    void kasPaths()
    {
        QCOMPARE(kasPathFor(u"/c/B/Band - Song.txt"_s), u"/c/B/Band - Song.kas"_s);
        QCOMPARE(kasPathFor(u"ab"_s), QString());
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"B"_s, u"Band - Song.txt"_s, "x", true)
            .song(u"B"_s, u"Band - Other.txt"_s)
            .folder(u"B/Band - Dir.kas"_s)
            .song(u"B"_s, u"Band - Dir.txt"_s);
        QVERIFY(KasFileExists(lib.cachePath() + u"B/Band - Song.txt"_s));
        QVERIFY(!KasFileExists(lib.cachePath() + u"B/Band - Other.txt"_s));
        QVERIFY(!KasFileExists(lib.cachePath() + u"B/Band - Dir.txt"_s));
        QVERIFY(!KasFileExists(QString()));
    }

    void lyricsInfo_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasSource");
        QTest::addColumn<QString>("pageUrl");
        QTest::addColumn<QString>("siteName");
        QTest::addColumn<bool>("filtered");
        QTest::newRow("source line")
            << u"la\r\n* Downloaded from: http://www.site.example/a/b.html\r\n"_s << true
            << u"http://www.site.example/a/b.html"_s << u"www.site.example"_s << false;
        QTest::newRow("last line without line end keeps trailing spaces")
            << u"la\r\n* Downloaded from: http://h.example/p  "_s << true
            << u"http://h.example/p  "_s << u"h.example"_s << false;
        QTest::newRow("line end trims spaces")
            << u"* Downloaded from:   http://h.example/p  \r\nmore"_s << true << u"http://h.example/p"_s
            << u"h.example"_s << false;
        QTest::newRow("last of two source lines")
            << u"* Downloaded from: http://one.example/x\r\n* Downloaded from: http://two.example/y\r\n"_s
            << true << u"http://two.example/y"_s << u"two.example"_s << false;
        QTest::newRow("no http: cut from the seventh character")
            << u"* Downloaded from: https://secure.example/x\r\n"_s << true
            << u"https://secure.example/x"_s << QString() << false;
        QTest::newRow("no http, longer scheme")
            << u"* Downloaded from: ftp://files.example/x\r\n"_s << true
            << u"ftp://files.example/x"_s << u"files.example"_s << false;
        QTest::newRow("no slash after host: the rest")
            << u"* Downloaded from: http://bare.example\r\n"_s << true << u"http://bare.example"_s
            << u"bare.example"_s << false;
        QTest::newRow("empty address") << u"* Downloaded from:"_s << true << QString() << QString() << false;
        QTest::newRow("tag case matters") << u"* downloaded from: http://x.example/\r\n"_s << false
                                          << QString() << QString() << false;
        QTest::newRow("filter mark") << u"[Wordhive ] filter used\r\nla\r\n"_s << false << QString()
                                     << QString() << true;
        QTest::newRow("filter mark case matters") << u"] Filter used"_s << false << QString() << QString() << false;
        QTest::newRow("empty file") << QString() << false << QString() << QString() << false;
    }

    void lyricsInfo()
    {
        QFETCH(QString, text);
        QFETCH(bool, hasSource);
        QFETCH(QString, pageUrl);
        QFETCH(QString, siteName);
        QFETCH(bool, filtered);
        const LyricsInfo info = parseLyrics(text);
        QCOMPARE(info.HasSource, hasSource);
        QCOMPARE(info.PageUrl, pageUrl);
        QCOMPARE(info.SiteName, siteName);
        QCOMPARE(info.FilterUsed, filtered);
    }

    // Past the first block, past huge pages and the doubling scratch blocks,
    // a text larger than any block, and the unused end of the last block
    // given back half-way: every text reads as it was kept.
    void textsStayAsKept_data()
    {
        QTest::addColumn<TextArena::Use>("use");
        QTest::newRow("lasting") << TextArena::Use::Lasting;
        QTest::newRow("scratch") << TextArena::Use::Scratch;
    }
    void textsStayAsKept()
    {
        QFETCH(TextArena::Use, use);
        TextArena arena(use);
        QStringList written;
        std::vector<NodeText> kept;
        auto keep = [&](const QString &text) {
            written << text;
            kept.push_back(arena.keep(text));
        };
        for (int i = 0; i < 40000; ++i) {
            // 8-bit names of odd lengths between UTF-16 ones.
            keep((i % 3 ? u"Artist %1 - Song %2.txt"_s : u"\u0141o\u015b %1 - \u5929 %2.txt"_s).arg(i % 977).arg(i));
            if (i == 20000) {
                keep(QString(700000, QChar(u'a' + i % 26)));
                arena.releaseUnused();
            }
        }
        QCOMPARE(kept.size(), size_t(written.size()));
        for (qsizetype i = 0; i < written.size(); ++i) {
            QCOMPARE(kept[size_t(i)].toString(), written[i]);
            QCOMPARE(kept[size_t(i)].isLatin1(), fitsLatin1(written[i]));
        }
    }

    void scanBuildsArtistsAndSongs()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path() + u"/lyrics"_s);
        lib.song(u"B"_s, u"Blue Harbour - Tides.txt"_s, "x", true)
            .song(u"B"_s, u"Blue Harbour - Anchor.txt"_s)
            .song(u"B"_s, u"Brass Owl - Hoot.txt"_s)
            .song(u"K"_s, u"Kestrel Road - Night Bus - Live.txt"_s)
            .file(u"K/Kestrel Road - Orphan.kas"_s, "FaV1;\r\n")
            .file(u"K/notes.doc"_s, "x")
            .file(u"K/.hidden - Song.txt"_s, "x")
            .folder(u"K/Folder - Song.txt"_s)
            .song(u"1"_s, u"Digits - Never.txt"_s)
            .song(u"AB"_s, u"Long - Never.txt"_s);
        LibraryTree tree;
        const ScanCounts counts = scanCacheFolder(lib.cachePath(), tree);
        QVERIFY(counts.FolderFound);
        QCOMPARE(counts.Lyrics, 4);
        QCOMPARE(counts.Timestamps, 1);
        QCOMPARE(describe(tree), u"Blue Harbour(9)[Anchor(10),Tides(7)]|Brass Owl(9)[Hoot(10)]|"
                                 u"Kestrel Road(9)[Live(10)]"_s);
        QCOMPARE(tree.node(2)->Key, u"B/Blue Harbour - Anchor.txt"_s);
        QCOMPARE(tree.node(1)->Key, u"blue harbour"_s);
        verifyConsistent(tree);
    }

    void scanMergesArtistsAcrossFoldersAndCase()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"L"_s, u"The Lanterns - Wick.txt"_s)
            .song(u"M"_s, u"Moth - Flame.txt"_s)
            .song(u"T"_s, u"THE LANTERNS - Glow.txt"_s)
            .song(u"T"_s, u"The lanterns - Ash.txt"_s)
            .song(u"V"_s, u"Velvet Tram - X.txt"_s)
            .song(u"V"_s, u"VELVET TRAM - Y.txt"_s);
        LibraryTree tree;
        const ScanCounts counts = scanCacheFolder(lib.cachePath(), tree);
        QCOMPARE(counts.Lyrics, 6);
        // Songs found later hang under the artist node made first, spelled as first met.
        QCOMPARE(describe(tree), u"The Lanterns(9)[Wick(10),Ash(10),Glow(10)]|Moth(9)[Flame(10)]|"
                                 u"Velvet Tram(9)[X(10),Y(10)]"_s);
        // The later songs stand with their artist in the collection too, as the tree shows them.
        QCOMPARE(tree.node(3)->Text, u"Ash"_s);
        QCOMPARE(tree.node(3)->Parent, tree.node(1));
        QCOMPARE(tree.node(5)->Text, u"Moth"_s);
        verifyConsistent(tree);
    }

    void scanFilesWithoutArtist()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"P"_s, u"Paper Notes.txt"_s)
            .song(u"P"_s, u"Pine - Cone.txt"_s)
            .song(u"Q"_s, u" - Quiet.txt"_s);
        LibraryTree tree;
        const ScanCounts counts = scanCacheFolder(lib.cachePath(), tree);
        QCOMPARE(counts.Lyrics, 3);
        QCOMPARE(describe(tree), noArtistText() + u"(9)[Paper Notes(10),Quiet(10)]|Pine(9)[Cone(10)]"_s);
        QVERIFY(!tree.find(QString()));
        QCOMPARE(tree.node(1)->Key, noArtistKey());
    }

    void scanPrefersUpperCaseLetterFolder()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"b"_s, u"Bee - Lower.txt"_s).song(u"c"_s, u"Cat - Lower.txt"_s).song(u"C"_s, u"Cat - Upper.txt"_s);
        LibraryTree tree;
        QCOMPARE(scanCacheFolder(lib.cachePath(), tree).Lyrics, 2);
        QVERIFY(tree.find(u"b/Bee - Lower.txt"_s));
        QVERIFY(tree.find(u"C/Cat - Upper.txt"_s));
        QVERIFY(!tree.find(u"c/Cat - Lower.txt"_s));
    }

    void scanWithoutLibrary_data()
    {
        QTest::addColumn<QString>("cache");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("lyrics");
        QTest::newRow("empty cache path") << QString() << false << 0;
        QTest::newRow("missing folder") << u"@/missing/"_s << false << 0;
        QTest::newRow("a file") << u"@/plain"_s << false << 0;
        QTest::newRow("no letter folders") << u"@/empty/"_s << true << 0;
        QTest::newRow("letter folders") << u"@/songs/"_s << true << 1;
        // Letters are appended to the path as it stands: "songsA" does not exist.
        QTest::newRow("no trailing separator") << u"@/songs"_s << true << 0;
    }

    void scanWithoutLibrary()
    {
        QFETCH(QString, cache);
        QFETCH(bool, found);
        QFETCH(int, lyrics);
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.file(u"plain"_s, "x").folder(u"empty"_s).song(u"songs/A"_s, u"Only - Here.txt"_s);
        LibraryTree tree;
        const ScanCounts counts = scanCacheFolder(cache.replace(u"@"_s, dir.path()), tree);
        QCOMPARE(counts.FolderFound, found);
        QCOMPARE(counts.Lyrics, lyrics);
        QCOMPARE(tree.count(), lyrics * 2);
    }

    void scanSkipsUnreadableLetterFolder()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"A"_s, u"Able - One.txt"_s).file(u"B"_s, "a file where a folder should be");
        LibraryTree tree;
        QCOMPARE(scanCacheFolder(lib.cachePath(), tree).Lyrics, 1);
        QVERIFY(!listLetterFolder(lib.cachePath() + u"B"_s).Readable);
    }

    void scanFollowsLinksToFilesButNotLoops()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"A"_s, u"Able - One.txt"_s);
        QVERIFY(QFile::link(lib.cachePath() + u"A/Able - One.txt"_s, lib.cachePath() + u"A/Able - Linked.txt"_s));
        QVERIFY(QFile::link(lib.cachePath(), lib.cachePath() + u"A/Able - Loop.txt"_s));
        QVERIFY(QFile::link(lib.cachePath() + u"A/missing"_s, lib.cachePath() + u"A/Able - Dangling.txt"_s));
        LibraryTree tree;
        QCOMPARE(scanCacheFolder(lib.cachePath(), tree).Lyrics, 2);
        QCOMPARE(describe(tree), u"Able(9)[Linked(10),One(10)]"_s);
    }

    void listingSortsIgnoringCaseFirst()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        for (const QString &name : {u"b - 2.txt"_s, u"A - 1.txt"_s, u"B - 1.txt"_s, u"a - 0.TXT"_s})
            lib.file(u"X/"_s + name, "x");
        const FolderListing listing = listLetterFolder(lib.cachePath() + u"X"_s);
        QCOMPARE(listing.names(), QStringList({u"a - 0.TXT"_s, u"A - 1.txt"_s, u"B - 1.txt"_s, u"b - 2.txt"_s}));
    }

    void listingOrdersAnyNameAsQtComparesIt()
    {
        // The listing compares ASCII names by their bytes and their first
        // eight characters; every other name by Qt's comparison. Together
        // they must give Qt's order, whatever the names hold and wherever.
        const QStringList names = {
            u"abc - x.txt"_s, u"ABC - x.txt"_s, u"abc - X.txt"_s, u"abcdefgh - 1.txt"_s, u"ABCDEFGH - 1.txt"_s,
            u"abcdefghi.txt"_s, u"abcdefgh.txt"_s, u"abcdefg.txt"_s, u"ab.txt"_s, u"a.txt"_s, u"a_b.txt"_s,
            u"a[b.txt"_s, u"A_B.txt"_s, u"a b.txt"_s, u"a-b.txt"_s, u"a0.txt"_s, u"abcdefgh\u00e9.txt"_s,
            u"abcdefgH\u00c9.txt"_s, u"\u00e9t\u00e9 - x.txt"_s, u"\u00c9T\u00c9 - x.txt"_s, u"Stra\u00dfe.txt"_s,
            u"STRASSE.txt"_s, u"strasse.txt"_s, u"\u212aelvin.txt"_s, u"kelvin.txt"_s, u"KELVIN.txt"_s,
            u"\u017fun.txt"_s, u"sun.txt"_s, u"\u0131x.txt"_s, u"Ix.txt"_s, u"ix.txt"_s, u"z\U0001D400.txt"_s,
            u"z\U0001D41A.txt"_s, u"Z.txt"_s, u"zz.txt"_s, u"~.txt"_s, u"\u00ff.txt"_s, u"\u0178.txt"_s,
        };
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        for (const QString &name : names)
            lib.file(u"X/"_s + name, "x");
        // A name that is no UTF-8: read as QFile reads it.
        const QByteArray raw = QFile::encodeName(lib.cachePath() + u"X/"_s) + "ab\xff\xfe - x.txt";
        const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        QStringList expected = names;
        expected << QFile::decodeName("ab\xff\xfe - x.txt");
        std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
            const int c = a.compare(b, Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a < b;
        });
        QCOMPARE(listLetterFolder(lib.cachePath() + u"X"_s).names(), expected);
    }

    void listingFindsTimestampFiles()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        for (const QString &name : {u"a - 1.txt"_s, u"a - 1.kas"_s, u"b - 2.TXT"_s, u"b - 2.kas"_s, u"c - 3.txt"_s,
                                    u"c - 3.KAS"_s, u"d - 4.txt"_s, u"d - 4.txt.kas"_s, u"\u00e9 - 5.txt"_s,
                                    u"\u00e9 - 5.kas"_s, u"f - 6.kas"_s})
            lib.file(u"X/"_s + name, "x");
        QStringList stamped;
        for (const FolderListing::Song &song : listLetterFolder(lib.cachePath() + u"X"_s).Songs)
            stamped << song.Name.toString() + (song.HasTimestamps ? u"+"_s : QString());
        QCOMPARE(stamped, QStringList({u"a - 1.txt+"_s, u"b - 2.TXT+"_s, u"c - 3.txt"_s, u"d - 4.txt"_s,
                                       u"\u00e9 - 5.txt+"_s}));
    }

    // The scan lists folders whose entries another thread read ahead: the
    // same songs, order and timestamps as each folder listed alone, in the
    // order given, for a folder of several directory reads (over 64 kB of
    // entries), a missing one, a file where a folder should be, an empty one.
    void readAheadListsAsEachFolderAlone()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        for (int i = 0; i < 1500; ++i) {
            const QString name = u"A/An artist with a long name %1 - Song number %2 \u00e9t\u00e9"_s.arg(i % 40).arg(i);
            lib.file(name + u".txt"_s, "x");
            if (i % 7 == 0)
                lib.file(name + u".kas"_s, "x");
        }
        lib.file(u"B"_s, "a file where a folder should be").folder(u"E"_s).song(u"Z"_s, u"Zed - One.txt"_s);
        const QStringList folders = {u"A"_s, u"M"_s, u"B"_s, u"E"_s, u"Z"_s};
        QStringList paths;
        for (const QString &folder : folders)
            paths << lib.cachePath() + folder;
        auto described = [](const FolderListing &listing) {
            QStringList out{listing.Readable ? u"readable"_s : u"unreadable"_s};
            for (const FolderListing::Song &song : listing.Songs)
                out << song.Name.toString() + (song.HasTimestamps ? u"+"_s : QString());
            return out;
        };
        FolderReadAhead ahead(paths);
        FolderLister lister;
        TextArena names(TextArena::Use::Scratch);
        for (const QString &path : std::as_const(paths)) {
            FolderEntries entries = ahead.take();
            const QStringList listed = described(lister.list(entries, names, u"X/"_s));
            ahead.giveBack(std::move(entries));
            QCOMPARE(listed, described(listLetterFolder(path)));
        }
        QCOMPARE(described(listLetterFolder(paths[0])).size(), 1501);
        LibraryTree tree;
        QCOMPARE(scanCacheFolder(lib.cachePath(), tree).Lyrics, 1501);
    }

    // A scan that ends early (an exception, a bug) lets go of the reading
    // thread and of every folder it had opened.
    void readAheadLeftEarlyClosesItsFolders()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        QStringList paths;
        for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
            lib.song(QString(QChar(letter)), QString(QChar(letter)) + u" - One.txt"_s);
            paths << lib.cachePath() + QChar(letter);
        }
        const qsizetype open = QDir(u"/proc/self/fd"_s).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size();
        {
            FolderReadAhead ahead(paths);
            FolderEntries first = ahead.take();
            QVERIFY(first.complete && first.dir >= 0);
            ahead.giveBack(std::move(first));
        }
        QCOMPARE(QDir(u"/proc/self/fd"_s).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), open);
    }

    void removeKeepsCollectionConsistent()
    {
        LibraryTree tree;
        LibraryNode *a = tree.appendNew(nullptr, u"a"_s, u"A"_s, 9);
        LibraryNode *b = tree.appendNew(nullptr, u"b"_s, u"B"_s, 9);
        tree.appendNew(a, u"A/a1"_s, u"a1"_s, 10);
        tree.appendNew(b, u"B/b1"_s, u"b1"_s, 10);
        tree.appendNew(a, u"A/a2"_s, u"a2"_s, 10);

        tree.remove(tree.find(u"A/a1"_s));
        QCOMPARE(describe(tree), u"A(9)[a2(10)]|B(9)[b1(10)]"_s);
        verifyConsistent(tree);
        tree.remove(a);
        QCOMPARE(describe(tree), u"B(9)[b1(10)]"_s);
        QVERIFY(!tree.find(u"A/a2"_s));
        QCOMPARE(tree.count(), 2);
        verifyConsistent(tree);
    }

    void pruneDropsChildrenOfDroppedParents()
    {
        LibraryTree tree;
        LibraryNode *a = tree.appendNew(nullptr, u"a"_s, u"A"_s, 9);
        LibraryNode *b = tree.appendNew(nullptr, u"b"_s, u"B"_s, 9);
        tree.appendNew(a, u"A/a1"_s, u"a1"_s, 10);
        LibraryNode *b1 = tree.appendNew(b, u"B/b1"_s, u"b1"_s, 10);
        tree.appendNew(a, u"A/a2"_s, u"a2"_s, 10);
        QSignalSpy resets(&tree, &LibraryTree::resetDone);
        QStringList entered;
        tree.prune([&](LibraryNode *artist) { entered << artist->Text; },
                   [](LibraryNode *song) { return song->Text != u"a1"_s; },
                   [](LibraryNode *artist) { return artist->Text == u"A"_s; });
        QCOMPARE(entered, QStringList({u"A"_s, u"B"_s}));
        QCOMPARE(resets.size(), 1);
        QCOMPARE(describe(tree), u"A(9)[a2(10)]"_s);
        // The kept song of the dropped artist went with it; the pointer is still safe.
        QVERIFY(!b1->inTree());
        QVERIFY(!tree.find(u"B/b1"_s));
        verifyConsistent(tree);
    }

    void scanAheadGivesTheTreeAScanMakes()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"L"_s, u"Lanterns - Wick.txt"_s, "x", true)
            .song(u"M"_s, u"Moth - Flame.txt"_s)
            .song(u"T"_s, u"LANTERNS - Glow.txt"_s)
            .song(u"N"_s, u"No Artist Here.txt"_s);
        LibraryTree scanned;
        const ScanCounts direct = scanCacheFolder(lib.cachePath(), scanned);

        ScanAhead ahead(lib.cachePath());
        QCOMPARE(ahead.cachePath(), lib.cachePath());
        ScanAhead::Result read = ahead.take();
        QCOMPARE(read.tree->thread(), QThread::currentThread());
        QCOMPARE(read.counts.Lyrics, direct.Lyrics);
        QCOMPARE(read.counts.Timestamps, direct.Timestamps);
        LibraryTree tree;
        QSignalSpy resets(&tree, &LibraryTree::resetDone);
        QVERIFY(tree.takeNodes(*read.tree));
        QCOMPARE(resets.size(), 1);
        QCOMPARE(read.tree->count(), 0);
        QCOMPARE(describe(tree), describe(scanned));
        verifyConsistent(tree);

        // A tree that holds nodes takes none.
        ScanAhead again(lib.cachePath());
        ScanAhead::Result second = again.take();
        QVERIFY(!tree.takeNodes(*second.tree));
        QCOMPARE(describe(tree), describe(scanned));
        QCOMPARE(second.tree->count(), scanned.count());
    }

    // The library changes on disk at random, a few files at a time: the
    // tree that takes each change in place reads as a new scan of the disk
    // would, its model tells the view every row, its snapshot gives the
    // same tree back, and it takes most changes without a whole scan.
    void inPlaceRefreshGivesTheTreeAScanMakes_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 8; ++seed)
            QTest::addRow("seed %u", seed) << seed;
    }

    void inPlaceRefreshGivesTheTreeAScanMakes()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        // Artists that share a folder, differ only in case or accents, have
        // songs in two folders, or none at all; one folder in lower case;
        // names kept in 8 bits and names kept in UTF-16.
        const QStringList artists{u"Aurora Vale"_s, u"aurora vale"_s, u"Ábel"_s, u"Abba Tribute"_s,
                                  u"Bee"_s, u"Bee Gees"_s, u"cello"_s, u"Zed & Co"_s, u"Ümlaut"_s, QString(),
                                  u"\u0141o\u015b"_s, u"\u0142O\u015a"_s};
        auto folderOf = [](const QString &artist) {
            if (artist.isEmpty())
                return u"Z"_s;
            const QChar first = artist.front().toUpper();
            if (first == u'Á')
                return u"A"_s;
            if (first == u'Ü')
                return u"U"_s;
            if (first == u'\u0141')
                return u"L"_s;
            return first == u'C' ? u"c"_s : QString(first);
        };
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        QSet<QString> onDisk; // keys
        auto fileFor = [&](const QString &artist, int n) {
            const QString name = artist.isEmpty() ? u"Loose %1.txt"_s.arg(n) : artist + u" - Song %1.txt"_s.arg(n);
            // A few artists also have songs filed under the wrong letter.
            const QString folder = n % 7 == 3 ? u"B"_s : folderOf(artist);
            return folder + u'/' + name;
        };
        auto kasOf = [&](const QString &key) { return lib.cachePath() + kasPathFor(key); };
        for (int i = 0; i < 40; ++i) {
            const QString key = fileFor(artists[random.bounded(int(artists.size()))], random.bounded(30));
            lib.song(key.left(1), key.mid(2), "la\r\n", random.bounded(4) == 0);
            onDisk.insert(key);
        }
        for (const QString &folder : {u"A"_s, u"B"_s, u"c"_s, u"L"_s, u"U"_s, u"Z"_s})
            lib.folder(folder);

        LibraryTree tree;
        LibraryTreeModel model(tree);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        ScanCounts counts = scanCacheFolder(lib.cachePath(), tree);
        int applied = 0;
        constexpr int rounds = 30;
        for (int round = 0; round < rounds; ++round) {
            QSet<QString> touched;
            const int changes = 1 + random.bounded(4);
            for (int c = 0; c < changes; ++c) {
                // Add, remove, a timestamp file toggled, or a song renamed
                // (gone, and another of its artist come) in one change.
                const int what = random.bounded(4);
                if (what == 0 || onDisk.isEmpty()) {
                    const QString key = fileFor(artists[random.bounded(int(artists.size()))], random.bounded(30));
                    if (onDisk.contains(key))
                        continue;
                    lib.song(key.left(1), key.mid(2), "la\r\n", random.bounded(3) == 0);
                    onDisk.insert(key);
                    touched.insert(key.left(1));
                } else {
                    QStringList keys = onDisk.values();
                    keys.sort(); // the same picks in every run of a seed
                    const QString key = keys[random.bounded(int(keys.size()))];
                    if (what == 1 || what == 3) {
                        QVERIFY(QFile::remove(lib.cachePath() + key));
                        QFile::remove(kasOf(key));
                        onDisk.remove(key);
                    }
                    if (what == 3) {
                        const QString renamed = key.chopped(4) + u" (2).txt"_s;
                        lib.song(renamed.left(1), renamed.mid(2));
                        onDisk.insert(renamed);
                    } else if (what == 2 && !QFile::remove(kasOf(key))) {
                        lib.file(kasPathFor(key), "[00:01]");
                    }
                    touched.insert(key.left(1));
                }
            }
            QStringList folders(touched.begin(), touched.end());
            folders.sort();
            const FolderRefresh change = refreshLetterFolders(lib.cachePath(), folders, tree);

            LibraryTree scanned;
            const ScanCounts expected = scanCacheFolder(lib.cachePath(), scanned);
            if (change.Applied) {
                ++applied;
                // Artist by artist, so that a failure shows where they differ.
                QCOMPARE(describeKeys(tree).split(u'|'), describeKeys(scanned).split(u'|'));
                QCOMPARE(describe(tree), describe(scanned));
                QCOMPARE(counts.Lyrics + change.LyricsDelta, expected.Lyrics);
                QCOMPARE(counts.Timestamps + change.TimestampsDelta, expected.Timestamps);
                // Put back from its own snapshot, after a search narrowed it;
                // the library's rules hold at every step.
                const TreeNodeRecords snapshot = tree.snapshot();
                auto holds = [&](bool searched) {
                    const QString problem = LibraryChecks::problem(tree, snapshot, expected.Lyrics,
                                                                   expected.Timestamps, searched);
                    QVERIFY2(problem.isEmpty(), qPrintable(problem));
                };
                holds(false);
                filterTree(tree, u"song 1"_s);
                holds(true);
                RestoreTree(tree, snapshot);
                QCOMPARE(describeKeys(tree), describeKeys(scanned));
                holds(false);
            } else {
                tree.clear();
                scanCacheFolder(lib.cachePath(), tree);
                verifyConsistent(tree);
            }
            counts = expected;
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY2(applied >= rounds * 2 / 3, qPrintable(u"%1 of %2 in place"_s.arg(applied).arg(rounds)));
    }

    void inPlaceRefreshLeavesChangesItCannotTake()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"A"_s, u"Aurora Vale - Glass Harbor.txt"_s);
        LibraryTree tree;
        scanCacheFolder(lib.cachePath(), tree);
        const QString before = describeKeys(tree);
        // A folder that is a file, a name no letter folder has, a folder
        // in the other case.
        lib.file(u"M"_s, "not a folder");
        for (const QString &folder : {u"M"_s, u"AB"_s, u"a"_s}) {
            const QStringList folders{folder};
            QVERIFY2(!refreshLetterFolders(lib.cachePath(), folders, tree).Applied, qPrintable(folder));
            QCOMPARE(describeKeys(tree), before);
        }
        // More files at once than the limit: a whole scan instead, the tree untouched.
        for (int i = 0; i < 5; ++i)
            lib.song(u"A"_s, u"Aurora Vale - Song %1.txt"_s.arg(i));
        QVERIFY(!refreshLetterFolders(lib.cachePath(), {u"A"_s}, tree, 4).Applied);
        QCOMPARE(describeKeys(tree), before);
        QVERIFY(refreshLetterFolders(lib.cachePath(), {u"A"_s}, tree, 5).Applied);
        QCOMPARE(tree.count(), 7);
        // A folder gone: its songs go with a whole scan.
        QVERIFY(QDir(lib.cachePath() + u"A"_s).removeRecursively());
        QVERIFY(!refreshLetterFolders(lib.cachePath(), {u"A"_s}, tree).Applied);
    }

    void snapshotRestoresTheScannedTree()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"L"_s, u"Lanterns - Wick.txt"_s, "x", true)
            .song(u"M"_s, u"Moth - Flame.txt"_s)
            .song(u"T"_s, u"LANTERNS - Glow.txt"_s)
            .song(u"N"_s, u"No Artist Here.txt"_s);
        LibraryTree tree;
        scanCacheFolder(lib.cachePath(), tree);
        const QString before = describe(tree);
        const TreeNodeRecords snapshot = TakeTreeSnapshot(tree);
        QCOMPARE(int(snapshot.size()), tree.count());
        QCOMPARE(snapshot[0].IsLeaf, false);
        QCOMPARE(snapshot[1].ParentKey, u"lanterns"_s);
        QCOMPARE(snapshot[1].Image, quint8(7));

        tree.setBold(tree.node(1), true);
        tree.remove(tree.find(u"M/Moth - Flame.txt"_s));
        RestoreTree(tree, snapshot);
        QCOMPARE(describe(tree), before);
        QVERIFY(!tree.node(1)->Bold);
        verifyConsistent(tree);
    }

    void restoreForgetsWhatLivedOnlyInTheTree_data()
    {
        QTest::addColumn<bool>("clearedBetween");
        QTest::newRow("same nodes put back") << false;
        QTest::newRow("nodes made anew") << true;
    }

    void restoreForgetsWhatLivedOnlyInTheTree()
    {
        QFETCH(bool, clearedBetween);
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"L"_s, u"Lanterns - Wick.txt"_s).song(u"L"_s, u"Lanterns - Glow.txt"_s, "x", true)
            .song(u"M"_s, u"Moth - Flame.txt"_s).song(u"T"_s, u"LANTERNS - Late.txt"_s);
        LibraryTree tree;
        scanCacheFolder(lib.cachePath(), tree);
        const QString before = describe(tree);
        const TreeNodeRecords snapshot = TakeTreeSnapshot(tree);

        LibraryNode *wick = tree.find(u"L/Lanterns - Wick.txt"_s);
        tree.setImage(wick, 11);
        tree.setChecked(wick, true);
        tree.setTag(tree.find(u"lanterns"_s), u"filterchecked"_s);
        tree.remove(tree.find(u"moth"_s));
        filterTree(tree, u"la"_s);
        if (clearedBetween)
            tree.clear();
        RestoreTree(tree, snapshot);

        QCOMPARE(describe(tree), before);
        verifyConsistent(tree);
        for (int i = 1; i <= tree.count(); ++i) {
            const LibraryNode *n = tree.node(i);
            QVERIFY(!n->Bold && !n->Checked && n->Tag.isEmpty() && n->inTree());
        }
        // The late song still belongs to the artist, at its place in the collection.
        QCOMPARE(tree.node(4)->Key, u"T/LANTERNS - Late.txt"_s);
        QCOMPARE(tree.node(4)->Parent, tree.node(1));
    }

    void searchFoldsCase_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("found");
        QTest::newRow("ascii") << u"Help!"_s << u"ELP"_s << true;
        QTest::newRow("accented capital") << u"CAFÉ AURORA"_s << u"café"_s << true;
        QTest::newRow("n tilde") << u"Niña"_s << u"NIÑ"_s << true;
        QTest::newRow("greek") << u"ΣΟΦΙΑ"_s << u"σοφ"_s << true;
        QTest::newRow("outside the basic plane") << u"x𝐀y"_s << u"𝐀"_s << true;
        QTest::newRow("accents do not matter") << u"Cafe"_s << u"café"_s << true;
        QTest::newRow("nor do strokes") << u"Ødegaard"_s << u"ode"_s << true;
        QTest::newRow("other letters do") << u"Cafe"_s << u"cafés"_s << false;
    }

    void searchFoldsCase()
    {
        QFETCH(QString, text);
        QFETCH(QString, search);
        QFETCH(bool, found);
        QCOMPARE(foldForMatching(text).contains(foldForMatching(search)), found);
        LibraryTree tree;
        LibraryNode *artist = tree.appendNew(nullptr, u"a"_s, text, 9);
        tree.appendNew(artist, u"A/x"_s, u"zzz"_s, 10);
        QCOMPARE(filterTree(tree, search).Artists, found ? 1 : 0);
    }

    void modelFollowsTheTree()
    {
        LibraryTree tree;
        LibraryTreeModel model(tree);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTreeView view;
        view.setModel(&model);

        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        for (int i = 0; i < 20; ++i)
            lib.song(QString(QChar(u'A' + i % 5)), u"Artist%1 - Song%2.txt"_s.arg(i % 7).arg(i), "x", i % 3 == 0);
        scanCacheFolder(lib.cachePath(), tree);
        view.expandAll();
        QCOMPARE(model.rowCount(), int(tree.roots().size()));

        LibraryNode *first = tree.roots().front();
        const QModelIndex firstIndex = model.indexOf(first);
        QCOMPARE(model.nodeAt(firstIndex), first);
        QCOMPARE(model.data(firstIndex).toString(), first->Text);
        QCOMPARE(model.rowCount(firstIndex), int(first->Children.size()));
        QCOMPARE(model.parent(model.index(0, 0, firstIndex)), firstIndex);
        QVERIFY(!model.data(firstIndex, Qt::CheckStateRole).isValid());

        tree.remove(first->Children.back());
        tree.remove(tree.roots().back());
        tree.setBold(tree.roots().front(), true);
        QVERIFY(model.data(model.index(0, 0), Qt::FontRole).value<QFont>().bold());

        model.setCheckBoxesVisible(true);
        QSignalSpy checks(&model, &LibraryTreeModel::nodeCheckChanged);
        QVERIFY(model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(checks.size(), 1);
        QVERIFY(tree.roots().front()->Checked);
        QCOMPARE(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));

        const TreeNodeRecords snapshot = TakeTreeSnapshot(tree);
        tree.clear();
        QCOMPARE(model.rowCount(), 0);
        RestoreTree(tree, snapshot);
        view.expandAll();
        QCOMPARE(model.rowCount(), int(tree.roots().size()));
    }

    void filterCheckGivesTheSamePicturesOnEitherThread_data()
    {
        QTest::addColumn<bool>("onTheWorker");
        QTest::newRow("worker") << true;
        QTest::newRow("window's thread") << false;
    }

    void filterCheckGivesTheSamePicturesOnEitherThread()
    {
        QFETCH(bool, onTheWorker);
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        QStringList expected = buildLargeArtist(lib, 300);
        LibraryTree tree;
        scanCacheFolder(lib.cachePath(), tree);
        // A file that cannot be read keeps its song's picture.
        QVERIFY(QFile::remove(lib.cachePath() + expected.first()));
        lib.folder(expected.takeFirst());

        FilterMarkCheck check(tree);
        check.setForegroundBudget(onTheWorker ? std::chrono::nanoseconds(0) : std::chrono::hours(1));
        QSignalSpy idle(&check, &FilterMarkCheck::idle);
        check.check(lib.cachePath(), songsToCheck(tree.find(u"big"_s)));
        QCOMPARE(check.busy(), onTheWorker);
        if (onTheWorker) {
            // Nothing is set before the window's thread takes the answers.
            QVERIFY(greySongs(tree).isEmpty());
            QVERIFY(idle.wait());
        }
        QCOMPARE(greySongs(tree), expected);
    }

    void filterCheckLeavesARebuiltTreeAlone_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("rescanned") << u"rescan"_s;
        QTest::newRow("rebuilt from the snapshot") << u"restore"_s;
        QTest::newRow("narrowed by a search") << u"search"_s;
        QTest::newRow("check ended") << u"end"_s;
    }

    void filterCheckLeavesARebuiltTreeAlone()
    {
        QFETCH(QString, change);
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        const QStringList unfiltered = buildLargeArtist(lib, 300);
        LibraryTree tree;
        scanCacheFolder(lib.cachePath(), tree);
        // Only a rebuild needs the snapshot: elsewhere, the checked nodes are
        // freed by the rescan.
        TreeNodeRecords snapshot;
        if (change == u"restore"_s)
            snapshot = TakeTreeSnapshot(tree);

        auto check = std::make_unique<FilterMarkCheck>(tree);
        check->setForegroundBudget(std::chrono::nanoseconds(0));
        QSignalSpy idle(check.get(), &FilterMarkCheck::idle);
        check->check(lib.cachePath(), songsToCheck(tree.find(u"big"_s)));
        // The answers reach the tree only through this thread's events: the
        // change comes first even when the worker has read everything and
        // all its answers wait in the queue, as here.
        check->waitForReads();
        QStringList expected;
        if (change == u"rescan"_s) {
            tree.clear();
            scanCacheFolder(lib.cachePath(), tree);
        } else if (change == u"restore"_s) {
            RestoreTree(tree, snapshot);
        } else if (change == u"search"_s) {
            filterTree(tree, u"Song 00"_s);
            for (const QString &key : unfiltered)
                if (key.contains(u"Song 00"_s))
                    expected << key;
        } else {
            check.reset(); // waits for the worker; its answers go with it
        }
        if (check)
            QVERIFY(idle.wait());
        QCoreApplication::processEvents();
        QCOMPARE(greySongs(tree), expected);
    }

    // At the sizes drawn at build time and at one drawn when asked (through
    // the SVG image plug-in): each picture has pixels.
    void everyPictureLoads_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("drawn at build time") << 16;
        QTest::newRow("drawn when asked") << 24;
    }
    void everyPictureLoads()
    {
        QFETCH(int, size);
        auto check = [size](const QIcon &icon, const QString &which) {
            QVERIFY2(!icon.isNull(), qPrintable(which));
            const QImage image = icon.pixmap(size, size).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            bool painted = false;
            for (int y = 0; y < size && !painted; ++y)
                for (int x = 0; x < size && !painted; ++x)
                    painted = qAlpha(image.pixel(x, y)) > 0;
            QVERIFY2(painted, qPrintable(which));
        };
        for (int i = 1; i <= 13; ++i) {
            LibraryTree tree;
            tree.appendNew(nullptr, u"k"_s, u"t"_s, quint8(i));
            LibraryTreeModel model(tree);
            check(model.data(model.index(0, 0), Qt::DecorationRole).value<QIcon>(), QString::number(i));
        }
        check(ImageList::applicationIcon(), u"the program's own"_s);
        check(ImageList::picture(u"clear"_s), u"clear"_s);
    }

    void watcherTellsTheFoldersThatChanged()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"A"_s, u"Able - One.txt"_s).song(u"B"_s, u"Bee - Two.txt"_s).folder(u"c"_s);
        LibraryWatcher watcher;
        QSignalSpy folders(&watcher, &LibraryWatcher::foldersChanged);
        watcher.watch(lib.cachePath());

        // A burst of writes in two folders is told once.
        for (int i = 0; i < 20; ++i)
            lib.song(u"B"_s, u"Bee - %1.txt"_s.arg(i));
        lib.song(u"c"_s, u"Crane - Tin.txt"_s);
        QVERIFY(folders.wait(2000));
        QCOMPARE(folders.size(), 1);
        QCOMPARE(folders[0][0].toStringList(), QStringList({u"B"_s, u"c"_s}));

        // A new letter folder is watched from then on; a removed one is told.
        lib.song(u"Z"_s, u"Zed - New.txt"_s);
        QVERIFY(folders.wait(2000));
        QCOMPARE(folders.last()[0].toStringList(), QStringList{u"Z"_s});
        QVERIFY(QFile::rename(lib.cachePath() + u"Z/Zed - New.txt"_s, lib.cachePath() + u"Z/Zed - Renamed.txt"_s));
        QVERIFY(folders.wait(2000));
        QCOMPARE(folders.last()[0].toStringList(), QStringList{u"Z"_s});
        QVERIFY(QDir(lib.cachePath() + u"A"_s).removeRecursively());
        QVERIFY(folders.wait(2000));
        QCOMPARE(folders.last()[0].toStringList(), QStringList{u"A"_s});

        // Not watching any more: nothing is told.
        watcher.watch(QString());
        const qsizetype told = folders.size();
        lib.song(u"B"_s, u"Bee - Late.txt"_s);
        QTest::qWait(LibraryWatcher::LongestWaitMs + 200);
        QCOMPARE(folders.size(), told);
    }

    void watcherTellsWhenTheWatchedFileSettles()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"A"_s, u"Able - One.txt"_s, "first");
        const QString path = lib.cachePath() + u"A/Able - One.txt"_s;
        LibraryWatcher watcher;
        QSignalSpy file(&watcher, &LibraryWatcher::fileChanged);
        watcher.watchFile(path);
        // Written in pieces, as a downloader writes: told once, when settled.
        for (const char *piece : {"sec", "ond ", "version"}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::Append));
            f.write(piece);
            f.close();
            QTest::qWait(30);
        }
        QVERIFY(file.wait(2000));
        QTest::qWait(LibraryWatcher::SettleMs + 100);
        QCOMPARE(file.size(), 1);
        QCOMPARE(file[0][0].toString(), path);
        // Replaced whole by a rename, as an atomic save does: still watched.
        LibraryBuilder(dir.path()).file(u"A/new.tmp"_s, "third");
        QFile::remove(path);
        QVERIFY(QFile::rename(lib.cachePath() + u"A/new.tmp"_s, path));
        QVERIFY(file.wait(2000));
        QFile f(path);
        QVERIFY(f.open(QIODevice::Append));
        f.write(" again");
        f.close();
        QVERIFY(file.wait(2000));
    }
};

QTEST_MAIN(TestLibrary)
#include "tst_library.moc"
