// The timestamp file's bytes: time codes, records, the tail.

#include "karaoke/KasFormat.h"

#include <QTest>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

} // namespace

class TestKasFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timeCodes_data()
    {
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("frame");
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("1:23.4") << 1 << 23 << 4 << bytes({70, 97});
        QTest::newRow("0:00.0") << 0 << 0 << 0 << bytes({64, 64});
        QTest::newRow("13:59.8") << 13 << 59 << 8 << bytes({129, 103});
        QTest::newRow("0:12.8") << 0 << 12 << 8 << bytes({65, 64});
        QTest::newRow("5:00.2") << 5 << 0 << 2 << bytes({64 + 1501 / 64, 64 + 1501 % 64});
    }

    void timeCodes()
    {
        QFETCH(int, minute);
        QFETCH(int, second);
        QFETCH(int, frame);
        QFETCH(QByteArray, code);
        QCOMPARE(EncodeStamp(minute, second, frame), code);
        const Stamp back = DecodeStamp(quint8(code[0]), quint8(code[1]));
        QCOMPARE(back.Minute, minute);
        QCOMPARE(back.Second, second);
        QCOMPARE(back.Frame, frame);
    }

    void everyTimeRoundTrips()
    {
        for (int t = 0; t <= 4199; ++t) {
            const Stamp s{t / 300, t % 300 / 5, t % 5 * 2};
            const QByteArray code = EncodeStamp(s.Minute, s.Second, s.Frame);
            QVERIFY(quint8(code[0]) >= 64 && quint8(code[0]) <= 129);
            QVERIFY(quint8(code[1]) >= 64 && quint8(code[1]) <= 127);
            QVERIFY(code[0] != ';' && code[1] != ';');
            const Stamp back = DecodeStamp(quint8(code[0]), quint8(code[1]));
            QVERIFY2(back.Minute == s.Minute && back.Second == s.Second && back.Frame == s.Frame,
                     qPrintable(QString::number(t)));
        }
        QCOMPARE(EncodeStamp(-1, 0, 0), bytes({64, 64}));
    }

    void recordCount_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("records");
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("2") << 2 << 0;
        QTest::newRow("3") << 3 << 1;
        QTest::newRow("4") << 4 << 1;
        QTest::newRow("5") << 5 << 1;
        QTest::newRow("6") << 6 << 2;
        QTest::newRow("7") << 7 << 2;
        QTest::newRow("10") << 10 << 2;
        QTest::newRow("14") << 14 << 4;
        QTest::newRow("2000") << 2000 << 500;
    }

    void recordCount()
    {
        QFETCH(int, length);
        QFETCH(int, records);
        QCOMPARE(kasRecordCount(length), records);
    }

    void shortSections_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<QByteArray>>("tags");
        QTest::newRow("length 5: fifth character ignored") << QByteArray("FaV1X;t") << QList<QByteArray>{"V1"};
        QTest::newRow("length 6: second tag empty") << QByteArray("FaV1@@;t") << QList<QByteArray>{"V1", ""};
        QTest::newRow("length 7: second tag one character")
            << QByteArray("FaV1@@C;t") << QList<QByteArray>{"V1", "C"};
        QTest::newRow("length 10: last two ignored")
            << QByteArray("FaV1@@C @@;t") << QList<QByteArray>{"V1", "C "};
        QTest::newRow("starts with the tail") << QByteArray(";only\r\n") << QList<QByteArray>{};
        QTest::newRow("tag with a trailing space") << QByteArray("FaA ;") << QList<QByteArray>{"A "};
    }

    void shortSections()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<QByteArray>, tags);
        const KasFile kas = parseKas(file);
        QVERIFY(kas.wellFormed());
        QCOMPARE(int(kas.Records.size()), int(tags.size()));
        for (int i = 0; i < tags.size(); ++i)
            QCOMPARE(kas.Records[size_t(i)].Tag, tags[i]);
        QCOMPARE(kas.Tail, file.mid(file.indexOf(';')));
    }

    void outsideTheFormat_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("no semicolon") << QByteArray("FaV1FbV2");
        QTest::newRow("code byte below 64") << QByteArray("F!V1;\r\n");
        QTest::newRow("control bytes") << bytes({13, 10, 'A', 'B', ';'});
        QTest::newRow("empty file") << QByteArray();
    }

    void outsideTheFormat()
    {
        QFETCH(QByteArray, file);
        QVERIFY(!parseKas(file).wellFormed());
    }

    void writing()
    {
        const std::vector<KasRow> rows = {
            {{1, 23, 4}, "V1"},
            {{0, 0, 0}, ""},   // a new, empty row: no record
            {{0, 30, 0}, "A"}, // filled with a space
            {{0, 40, 0}, " "}, // two spaces once filled: no record
            {{0, 50, 0}, "  X"},
        };
        QCOMPARE(composeKas(rows, ";tail"), QByteArray("FaV1") + EncodeStamp(0, 30, 0) + "A ;tail\r\n");
        // A tail that already ends with the line end gets no second one.
        QCOMPARE(composeKas(rows, ";tail\r\n"), QByteArray("FaV1") + EncodeStamp(0, 30, 0) + "A ;tail\r\n");
        // All tags empty: the tail and the line end only.
        QCOMPARE(composeKas({{{1, 0, 0}, ""}}, ";t"), QByteArray(";t\r\n"));
        QCOMPARE(composeKas({}, {}), QByteArray("\r\n"));
    }

    void unchangedFileSavesByteForByte_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("saved before") << QByteArray("FaV1@@C \x81gB ;demo timing\r\n");
        QTest::newRow("tail in the middle of a line") << QByteArray("FaV1;a;b;\r\nmore\r\n");
        QTest::newRow("twice saved") << QByteArray("@@A ;x\r\n");
    }

    void unchangedFileSavesByteForByte()
    {
        QFETCH(QByteArray, file);
        QByteArray current = file;
        for (int round = 0; round < 3; ++round) {
            const KasFile kas = parseKas(current);
            std::vector<KasRow> rows;
            for (const KasRecord &r : kas.Records)
                rows.push_back({r.Time, r.Tag});
            current = composeKas(rows, kas.Tail);
            QCOMPARE(current, file);
        }
    }
};

int runKasFormatTests(int argc, char **argv)
{
    TestKasFormat tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_kasformat.moc"
