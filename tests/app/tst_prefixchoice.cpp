// Which prefix is read when the user named none: the remembered one, the
// only one found, or a question; and what the question shows of each.

#include "app/PrefixChoice.h"
#include "support/LibraryBuilder.h"
#include "support/PrefixBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestPrefixChoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void plan_data()
    {
        // Prefixes made: "wine" (~/.wine), "bottle" (a Bottles bottle),
        // "elsewhere" (outside every searched place). Remembered: one of
        // them, "gone" (deleted since), or nothing.
        QTest::addColumn<QStringList>("withDownloader");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<int>("step");
        QTest::addColumn<QStringList>("expected"); // the folder used, or the candidates asked about

        const int use = int(PrefixPlan::Step::Use);
        const int ask = int(PrefixPlan::Step::Ask);
        const int none = int(PrefixPlan::Step::NothingFound);
        QTest::newRow("one found") << QStringList{u"bottle"_s} << QString() << use << QStringList{u"bottle"_s};
        QTest::newRow("two found") << QStringList{u"bottle"_s, u"wine"_s} << QString() << ask
                                   << QStringList{u"wine"_s, u"bottle"_s};
        QTest::newRow("two found, one remembered")
            << QStringList{u"bottle"_s, u"wine"_s} << u"bottle"_s << use << QStringList{u"bottle"_s};
        QTest::newRow("remembered outside the searched places")
            << QStringList{u"elsewhere"_s, u"wine"_s} << u"elsewhere"_s << use << QStringList{u"elsewhere"_s};
        QTest::newRow("remembered lost its key")
            << QStringList{u"bottle"_s, u"wine"_s} << u"elsewhere"_s << ask << QStringList{u"wine"_s, u"bottle"_s};
        QTest::newRow("remembered is gone")
            << QStringList{u"bottle"_s, u"wine"_s} << u"gone"_s << ask << QStringList{u"wine"_s, u"bottle"_s};
        QTest::newRow("remembered is gone, one left")
            << QStringList{u"wine"_s} << u"gone"_s << use << QStringList{u"wine"_s};
        QTest::newRow("none found") << QStringList() << u"gone"_s << none << QStringList();
    }

    void plan()
    {
        QFETCH(QStringList, withDownloader);
        QFETCH(QString, remembered);
        QFETCH(int, step);
        QFETCH(QStringList, expected);

        QTemporaryDir dir;
        const QString home = dir.filePath(u"home"_s);
        const QMap<QString, QString> folders = {
            {u"wine"_s, home + u"/.wine"_s},
            {u"bottle"_s, home + u"/.local/share/bottles/bottles/Lyrics"_s},
            {u"elsewhere"_s, dir.filePath(u"elsewhere"_s)},
            {u"gone"_s, dir.filePath(u"gone"_s)}};
        for (auto it = folders.begin(); it != folders.end(); ++it) {
            if (withDownloader.contains(it.key()))
                PrefixBuilder(it.value()).withDownloader();
            else if (it.key() != u"gone")
                PrefixBuilder(it.value()).withoutDownloader();
        }

        const PrefixPlan plan = planPrefix(home, folders.value(remembered));
        QCOMPARE(int(plan.step), step);
        QStringList got;
        if (plan.step == PrefixPlan::Step::Use)
            got = {plan.folder};
        for (const PrefixCandidate &candidate : plan.candidates)
            got.append(candidate.folder);
        QStringList want;
        for (const QString &name : expected)
            want.append(folders.value(name));
        QCOMPARE(got, want);
        // Where the search looked is known whenever it ran.
        if (plan.step == PrefixPlan::Step::NothingFound)
            QVERIFY(plan.places.contains(u"~/.wine"_s));
    }

    void candidatesShowTheirLyrics()
    {
        QTemporaryDir dir;
        // The downloader's default folder: songs are ".txt" files in letter
        // folders, whatever their case; nothing else counts.
        PrefixBuilder plain(dir.filePath(u"plain"_s));
        plain.withDownloader(0);
        LibraryBuilder(plain.cacheFolder())
            .song(u"A"_s, u"Able - One.txt"_s, "x", true)
            .song(u"A"_s, u"Able - Two.TXT"_s)
            .song(u"b"_s, u"Bee - Three.txt"_s)
            .file(u"A/.hidden.txt"_s, "x")
            .file(u"A/Able - Notes.doc"_s, "x")
            .file(u"1/One - Digit.txt"_s, "x")
            .file(u"Stray - Song.txt"_s, "x")
            .folder(u"C/Folder.txt"_s);
        const PrefixCandidate first = describePrefix(plain.folder());
        QCOMPARE(first.folder, plain.folder());
        QCOMPARE(first.cacheFolder, plain.cacheFolder());
        QCOMPARE(first.songs, 3);

        // settings.txt moves the cache to another drive of the prefix.
        PrefixBuilder moved(dir.filePath(u"moved"_s));
        moved.withDownloader(2);
        const QString songs = dir.filePath(u"media/Songs"_s);
        LibraryBuilder(songs).song(u"Z"_s, u"Zed - One.txt"_s);
        QVERIFY(QFile::link(dir.filePath(u"media"_s), moved.folder() + u"/dosdevices/d:"_s));
        LibraryBuilder(moved.installFolder()).file(u"settings.txt"_s, "[Language] English\r\n[CachePath] D:\\songs\\\r\n");
        const PrefixCandidate second = describePrefix(moved.folder());
        QCOMPARE(second.cacheFolder, moved.folder() + u"/dosdevices/d:/Songs/"_s);
        QCOMPARE(second.songs, 1);

        // The downloader's key without a lyrics folder behind it.
        PrefixBuilder bare(dir.filePath(u"bare"_s));
        bare.registry(PrefixBuilder::registryWithDownloader());
        const PrefixCandidate third = describePrefix(bare.folder());
        QCOMPARE(third.songs, 0);
        QVERIFY(!third.cacheFolder.isEmpty());
    }
};

int runPrefixChoiceTests(int argc, char **argv)
{
    TestPrefixChoice tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_prefixchoice.moc"
