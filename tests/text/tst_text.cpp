#include "text/Cp1252.h"
#include "text/LosslessText.h"
#include "text/TextFile.h"
#include "support/LibraryBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

class TestText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = Cp1252::decode(all);
        QCOMPARE(text.size(), 256);
        qsizetype missing = -1;
        QCOMPARE(Cp1252::encode(text, &missing), all);
        QCOMPARE(missing, 0);
        QVERIFY(Cp1252::canEncode(text));
        // No two bytes may decode to the same character.
        QSet<QChar> seen(text.begin(), text.end());
        QCOMPARE(seen.size(), 256);
    }

    void knownCharacters_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("codePoint");
        QTest::newRow("ascii") << 0x41 << 0x41;
        QTest::newRow("euro") << 0x80 << 0x20AC;
        QTest::newRow("right single quote") << 0x92 << 0x2019;
        QTest::newRow("ellipsis") << 0x85 << 0x2026;
        QTest::newRow("undefined 0x81") << 0x81 << 0x81;
        QTest::newRow("undefined 0x9D") << 0x9D << 0x9D;
        QTest::newRow("Y diaeresis") << 0x9F << 0x178;
        QTest::newRow("no-break space") << 0xA0 << 0xA0;
        QTest::newRow("e acute") << 0xE9 << 0xE9;
        QTest::newRow("y diaeresis") << 0xFF << 0xFF;
    }

    void knownCharacters()
    {
        QFETCH(int, byte);
        QFETCH(int, codePoint);
        const QString decoded = Cp1252::decode(QByteArray(1, char(byte)));
        QCOMPARE(decoded, QString(QChar(codePoint)));
        QCOMPARE(Cp1252::encode(decoded), QByteArray(1, char(byte)));
    }

    void unencodableCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("missing");
        QTest::newRow("latin extended") << u"a\u0100b"_s << QByteArray("a?b") << 1;
        QTest::newRow("minus sign") << u"\u2212"_s << QByteArray("?") << 1;
        QTest::newRow("emoji is one character") << u"x\U0001F600y"_s << QByteArray("x?y") << 1;
        QTest::newRow("all fine") << u"Caf\u00e9 \u20ac"_s << QByteArray("Caf\xe9 \x80") << 0;
    }

    void unencodableCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(int, missing);
        qsizetype counted = -1;
        QCOMPARE(Cp1252::encode(text, &counted), bytes);
        QCOMPARE(counted, qsizetype(missing));
        QCOMPARE(Cp1252::canEncode(text), missing == 0);
    }

    void readsBytesAsTheyAre()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.txt"_s);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("line\r\nsecond\rthird\n\xe9\x92");
        f.close();
        QCOMPARE(readTextFile(path), std::optional<QString>(u"line\r\nsecond\rthird\n\u00e9\u2019"_s));
    }

    void unreadablePaths_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing") << u"nothing.txt"_s;
        QTest::newRow("a folder") << u"folder.txt"_s;
        QTest::newRow("below a file") << u"plain/child.txt"_s;
        QTest::newRow("empty path") << QString();
    }

    void unreadablePaths()
    {
        QFETCH(QString, relative);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"folder.txt"_s));
        QFile plain(dir.filePath(u"plain"_s));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString path = relative.isEmpty() ? QString() : dir.filePath(relative);
        QVERIFY(!readTextFile(path).has_value());
    }

    void searchingAFileInBlocks_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<int>("found"); // 1 found, 0 not there, -1 not read
        const QByteArray mark("] filter used");
        const QByteArray filler(40000, 'x');
        QTest::newRow("first line") << QByteArray("[W" + mark + "\r\nla\r\n") << WholeFileLimit << 1;
        QTest::newRow("last bytes") << QByteArray(filler + mark) << WholeFileLimit << 1;
        QTest::newRow("not there") << QByteArray(filler + "] filter use") << WholeFileLimit << 0;
        QTest::newRow("case matters") << QByteArray("] Filter used") << WholeFileLimit << 0;
        QTest::newRow("empty file") << QByteArray() << WholeFileLimit << 0;
        // Reads come in blocks of 16 kB: the mark cut at every place by the
        // first block's end, and by the second's.
        for (int cut = 1; cut < mark.size(); ++cut) {
            QTest::addRow("across the first block's end at %d", cut)
                << QByteArray(filler.left(16 * 1024 - cut) + mark + filler) << WholeFileLimit << 1;
            QTest::addRow("across the second block's end at %d", cut)
                << QByteArray(filler.left(32 * 1024 - cut) + mark) << WholeFileLimit << 1;
        }
        QTest::newRow("larger than the limit") << QByteArray(mark + filler) << qint64(100) << -1;
        QTest::newRow("exactly the limit") << QByteArray(filler.left(87) + mark) << qint64(100) << 1;
    }

    void searchingAFileInBlocks()
    {
        QFETCH(QByteArray, content);
        QFETCH(qint64, limit);
        QFETCH(int, found);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"song.txt"_s);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(content), content.size());
        f.close();
        const std::optional<bool> result = fileContains(path, "] filter used", limit);
        QCOMPARE(result.has_value() ? int(*result) : -1, found);
        // The same answer as reading the whole text and looking in it.
        const WholeFile whole = readWholeFile(path, limit);
        QCOMPARE(whole.status == WholeFile::Read, result.has_value());
        if (result)
            QCOMPARE(decodeText(whole.bytes).contains(u"] filter used"_s), *result);
    }

    void searchingWhatIsNoFile()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"folder.txt"_s));
        QVERIFY(!fileContains(dir.filePath(u"folder.txt"_s), "x").has_value());
        QVERIFY(!fileContains(dir.filePath(u"missing.txt"_s), "x").has_value());
        QVERIFY(!fileContains(QString(), "x").has_value());
        // A named pipe without a writer: no waiting for one.
        const QString pipe = dir.filePath(u"pipe.txt"_s);
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QVERIFY(!fileContains(pipe, "x").has_value());
    }

    void writeReplacesWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.txt"_s);
        QCOMPARE(writeTextFile(path, u"old text that is long\r\n"_s), WriteResult::Written);
        QCOMPARE(writeTextFile(path, u"new \u00e9\r\n"_s), WriteResult::Written);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("new \xe9\r\n"));
    }

    void writeRefusesLossyTextAndKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.txt"_s);
        QCOMPARE(writeTextFile(path, u"kept\r\n"_s), WriteResult::Written);
        QCOMPARE(writeTextFile(path, u"\u0100"_s), WriteResult::Unencodable);
        QCOMPARE(readTextFile(path), std::optional<QString>(u"kept\r\n"_s));
    }

    void losslessEncoding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("code page text as ever")
            << u"Caf\u00e9 \u20ac \u0081\r\n"_s << QByteArray("Caf\xe9 \x80 \x81\r\n");
        QTest::newRow("Polish names") << u"\u0141o\u015b - \u017b\u00f3\u0142w\r\n"_s
                                      << QByteArray("\xef\xbb\xbf\xc5\x81o\xc5\x9b - \xc5\xbb\xc3\xb3\xc5\x82w\r\n");
        // One character outside the code page takes the whole text to UTF-8.
        QTest::newRow("mixed") << u"\u00e9\r\n\u0100"_s << QByteArray("\xef\xbb\xbf\xc3\xa9\r\n\xc4\x80");
        QTest::newRow("beyond the first plane") << u"A \U0001F3B5"_s << QByteArray("\xef\xbb\xbf" "A \xf0\x9f\x8e\xb5");
        // Code-page text whose bytes would read as the mark.
        QTest::newRow("starts like the mark")
            << u"\u00ef\u00bb\u00bfA"_s << QByteArray("\xef\xbb\xbf\xc3\xaf\xc2\xbb\xc2\xbf" "A");
        QTest::newRow("a mark inside the text") << u"\ufeffA"_s << QByteArray("\xef\xbb\xbf\xef\xbb\xbf" "A");
    }

    void losslessEncoding()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(LosslessText::encode(text), bytes);
        QCOMPARE(LosslessText::decode(bytes), text);
    }

    void losslessDecoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("code page") << QByteArray("Caf\xe9\x92") << u"Caf\u00e9\u2019"_s;
        // Files without the mark are read as they always were.
        QTest::newRow("UTF-8 without the mark") << QByteArray("\xc5\x81") << u"\u00c5\u0081"_s;
        QTest::newRow("the mark alone") << QByteArray("\xef\xbb\xbf") << QString();
        QTest::newRow("the mark and UTF-8") << QByteArray("\xef\xbb\xbf\xc5\x81\r\n") << u"\u0141\r\n"_s;
        // Not UTF-8 after all: every byte kept, in the code page.
        QTest::newRow("the mark and other bytes")
            << QByteArray("\xef\xbb\xbf\xe9t\xe9") << u"\u00ef\u00bb\u00bf\u00e9t\u00e9"_s;
        QTest::newRow("the mark and a cut sequence") << QByteArray("\xef\xbb\xbf" "A\xc5") << u"\u00ef\u00bb\u00bf" "A\u00c5"_s;
        QTest::newRow("the mark and an encoded surrogate")
            << QByteArray("\xef\xbb\xbf\xed\xa0\x80") << u"\u00ef\u00bb\u00bf\u00ed\u00a0\u20ac"_s;
    }

    void losslessDecoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(LosslessText::decode(bytes), text);
    }

    void filesInEitherEncoding()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.txt"_s);
        QCOMPARE(writeTextFile(path, u"\u0141\u00e9\r\n"_s, TextEncoding::CodePageOrUtf8), WriteResult::Written);
        QCOMPARE(LibraryBuilder::bytes(path), QByteArray("\xef\xbb\xbf\xc5\x81\xc3\xa9\r\n"));
        QCOMPARE(readTextFile(path, TextEncoding::CodePageOrUtf8), std::optional<QString>(u"\u0141\u00e9\r\n"_s));
        // The downloader's own files know no mark: their bytes stay what they are.
        QCOMPARE(readTextFile(path), std::optional<QString>(u"\u00ef\u00bb\u00bf\u00c5\u0081\u00c3\u00a9\r\n"_s));
        QCOMPARE(writeTextFile(path, u"\u00e9\r\n"_s, TextEncoding::CodePageOrUtf8), WriteResult::Written);
        QCOMPARE(LibraryBuilder::bytes(path), QByteArray("\xe9\r\n"));
    }

    void writeFailsWhereNoFileCanBe()
    {
        QTemporaryDir dir;
        QFile plain(dir.filePath(u"plain"_s));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QCOMPARE(writeTextFile(dir.filePath(u"plain/child.txt"_s), u"x"_s), WriteResult::Failed);
        QVERIFY(QDir(dir.path()).mkdir(u"folder.txt"_s));
        QCOMPARE(writeTextFile(dir.filePath(u"folder.txt"_s), u"x"_s), WriteResult::Failed);
        QVERIFY(QFileInfo(dir.filePath(u"folder.txt"_s)).isDir());
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
