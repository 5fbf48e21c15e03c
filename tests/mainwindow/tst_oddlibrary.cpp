// Libraries as they come: odd names, empty and huge files, leftovers, loops.

#include "library/LibraryScan.h"
#include "library/SongNames.h"
#include "widgets/LibraryTreeModel.h"
#include "lists/ListsModel.h"
#include "widgets/LibraryTreeView.h"
#include "mainwindow/MainWindowFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every song node's key, in tree order.
QStringList songKeys(const LibraryTree &tree)
{
    QStringList keys;
    for (const LibraryNode *artist : tree.roots())
        for (const LibraryNode *song : artist->Children)
            keys << song->Key;
    return keys;
}

void buildOddLibrary(LibraryBuilder &lib)
{
    QByteArray huge;
    huge.reserve(10 * 1024 * 1024 + 100);
    while (huge.size() < 10 * 1024 * 1024)
        huge += "A long line of words that goes on, and on, and on; it never ends at all.\r\n";
    huge += "* Downloaded from: http://www.huge.example/song.html\r\n";
    lib.song(u"C"_s, u"Caf\u00e9 \u00d8rsted - \u00dcn\u00efcode Song.txt"_s, "Caf\xe9\r\n")
        .song(u"Q"_s, u"\"Quoted\" - It's \"Here\".txt"_s)
        .song(u"S"_s, u"Salt & Pepper - #1 + 2 = 100%.txt"_s)
        .song(u"L"_s, u"  Leading - Trailing  .txt"_s)
        .song(u"A"_s, u"A - B - C - D.txt"_s)
        .song(u"N"_s, u"NoDash.txt"_s)
        .song(u"E"_s, u"Empty - Song.txt"_s, QByteArray())
        .song(u"H"_s, u"Huge - Song.txt"_s, huge)
        .file(u"O/Orphan - Only.kas"_s, "FaV1;\r\n")
        .folder(u"F/Folder - Song.txt"_s)
        .song(u"F"_s, u"Folder - Real.txt"_s);
    // Links that lead back into the library.
    QFile::link(lib.cachePath(), lib.cachePath() + u"B"_s);
    QFile::link(lib.cachePath() + u"F"_s, lib.cachePath() + u"F/Loop - Back.txt"_s);
    QFile::link(lib.cachePath() + u"A/A - B - C - D.txt"_s, lib.cachePath() + u"A/A - Linked.txt"_s);
}

} // namespace

class TestOddLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsWhatItCan()
    {
        Window w;
        buildOddLibrary(w.lib);
        w.open();
        QCOMPARE(songKeys(w.form->libraryTree()),
                 QStringList({u"A/A - B - C - D.txt"_s, u"A/A - Linked.txt"_s, u"C/Caf\u00e9 \u00d8rsted - \u00dcn\u00efcode Song.txt"_s,
                              u"E/Empty - Song.txt"_s, u"F/Folder - Real.txt"_s, u"H/Huge - Song.txt"_s,
                              u"L/  Leading - Trailing  .txt"_s, u"N/NoDash.txt"_s,
                              u"Q/\"Quoted\" - It's \"Here\".txt"_s, u"S/Salt & Pepper - #1 + 2 = 100%.txt"_s}));
        QCOMPARE(w.state.LyricsCount, 10);
        QCOMPARE(w.state.TimestampsCount, 0);
        QCOMPARE(w.node(u"A/A - B - C - D.txt"_s)->Text, u"D"_s);
        QCOMPARE(w.node(u"L/  Leading - Trailing  .txt"_s)->Parent->Text, u"Leading"_s);
        QCOMPARE(w.node(u"L/  Leading - Trailing  .txt"_s)->Text, u"Trailing"_s);
        QCOMPARE(w.node(u"Q/\"Quoted\" - It's \"Here\".txt"_s)->Text, u"It's \"Here\""_s);
        QCOMPARE(w.node(u"N/NoDash.txt"_s)->Parent->Text, u"(no artist)"_s);

        // Every song opens, the huge one whole.
        for (const QString &key : songKeys(w.form->libraryTree())) {
            w.click(key);
            QVERIFY2(w.platform.messages.isEmpty(), qPrintable(key));
        }
        w.click(u"H/Huge - Song.txt"_s);
        QVERIFY(w.child<QPlainTextEdit>(u"lyrics"_s)->document()->characterCount() > 10 * 1000 * 1000);
        QCOMPARE(w.label(u"lblWebsite"_s), u"www.huge.example"_s);
        w.click(u"C/Caf\u00e9 \u00d8rsted - \u00dcn\u00efcode Song.txt"_s);
        QCOMPARE(w.child<QPlainTextEdit>(u"lyrics"_s)->toPlainText(), u"Caf\u00e9\n"_s);
    }

    void searchesAndListsTakeOddNames_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("artist");
        QTest::newRow("ampersand") << u"&"_s << u"Salt & Pepper"_s;
        QTest::newRow("hash and percent") << u"100%"_s << u"Salt & Pepper"_s;
        QTest::newRow("quote") << u"\""_s << u"\"Quoted\""_s;
        QTest::newRow("letter with a mark, other case") << u"\u00fcN\u00cf"_s << u"Caf\u00e9 \u00d8rsted"_s;
    }

    void searchesAndListsTakeOddNames()
    {
        QFETCH(QString, search);
        QFETCH(QString, artist);
        Window w;
        buildOddLibrary(w.lib);
        w.open();
        w.pasteSearch(search);
        QCOMPARE(int(w.form->libraryTree().roots().size()), 1);
        LibraryNode *found = w.form->libraryTree().roots().front();
        QCOMPARE(found->Text, artist);
        // Marked for redownload and deleted under its own name.
        w.click(found->Children.front()->Key);
        w.press(frmMain::MarkRedownload);
        const QString entry = artist + u" - "_s + found->Children.front()->Text;
        QCOMPARE(w.lists.entries(ListsModel::Which::Redownload), QStringList{entry});
        w.press(frmMain::Delete);
        QCOMPARE(w.lists.entries(ListsModel::Which::Deleted), QStringList{entry});
    }

    // Names the tree keeps in UTF-16 beside those it keeps in 8 bits: found
    // by the scan, by a search, shown in the row and the heading, deleted.
    void namesOfEveryScript_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("typed");
        QTest::newRow("Latin-1") << u"S"_s << u"S\u00f8ren - \u00c6r\u00f8.txt"_s << u"aero"_s;
        QTest::newRow("Polish") << u"L"_s << u"\u0141o\u015b - \u0141\u0105ka.txt"_s << u"laka"_s;
        QTest::newRow("euro sign") << u"G"_s << u"Grosz - Cena 5 \u20ac.txt"_s << u"5 \u20ac"_s;
        QTest::newRow("CJK") << u"Z"_s << u"\u5468\u6770\u502b - \u6674\u5929.txt"_s << u"\u6674"_s;
    }

    void namesOfEveryScript()
    {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QFETCH(QString, typed);
        const QString artist = ExtractArtist(file);
        const QString title = songTitle(file).toString();
        const QString key = folder + u'/' + file;
        Window w;
        // The same artist in capitals, and another artist, in the same
        // folder: names of either kind side by side.
        w.lib.song(folder, file, "x\r\n").song(folder, artist.toUpper() + u" - Plain.txt"_s).song(folder, u"\u03a9 - Greek.txt"_s);
        w.open();
        LibraryNode *song = w.node(key);
        QVERIFY(song);
        QCOMPARE(song->Text, title);
        QCOMPARE(song->Parent->Children.size(), size_t(2));
        // Spelled as in the artist's first song.
        const QString shownArtist = song->Parent->Text;
        QCOMPARE(shownArtist.toUpper(), artist.toUpper());

        w.typeSearch(typed);
        QCOMPARE(int(w.form->libraryTree().roots().size()), 1);
        QCOMPARE(w.form->libraryTree().roots().front()->Children.front(), song);
        w.click(key);
        QCOMPARE(w.form->libraryModel().data(w.index(key), Qt::DisplayRole).toString(), title);
        QCOMPARE(w.label(u"LblSong"_s), u" "_s + shownArtist + u" - "_s + title);
        QCOMPARE(w.lyrics()->toPlainText(), u"x\n"_s);

        w.press(frmMain::Delete);
        QVERIFY(!QFileInfo::exists(w.lib.cachePath() + key));
        QVERIFY(!w.node(key));
        QCOMPARE(w.lists.entries(ListsModel::Which::Deleted), QStringList{shownArtist + u" - "_s + title});
    }

    void aFileTooLargeToShowIsNeverWrittenOver()
    {
        // A 3 GB file (sparse: it takes no room) is not a lyrics file; the
        // box cannot hold it, so Edit must not save the empty box over it.
        Window w;
        w.lib.song(u"B"_s, u"Big - Dump.txt"_s, "x").song(u"A"_s, u"Able - .txt"_s);
        const QString path = w.lib.cachePath() + u"B/Big - Dump.txt"_s;
        QFile big(path);
        QVERIFY(big.resize(qint64(3) * 1024 * 1024 * 1024));
        w.open();
        w.click(u"A/Able - .txt"_s);
        QCOMPARE(w.label(u"LblSong"_s), u" Able - (no title)"_s);
        QString shownAtMessage = u"-"_s; // what the box shows while the message is up
        w.platform.onEvent = [&](const QString &line) { shownAtMessage = line.startsWith(u"message"_s) ? w.lyrics()->toPlainText() : shownAtMessage; };
        w.click(u"B/Big - Dump.txt"_s);
        QCOMPARE(shownAtMessage, QString());
        QCOMPARE(w.platform.messages.size(), 1);
        QVERIFY2(w.platform.messages[0].text.startsWith(u"This lyrics file is too large to show: 3072 MB"_s),
                 qPrintable(w.platform.messages[0].text));
        QCOMPARE(w.lyrics()->toPlainText(), QString());
        w.press(frmMain::Edit);
        QCOMPARE(w.platform.messages.size(), 2);
        QVERIFY(w.platform.messages[1].text.startsWith(u"The lyrics file could not be read, so it cannot be edited."_s));
        QVERIFY(!w.pressed(frmMain::Edit));
        QVERIFY(w.lyrics()->isReadOnly());
        QCOMPARE(QFileInfo(path).size(), qint64(3) * 1024 * 1024 * 1024);
        // Opening its artist reads nothing of it, and keeps its picture.
        w.clickArrow(u"big"_s);
        QCOMPARE(w.node(u"B/Big - Dump.txt"_s)->Image, NodeImage::Song);
    }

    void expandingReadsEveryKindOfFile()
    {
        Window w;
        buildOddLibrary(w.lib);
        w.open();
        for (LibraryNode *artist : std::vector<LibraryNode *>(w.form->libraryTree().roots()))
            w.clickArrow(artist->Key);
        QCOMPARE(w.node(u"H/Huge - Song.txt"_s)->Image, NodeImage::UnfilteredSong);
        QCOMPARE(w.node(u"E/Empty - Song.txt"_s)->Image, NodeImage::UnfilteredSong);
        QVERIFY(w.platform.messages.isEmpty());
    }
};

int runOddLibraryTests(int argc, char **argv)
{
    TestOddLibrary tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_oddlibrary.moc"
