// The lyrics index: what a search finds (folding, phrases, prefixes, hostile
// input, what the downloader adds to a file), the line it shows, bringing the
// index in line with the folder, and the faults it survives.

#include "LyricsFixture.h"

#include "lyricsindex/LyricsEngine.h"
#include "lyricsindex/LyricsIndex.h"
#include "lyricsindex/LyricsQuery.h"
#include "lyricsindex/LyricsText.h"
#include "lyricsindex/SqliteDb.h"
#include "support/LibraryBuilder.h"
#include "text/Cp1252.h"
#include "text/Folding.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QByteArray lyrics(const QStringList &lines)
{
    return LibraryBuilder::crlf(lines);
}

QByteArray source(int n)
{
    return "* Downloaded from: http://www.lyrics.example/" + QByteArray::number(n) + ".html\r\n";
}

// The library every search case below looks in.
void addSearchLibrary(LibraryBuilder &lib)
{
    lib.song(u"C"_s, u"Cold Water - River Song.txt"_s,
             lyrics({u"Intro"_s, u""_s, u"We walked along the cold river"_s, u"Stone by stone the bird"_s,
                     u"and the night was long"_s})
                 + source(1))
        .song(u"R"_s, u"Rain Men - Winter.txt"_s,
              lyrics({u"The river cold tonight"_s, u"\u00dcnter the bridge we wait"_s,
                      u"[Profanity] filter used"_s})
                  + source(2))
        .song(u"K"_s, u"Kestrel Road - Night Bus.txt"_s,
              lyrics({u"Caf\u00e9 au lait in the morning"_s, u"downloaded songs on my phone"_s,
                      u"river and stone"_s})
                  + source(3))
        .song(u"M"_s, u"Moth - Flame.txt"_s,
              lyrics({u"CAFE noir at midnight"_s, u"body: moon over water"_s,
                      u"near river banks the stone lies"_s, u"the filter of light"_s})
                  + source(4))
        .song(u"T"_s, u"Tin - Paper.txt"_s, lyrics({u"moon and stars above"_s}) + source(5));
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

} // namespace

class TestLyricsIndex : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<LibraryBuilder> library;
    std::unique_ptr<LyricsEngine> sharedEngine;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        library = std::make_unique<LibraryBuilder>(dir.filePath(u"cache"_s));
        addSearchLibrary(*library);
        sharedEngine = std::make_unique<LyricsEngine>(dir.filePath(u"index"_s));
        bool ok = false;
        const LyricsSyncReport report = syncAndWait(*sharedEngine, [&] { sharedEngine->setCachePath(library->cachePath()); }, &ok);
        QVERIFY(ok);
        QCOMPARE(sharedEngine->state(), LyricsEngine::State::Ready);
        QCOMPARE(report.Added, 5);
        QVERIFY(report.Complete);
    }

    void cleanupTestCase()
    {
        sharedEngine.reset();
    }

    // The index's words are the program's: for every character a lyrics
    // file can hold, and for letters beyond, the tokenizer gives the words
    // foldedWords gives, folded alike.
    void tokenizerGivesTheProgramsWords()
    {
        SqliteDb db;
        QVERIFY(db.open(u":memory:"_s, true));
        QVERIFY(db.exec("CREATE VIRTUAL TABLE t USING fts5(x, tokenize='stanzabox_words');"
                        "CREATE VIRTUAL TABLE v USING fts5vocab(t, 'instance');"));
        SqliteStatement insert = db.prepare("INSERT INTO t(rowid, x) VALUES(1, ?1)");
        SqliteStatement terms = db.prepare("SELECT term FROM v ORDER BY offset");
        const QStringList extra = {u"cafe\u0301 \u01d6 \u0130x \u0101b"_s, u"\u0141\u00f3d\u017a \u0110ur\u0111evac \u0126al"_s,
                                   u"\u1e9e \ufb03x \u01fe \u01fc don't"_s, u"\U0001D400\U00010400b x\u0301\u0301 \u0301"_s,
                                   u"\u0439\u043e\u0434 \u03ac\u03a3 a\u00b7b"_s};
        for (int b = 0; b < 256 + extra.size(); ++b) {
            const QString text = b < 256 ? u"q"_s + Cp1252::decode(QByteArray(1, char(b))) + u"q"_s : extra[b - 256];
            QVERIFY(db.exec("DELETE FROM t"));
            QVERIFY(insert.bind(1, text) && insert.run());
            QStringList indexed;
            while (terms.step() == SqliteStatement::Step::Row)
                indexed << terms.text(0);
            terms.reset();
            const FoldedWords words = foldedWords(text);
            QStringList mine;
            for (const FoldedWords::Word &w : words.List)
                mine << words.folded(w).toString();
            QVERIFY2(mine == indexed,
                     qPrintable(u"byte %1: %2 against %3"_s.arg(b).arg(mine.join(u','), indexed.join(u','))));
        }
        // Every letter of the code page is typed in plain letters.
        const QString letters = Cp1252::decode("\x8A\x8C\x8E\x9A\x9C\x9E\x9F\xC0\xC6\xD0\xD8\xDE\xDF\xE6\xF0\xF8\xFE\xFF");
        QCOMPARE(foldForMatching(letters), u"soezsoezyaaedothssaedothy"_s);
    }

    void expression_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expression");
        QTest::newRow("words, the last one started") << u"cold riv"_s << u"\"cold\" \"riv\"*"_s;
        QTest::newRow("a closed phrase is a phrase") << u"\"cold river\""_s << u"\"cold river\""_s;
        QTest::newRow("an open phrase goes on") << u"\"cold riv"_s << u"\"cold riv\"*"_s;
        QTest::newRow("a quote inside a word ends it") << u"cold\"river"_s << u"\"cold\" \"river\"*"_s;
        QTest::newRow("two letters start a word") << u"hold me"_s << u"\"hold\" \"me\"*"_s;
        QTest::newRow("a single letter waits") << u"hold me t"_s << u"\"hold\" \"me\""_s;
        QTest::newRow("in an open phrase too") << u"\"hold me t"_s << u"\"hold me \""_s;
        QTest::newRow("a contraction is kept whole") << u"don't"_s << u"\"don't\""_s;
        QTest::newRow("syntax is text") << u"NEAR(river stone) OR -xyz"_s
                                        << u"\"NEAR(river\" \"stone)\" \"OR\" \"-xyz\"*"_s;
        QTest::newRow("column filter is text") << u"body:moon"_s << u"\"body:moon\"*"_s;
        QTest::newRow("nothing but marks") << u"\" * ( ) {} ^ + -"_s << QString();
        QTest::newRow("control characters are spaces") << u"river\u0000stone\tbird"_s
                                                       << u"\"river\" \"stone\" \"bird\"*"_s;
    }

    void expression()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expression);
        const LyricsQuery query(typed);
        QCOMPARE(query.matchExpression(), expression);
        QCOMPARE(query.isEmpty(), expression.isEmpty());
    }

    void finds_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("titles"); // sorted
        const QString cold = u"Cold Water - River Song"_s;
        const QString rain = u"Rain Men - Winter"_s;
        const QString kestrel = u"Kestrel Road - Night Bus"_s;
        const QString moth = u"Moth - Flame"_s;
        const QString tin = u"Tin - Paper"_s;
        const QStringList river = {cold, kestrel, moth, rain};

        QTest::newRow("diacritics: unter finds \u00dcnter") << u"unter"_s << QStringList{rain};
        QTest::newRow("diacritics: cafe finds Caf\u00e9 and CAFE") << u"cafe"_s << QStringList{kestrel, moth};
        QTest::newRow("case: CAF\u00c9 finds cafe") << u"CAF\u00c9"_s << QStringList{kestrel, moth};
        QTest::newRow("words in any order") << u"river cold"_s << QStringList{cold, rain};
        QTest::newRow("phrase in its order") << u"\"cold river\""_s << QStringList{cold};
        QTest::newRow("phrase the other way") << u"\"river cold\""_s << QStringList{rain};
        QTest::newRow("open phrase, last word started") << u"\"cold riv"_s << QStringList{cold};
        QTest::newRow("last word as a prefix") << u"riv"_s << river;
        QTest::newRow("two letters, the start of a word") << u"ri"_s << river;
        QTest::newRow("closed phrase is no prefix") << u"\"riv\""_s << QStringList{};
        QTest::newRow("artist and title") << u"kestrel night bus"_s << QStringList{kestrel};
        QTest::newRow("source line not found") << u"Downloaded"_s << QStringList{kestrel};
        QTest::newRow("source address not found") << u"lyrics example html"_s << QStringList{};
        QTest::newRow("filter mark not found") << u"Profanity"_s << QStringList{};
        QTest::newRow("filter as a word of the song") << u"filter"_s << QStringList{moth};

        // Whatever is typed is text.
        QTest::newRow("a\"b") << u"cold\"river"_s << QStringList{cold, rain};
        QTest::newRow("-x is no exclusion") << u"river -stone"_s << QStringList{cold, kestrel, moth};
        QTest::newRow("x:y is no column filter") << u"body:moon"_s << QStringList{moth};
        QTest::newRow("AND is a word") << u"river AND stone"_s << QStringList{cold, kestrel};
        QTest::newRow("AND alone") << u"AND"_s << QStringList{cold, kestrel, tin};
        QTest::newRow("OR is a word") << u"river OR tin"_s << QStringList{};
        QTest::newRow("NOT first") << u"NOT stone"_s << QStringList{};
        QTest::newRow("NEAR(a b)") << u"NEAR(river stone)"_s << QStringList{moth};
        QTest::newRow("(") << u"(river"_s << river;
        QTest::newRow(")") << u"river)"_s << river;
        QTest::newRow("^a") << u"^river"_s << river;
        QTest::newRow("{}") << u"{river}"_s << river;
        QTest::newRow("*") << u"riv*"_s << river;
        QTest::newRow("+") << u"river + stone"_s << QStringList{cold, kestrel, moth};
        QTest::newRow("NUL") << u"river\u0000stone"_s << QStringList{cold, kestrel, moth};
        QTest::newRow("a bare a\"b") << u"a\"b"_s << QStringList{};
        QTest::newRow("a bare x:y") << u"x:y"_s << QStringList{};
        QTest::newRow("a bare NEAR(a b)") << u"NEAR(a b)"_s << QStringList{};
    }

    void finds()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, titles);
        const LyricsSearchResult result = sharedEngine->search(typed);
        QCOMPARE(result.State, LyricsSearchResult::Status::Found);
        QCOMPARE(titlesOf(result, true), titles);
        QCOMPARE(result.Total, int(titles.size()));
        QVERIFY(result.Ranked);
        QVERIFY(!result.StillIndexing);
    }

    // Too many matches to rank while the user types: the first ones in the
    // order they were indexed, and the count of all.
    void unrankedWhenTooMany()
    {
        LyricsIndex index;
        QVERIFY(index.openForReading(sharedEngine->indexFile()));
        const QString river = LyricsQuery(u"river"_s).matchExpression();
        LyricsIndex::Hits hits;
        QVERIFY(index.search(river, 3, hits, {}, 2));
        QVERIFY(!hits.Ranked);
        QCOMPARE(hits.Total, 4);
        QCOMPARE(hits.Keys, (std::vector<QString>{u"C/Cold Water - River Song.txt"_s,
                                                  u"K/Kestrel Road - Night Bus.txt"_s, u"M/Moth - Flame.txt"_s}));
        QVERIFY(index.search(river, 3, hits, {}, 4));
        QVERIFY(hits.Ranked);
        QCOMPARE(hits.Total, 4);
        QCOMPARE(hits.Keys.size(), size_t(3));
    }

    // Out of time while counting: the first page found, the count so far.
    void tooManyToCountInTimeIsCut()
    {
        QTemporaryDir local;
        LibraryBuilder lib(local.filePath(u"cache"_s));
        for (int i = 0; i < 1000; ++i)
            lib.song(u"L"_s, u"La - Song %1.txt"_s.arg(i), "la la la\r\n");
        LyricsEngine many(local.filePath(u"index"_s));
        syncAndWait(many, [&] { many.setCachePath(lib.cachePath()); });
        LyricsIndex index;
        QVERIFY(index.openForReading(many.indexFile()));
        const QString la = LyricsQuery(u"\"la\""_s).matchExpression();
        LyricsIndex::Hits hits;
        QVERIFY(index.search(la, 3, hits, std::chrono::nanoseconds(1)));
        QVERIFY(hits.Cut && !hits.Ranked);
        QCOMPARE(hits.Keys.size(), size_t(3));
        QVERIFY(hits.Total >= 3 && hits.Total < 1000);
        QVERIFY(index.search(la, 3, hits));
        QVERIFY(!hits.Cut);
        QCOMPARE(hits.Total, 1000);
    }

    void nothingToLookFor_data()
    {
        QTest::addColumn<QString>("typed");
        for (const QString &t : {u"\""_s, u"\"\""_s, u"*"_s, u"-"_s, u"("_s, u")"_s, u"{}"_s, u"^"_s, u"+"_s,
                                 u"\u0000"_s, u"r"_s, u"   "_s})
            QTest::newRow(qPrintable(t.isEmpty() || t.at(0).unicode() == 0 ? u"NUL"_s : t)) << t;
    }

    void nothingToLookFor()
    {
        QFETCH(QString, typed);
        const LyricsSearchResult result = sharedEngine->search(typed);
        QCOMPARE(result.State, LyricsSearchResult::Status::NoQuery);
        QVERIFY(result.Matches.empty());
    }

    void bestFirstWithTheLine()
    {
        QTemporaryDir local;
        LibraryBuilder lib(local.filePath(u"cache"_s));
        QStringList longSong;
        for (int i = 0; i < 40; ++i)
            longSong << u"words that say nothing much at all"_s;
        longSong[25] = u"an ember in the dark"_s;
        lib.song(u"A"_s, u"Ash - Long.txt"_s, lyrics(longSong))
            .song(u"E"_s, u"Ember - Glow.txt"_s, lyrics({u"ember ember"_s, u"ember shines"_s}))
            .song(u"F"_s, u"Fire - Some.txt"_s, lyrics({u"one line"_s, u"then an ember or two embers"_s}));
        LyricsEngine local_engine(local.filePath(u"index"_s));
        syncAndWait(local_engine, [&] { local_engine.setCachePath(lib.cachePath()); });

        const LyricsSearchResult r = local_engine.search(u"ember"_s);
        QCOMPARE(titlesOf(r, false).first(), u"Ember - Glow"_s); // most, in the shortest text
        QCOMPARE(titlesOf(r, false).last(), u"Ash - Long"_s);    // once, in the longest
        const LyricsMatch &ash = r.Matches.back();
        QCOMPARE(ash.Key, u"A/Ash - Long.txt"_s);
        QCOMPARE(ash.Line, 26);
        QCOMPARE(ash.LineText, u"an ember in the dark"_s);
        QCOMPARE(ash.LineSpans, (std::vector<TextSpan>{{3, 5}}));
        QCOMPARE(htmlWithBold(ash.LineText, ash.LineSpans), u"an <b>ember</b> in the dark"_s);

        // The last word as the start of a word: both forms on the line in bold.
        const LyricsSearchResult started = local_engine.search(u"then emb"_s);
        QCOMPARE(titlesOf(started, false), QStringList{u"Fire - Some"_s});
        QCOMPARE(started.Matches[0].Line, 2);
        QCOMPARE(htmlWithBold(started.Matches[0].LineText, started.Matches[0].LineSpans),
                 u"<b>then</b> an <b>ember</b> or two <b>embers</b>"_s);
        // Words found in the name only: no line.
        const LyricsSearchResult byName = local_engine.search(u"glow"_s);
        QCOMPARE(byName.Matches.size(), size_t(1));
        QCOMPARE(byName.Matches[0].Line, 0);
        QCOMPARE(htmlWithBold(byName.Matches[0].Title, byName.Matches[0].TitleSpans), u"Ember - <b>Glow</b>"_s);
    }

    void oversizedAndBinaryFiles()
    {
        QTemporaryDir local;
        LibraryBuilder lib(local.filePath(u"cache"_s));
        QByteArray big = "alpha starts the song\r\n";
        while (big.size() <= LyricsText::kMaxIndexedBytes)
            big += "filler words to make it long\r\n";
        big += "omega ends it\r\n";
        QByteArray junk = randomBytes(70000, 7);
        junk.insert(30000, " zebra ");
        lib.song(u"B"_s, u"Big - File.txt"_s, big)
            .song(u"J"_s, u"Junk - Bytes.txt"_s, junk)
            .song(u"J"_s, u"Junk - Empty.txt"_s, QByteArray());
        LyricsEngine local_engine(local.filePath(u"index"_s));
        const LyricsSyncReport report = syncAndWait(local_engine, [&] { local_engine.setCachePath(lib.cachePath()); });
        QVERIFY(report.Complete);
        QCOMPARE(report.Read, 3);
        QCOMPARE(titlesOf(local_engine.search(u"alpha"_s), false), QStringList{u"Big - File"_s});
        QCOMPARE(local_engine.search(u"omega"_s).Total, 0); // beyond the limit
        QCOMPARE(titlesOf(local_engine.search(u"zebra"_s), false), QStringList{u"Junk - Bytes"_s});
        QCOMPARE(titlesOf(local_engine.search(u"empty"_s), false), QStringList{u"Junk - Empty"_s});
    }

    // A pass reads only what is new or changed by size or time, and forgets
    // what has gone; one song is written or removed at once.
    void syncTouchesOnlyWhatChanged_data()
    {
        QTest::addColumn<int>("mostKeysKept");
        QTest::newRow("the songs to read kept") << 4096;
        QTest::newRow("their folders listed again in turn") << 1;
    }

    void syncTouchesOnlyWhatChanged()
    {
        QFETCH(int, mostKeysKept);
        QTemporaryDir local;
        LibraryBuilder lib(local.filePath(u"cache"_s));
        lib.song(u"A"_s, u"Ant - One.txt"_s, lyrics({u"apple orchard"_s}))
            .song(u"B"_s, u"Bee - Two.txt"_s, lyrics({u"banana grove"_s}))
            .song(u"C"_s, u"Cat - Three.txt"_s, lyrics({u"cherry tree"_s}))
            .song(u"D"_s, u"Dog - Four.txt"_s, lyrics({u"date palm"_s}))
            .file(u"D/notes.kas"_s, "not a song")
            .file(u"D/.hidden.txt"_s, lyrics({u"hidden words"_s}))
            .file(u"d2/Elk - Five.txt"_s, lyrics({u"elder bush"_s}));
        LyricsEngine local_engine(local.filePath(u"index"_s));
        local_engine.setMostKeysKept(std::size_t(mostKeysKept));
        LyricsSyncReport report = syncAndWait(local_engine, [&] { local_engine.setCachePath(lib.cachePath()); });
        QCOMPARE(report.Listed, 4);
        QCOMPARE(report.Read, 4);
        QCOMPARE(local_engine.search(u"hidden"_s).Total, 0);
        QCOMPARE(local_engine.search(u"elder"_s).Total, 0);

        // New, changed in size, changed in time only, gone, unchanged.
        lib.song(u"E"_s, u"Emu - Six.txt"_s, lyrics({u"fig leaf"_s}));
        lib.song(u"A"_s, u"Ant - One.txt"_s, lyrics({u"apricot jam and more"_s}));
        {
            QFile b(lib.cachePath() + u"B/Bee - Two.txt"_s);
            QVERIFY(b.open(QIODevice::ReadWrite));
            QVERIFY(b.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        }
        QVERIFY(QFile::remove(lib.cachePath() + u"C/Cat - Three.txt"_s));
        report = syncAndWait(local_engine, [&] { local_engine.resync(); });
        QCOMPARE(report.Listed, 4);
        QCOMPARE(report.Added, 1);
        QCOMPARE(report.Changed, 2);
        QCOMPARE(report.Removed, 1);
        QCOMPARE(report.Read, 3);
        QCOMPARE(local_engine.search(u"apple"_s).Total, 0); // the old text of a changed song
        QCOMPARE(local_engine.search(u"apricot"_s).Total, 1);
        QCOMPARE(local_engine.search(u"banana"_s).Total, 1);
        QCOMPARE(local_engine.search(u"cherry"_s).Total, 0);
        QCOMPARE(local_engine.search(u"fig"_s).Total, 1);

        report = syncAndWait(local_engine, [&] { local_engine.resync(); });
        QCOMPARE(report.Listed, 4);
        QCOMPARE(report.Read + report.Added + report.Changed + report.Removed, 0);

        // Edit and Delete, without a pass.
        QSignalSpy changed(&local_engine, &LyricsEngine::songsChanged);
        lib.song(u"D"_s, u"Dog - Four.txt"_s, lyrics({u"dragon fruit"_s}));
        local_engine.songChanged(u"D/Dog - Four.txt"_s);
        QVERIFY(changed.wait(10000));
        QCOMPARE(local_engine.search(u"dragon"_s).Total, 1);
        QCOMPARE(local_engine.search(u"date"_s).Total, 0);
        QVERIFY(QFile::remove(lib.cachePath() + u"D/Dog - Four.txt"_s));
        local_engine.songRemoved(u"D/Dog - Four.txt"_s);
        QVERIFY(changed.wait(10000));
        QCOMPARE(local_engine.search(u"dragon"_s).Total, 0);
        report = syncAndWait(local_engine, [&] { local_engine.resync(); });
        QCOMPARE(report.Removed, 0); // already out
        QCOMPARE(report.Read, 0);

        // A whole letter folder gone: its songs leave the index, the others stay.
        QVERIFY(QDir(lib.cachePath() + u"E"_s).removeRecursively());
        report = syncAndWait(local_engine, [&] { local_engine.resync(); });
        QCOMPARE(report.Removed, 1);
        QCOMPARE(local_engine.search(u"fig"_s).Total, 0);
        QCOMPARE(local_engine.search(u"banana"_s).Total, 1);
    }

    // A cache folder that is not there (a drive not mounted) is not an empty
    // library: the index waits for it, and nothing has to be read again.
    void missingCacheFolderKeepsTheIndex()
    {
        QTemporaryDir local;
        LibraryBuilder lib(local.filePath(u"cache"_s));
        lib.song(u"A"_s, u"Ant - One.txt"_s, lyrics({u"apple orchard"_s}))
            .song(u"B"_s, u"Bee - Two.txt"_s, lyrics({u"banana grove"_s}));
        LyricsEngine engine(local.filePath(u"index"_s));
        syncAndWait(engine, [&] { engine.setCachePath(lib.cachePath()); });
        const QString away = local.filePath(u"away"_s);
        QVERIFY(QDir().rename(local.filePath(u"cache"_s), away));
        syncAndWait(engine, [&] { engine.resync(); });
        QCOMPARE(engine.state(), LyricsEngine::State::Unavailable);
        QVERIFY2(engine.unavailableReason().contains(u"cache folder"_s), qPrintable(engine.unavailableReason()));
        QCOMPARE(engine.search(u"apple"_s).State, LyricsSearchResult::Status::NotAvailable);

        QVERIFY(QDir().rename(away, local.filePath(u"cache"_s)));
        const LyricsSyncReport report = syncAndWait(engine, [&] { engine.resync(); });
        QCOMPARE(report.Listed, 2);
        QCOMPARE(report.Read + report.Removed, 0);
        QCOMPARE(engine.search(u"apple"_s).Total, 1);

        // No cache folder at all: nothing is indexed from anywhere else.
        engine.setCachePath(QString());
        QCOMPARE(engine.state(), LyricsEngine::State::Unavailable);
        QCOMPARE(engine.search(u"apple"_s).State, LyricsSearchResult::Status::NotAvailable);
    }

    void goneFileIsDroppedNotShown()
    {
        QTemporaryDir local;
        LibraryBuilder lib(local.filePath(u"cache"_s));
        lib.song(u"G"_s, u"Gull - Here.txt"_s, lyrics({u"seaside town"_s}))
            .song(u"H"_s, u"Heron - Gone.txt"_s, lyrics({u"seaside cliff"_s}));
        LyricsEngine local_engine(local.filePath(u"index"_s));
        syncAndWait(local_engine, [&] { local_engine.setCachePath(lib.cachePath()); });
        QVERIFY(QFile::remove(lib.cachePath() + u"H/Heron - Gone.txt"_s));

        QSignalSpy changed(&local_engine, &LyricsEngine::songsChanged);
        LyricsSearchResult r = local_engine.search(u"seaside"_s);
        QCOMPARE(titlesOf(r, false), QStringList{u"Gull - Here"_s});
        QCOMPARE(r.Total, 1);
        QVERIFY(changed.wait(10000)); // and out of the index: a pass has nothing to remove
        const LyricsSyncReport report = syncAndWait(local_engine, [&] { local_engine.resync(); });
        QCOMPARE(report.Listed, 1);
        QCOMPARE(report.Removed, 0);
        QVERIFY(!local_engine.songExists(u"H/Heron - Gone.txt"_s));
        QVERIFY(local_engine.songExists(u"G/Gull - Here.txt"_s));
    }

    void damagedIndexIsRebuilt_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("garbage bytes") << u"garbage"_s;
        QTest::newRow("another schema version") << u"version"_s;
        QTest::newRow("the index of another folder") << u"folder"_s;
        QTest::newRow("pages overwritten") << u"pages"_s;
    }

    void damagedIndexIsRebuilt()
    {
        QFETCH(QString, damage);
        QTemporaryDir local;
        LibraryBuilder lib(local.filePath(u"cache"_s));
        for (int i = 0; i < 50; ++i)
            lib.song(u"S"_s, u"Singer - Song %1.txt"_s.arg(i), lyrics({u"common words here"_s, u"unique%1"_s.arg(i)}));
        const QString folder = local.filePath(u"index"_s);
        const QString file = LyricsIndex::fileFor(folder, lib.cachePath());
        QDir().mkpath(folder);
        if (damage == u"garbage"_s) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(randomBytes(65536, 11));
        } else if (damage == u"version"_s) {
            SqliteDb db;
            QVERIFY(db.open(file, true));
            QVERIFY(db.exec("PRAGMA user_version = 99; CREATE TABLE files(x); INSERT INTO files VALUES(1);"));
        } else {
            // A sound index first, closed before it is tampered with.
            LibraryBuilder otherLib(local.filePath(u"other"_s));
            otherLib.song(u"O"_s, u"Other - Song.txt"_s, lyrics({u"unique7 elsewhere"_s}));
            const QString cache = damage == u"folder"_s ? otherLib.cachePath() : lib.cachePath();
            QString made;
            {
                LyricsEngine first(folder);
                syncAndWait(first, [&] { first.setCachePath(cache); });
                QCOMPARE(first.state(), LyricsEngine::State::Ready);
                made = first.indexFile();
            }
            if (damage == u"folder"_s)
                QVERIFY(QFile::rename(made, file));
        }
        if (damage == u"pages"_s) {
            // The first page (the schema) stays; everything after it is noise.
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 size = f.size();
            QVERIFY(size > 8192);
            f.seek(4096);
            f.write(randomBytes(int(size - 4096), 13));
            QFile::remove(file + u"-wal"_s);
            QFile::remove(file + u"-shm"_s);
        }

        LyricsEngine engine(folder);
        engine.setCachePath(lib.cachePath());
        // Damage found later (in a query) makes a second pass: wait for the
        // index to answer.
        QTRY_COMPARE_WITH_TIMEOUT(engine.search(u"unique7"_s).Total, 1, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(engine.state(), LyricsEngine::State::Ready, 30000);
        QCOMPARE(engine.search(u"common words"_s).Total, 50);
        QCOMPARE(titlesOf(engine.search(u"unique7"_s), false), QStringList{u"Singer - Song 7"_s});
        QVERIFY(engine.lastReport().Rebuilt);
    }

    // Damage that shows only when a search reads the words: the search says
    // so, the index is dropped and built again, and later searches find.
    void damageFoundBySearch()
    {
        QTemporaryDir local;
        LibraryBuilder lib(local.filePath(u"cache"_s));
        for (int i = 0; i < 200; ++i)
            lib.song(u"S"_s, u"Singer - Song %1.txt"_s.arg(i), lyrics({u"common words here"_s, u"unique%1"_s.arg(i)}));
        LyricsEngine engine(local.filePath(u"index"_s));
        syncAndWait(engine, [&] { engine.setCachePath(lib.cachePath()); });
        {
            SqliteDb db;
            QVERIFY(db.open(engine.indexFile(), false));
            QVERIFY(db.exec("PRAGMA wal_checkpoint(TRUNCATE)"));
        }
        QFile f(engine.indexFile());
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(4096);
        f.write(randomBytes(int(f.size() - 4096), 17));
        f.close();

        QSignalSpy synced(&engine, &LyricsEngine::synced);
        const LyricsSearchResult first = engine.search(u"\"unique12\""_s);
        QCOMPARE(first.State, LyricsSearchResult::Status::NotAvailable);
        QVERIFY2(first.Message.contains(u"damaged"_s), qPrintable(first.Message));
        QVERIFY(synced.wait(30000));
        QVERIFY(engine.lastReport().Rebuilt);
        QCOMPARE(titlesOf(engine.search(u"\"unique12\""_s), false), QStringList{u"Singer - Song 12"_s});
    }

    void unwritableLocation_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::newRow("a file where the folder should be") << u"folder"_s;
        QTest::newRow("a folder where the file should be") << u"file"_s;
    }

    void unwritableLocation()
    {
        QFETCH(QString, blocker);
        QTemporaryDir local;
        LibraryBuilder lib(local.filePath(u"cache"_s));
        lib.song(u"A"_s, u"Ant - One.txt"_s, lyrics({u"apple"_s}));
        QString folder = local.filePath(u"index"_s);
        if (blocker == u"folder"_s) {
            QFile f(folder);
            QVERIFY(f.open(QIODevice::WriteOnly));
            folder += u"/inside"_s;
        } else {
            QVERIFY(QDir().mkpath(LyricsIndex::fileFor(folder, lib.cachePath())));
        }
        LyricsEngine engine(folder);
        engine.setCachePath(lib.cachePath());
        QTRY_COMPARE_WITH_TIMEOUT(engine.state(), LyricsEngine::State::Unavailable, 20000);
        QVERIFY(!engine.unavailableReason().isEmpty());
        const LyricsSearchResult r = engine.search(u"apple"_s);
        QCOMPARE(r.State, LyricsSearchResult::Status::NotAvailable);
        QVERIFY2(r.Message.startsWith(u"Lyrics search is not available: "_s), qPrintable(r.Message));
        // F5 tries again, and fails the same way, quietly.
        engine.resync();
        QTRY_COMPARE_WITH_TIMEOUT(engine.state(), LyricsEngine::State::Unavailable, 20000);
    }

    // Closing the program in the middle of a first build: the worker stops
    // at once, what it committed stays, and the next start goes on from there.
    void stoppingABigBuildIsPrompt()
    {
        QTemporaryDir local;
        LibraryBuilder lib(local.filePath(u"cache"_s));
        QByteArray text;
        for (int l = 0; l < 30; ++l)
            text += "some words for a line of the song here\r\n";
        constexpr int songs = 6000;
        for (int i = 0; i < songs; ++i)
            lib.song(QString(QChar(u'A' + i % 26)), u"Artist%1 - Song%2.txt"_s.arg(i % 26).arg(i), text);

        auto engine = std::make_unique<LyricsEngine>(local.filePath(u"index"_s));
        QSignalSpy progress(engine.get(), &LyricsEngine::progress);
        engine->setCachePath(lib.cachePath());
        // The first batch is in.
        QTRY_VERIFY_WITH_TIMEOUT(progress.size() >= 2, 30000);
        QElapsedTimer timer;
        timer.start();
        engine.reset();
        const qint64 stopMs = timer.elapsed();
        QVERIFY2(stopMs < 1000, qPrintable(u"stopping took %1 ms"_s.arg(stopMs)));

        LyricsEngine again(local.filePath(u"index"_s));
        const LyricsSyncReport report = syncAndWait(again, [&] { again.setCachePath(lib.cachePath()); });
        QVERIFY(report.Complete);
        QCOMPARE(report.Listed, songs);
        QVERIFY2(report.Read < songs, "the first run committed nothing");
        QCOMPARE(report.Read, report.Added);
        const LyricsSyncReport after = syncAndWait(again, [&] { again.resync(); });
        QCOMPARE(after.Listed, songs);
        QCOMPARE(after.Read, 0);
        QCOMPARE(titlesOf(again.search(u"song5999"_s), false), QStringList{u"Artist19 - Song5999"_s});
    }
};

int runLyricsIndexTests(int argc, char **argv)
{
    TestLyricsIndex t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_lyricsindex.moc"
