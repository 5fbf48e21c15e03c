// The search for the downloader's prefix over a home folder of the test's
// own: Wine's default prefix and those of Bottles, Lutris, PlayOnLinux and
// CrossOver.

#include "platform/WinePrefixSearch.h"
#include "support/LibraryBuilder.h"
#include "support/PrefixBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString kBottles = u".local/share/bottles/bottles"_s;
const QString kLutrisGames = u".config/lutris/games"_s;

// The patterns the search shows for managers that hold no prefix.
const QStringList kEmptyPatterns = {
    u"~/.local/share/bottles/bottles/*"_s, u"~/.var/app/com.usebottles.bottles/data/bottles/bottles/*"_s,
    u"~/.config/lutris/games/*.yml"_s, u"~/Games/*"_s, u"~/.PlayOnLinux/wineprefix/*"_s,
    u"~/.cxoffice/*"_s};

struct Home
{
    QTemporaryDir dir;
    QString path = dir.path();

    QString at(const QString &relative) const { return path + u'/' + relative; }
    PrefixBuilder prefix(const QString &relative) const { return PrefixBuilder(at(relative)); }
    void lutrisGame(const QString &name, const QByteArray &content) const
    {
        LibraryBuilder(at(kLutrisGames)).file(name, content);
    }
};

} // namespace

class TestPrefixSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneBottleIsFound()
    {
        Home home;
        home.prefix(kBottles + u"/Music"_s).withDownloader();
        const WinePrefixSearch search = searchWinePrefixes(home.path);
        QCOMPARE(search.found, QStringList{home.at(kBottles + u"/Music"_s)});
        // ~/.wine was looked at although it is not there; the bottle is
        // named; the managers without prefixes show as patterns.
        QStringList places = kEmptyPatterns;
        places[0] = u"~/.local/share/bottles/bottles/Music"_s;
        places.prepend(u"~/.wine"_s);
        QCOMPARE(search.places, places);
    }

    // Bottles, a Lutris game file and ~/.wine among them.
    void everyManagerInAStableOrder()
    {
        Home home;
        // Made in the reverse of the search order, names against their
        // alphabetical order, so neither decides the result.
        home.prefix(u".cxoffice/Wordhive"_s).withDownloader();
        home.prefix(u".PlayOnLinux/wineprefix/Lyrics"_s).withDownloader();
        home.prefix(u"Games/zither"_s).withDownloader();
        home.prefix(u"Games/songs"_s).withDownloader();
        home.prefix(u"Games/other-game"_s).withoutDownloader();
        home.lutrisGame(u"wordhive-1.yml"_s, "game:\n  exe: x.exe\n  prefix: ~/Games/songs\nname: Wordhive\n");
        // Lutris names a bottle too: the bottle is still one candidate.
        home.lutrisGame(u"bottled.yml"_s, "game:\n  prefix: \"" + home.at(kBottles + u"/b"_s).toUtf8() + "\"\n");
        home.prefix(kBottles + u"/b"_s).withDownloader();
        home.prefix(kBottles + u"/a"_s).withDownloader();
        home.prefix(u".var/app/com.usebottles.bottles/data/bottles/bottles/flat"_s).withDownloader();
        home.prefix(u".wine"_s).withDownloader();

        const WinePrefixSearch search = searchWinePrefixes(home.path);
        QCOMPARE(search.found, QStringList({home.at(u".wine"_s), home.at(kBottles + u"/a"_s),
                                            home.at(kBottles + u"/b"_s),
                                            home.at(u".var/app/com.usebottles.bottles/data/bottles/bottles/flat"_s),
                                            home.at(u"Games/songs"_s), home.at(u"Games/zither"_s),
                                            home.at(u".PlayOnLinux/wineprefix/Lyrics"_s),
                                            home.at(u".cxoffice/Wordhive"_s)}));
        QCOMPARE(search.places,
                 QStringList({u"~/.wine"_s, u"~/.local/share/bottles/bottles/a"_s,
                              u"~/.local/share/bottles/bottles/b"_s,
                              u"~/.var/app/com.usebottles.bottles/data/bottles/bottles/flat"_s,
                              u"~/Games/songs"_s, u"~/Games/other-game"_s, u"~/Games/zither"_s,
                              u"~/.PlayOnLinux/wineprefix/Lyrics"_s, u"~/.cxoffice/Wordhive"_s}));
    }

    void faultyPrefixesAreSkipped_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("registry without the key") << u"no key"_s;
        QTest::newRow("not a registry") << u"garbage"_s;
        QTest::newRow("key without a text value") << u"dword"_s;
        QTest::newRow("registry cut inside its header") << u"cut"_s;
        QTest::newRow("system.reg is a folder") << u"folder"_s;
        QTest::newRow("system.reg is a dangling link") << u"dangling"_s;
        QTest::newRow("system.reg is a pipe") << u"fifo"_s;
        QTest::newRow("prefix is a file") << u"file"_s;
        QTest::newRow("prefix is a link to itself") << u"loop"_s;
    }

    void faultyPrefixesAreSkipped()
    {
        QFETCH(QString, fault);
        Home home;
        home.prefix(kBottles + u"/good"_s).withDownloader();
        const QString bad = home.at(kBottles + u"/bad"_s);
        if (fault == u"no key") {
            PrefixBuilder(bad).withoutDownloader();
        } else if (fault == u"garbage") {
            // An executable with the key's line in it.
            PrefixBuilder(bad).registry(QByteArray("\x7f" "ELF", 4) + QByteArray(4, '\0')
                                        + "\n[Software\\\\Quorvane\\\\Wordhive]\n\"A\"=\"C:\\\\W\"\n");
        } else if (fault == u"dword") {
            PrefixBuilder(bad).registry("WINE REGISTRY Version 2\n\n[Software\\\\Quorvane\\\\Wordhive] 0\n"
                                        "\"InstallDir\"=dword:00000001\n");
        } else if (fault == u"cut") {
            PrefixBuilder(bad).registry("WINE REGIS");
        } else if (fault == u"folder") {
            QVERIFY(QDir().mkpath(bad + u"/system.reg"_s));
        } else if (fault == u"dangling") {
            QVERIFY(QDir().mkpath(bad));
            QVERIFY(QFile::link(bad + u"/gone.reg"_s, bad + u"/system.reg"_s));
        } else if (fault == u"fifo") {
            // Opening a pipe for reading would wait for a writer for ever.
            QVERIFY(QDir().mkpath(bad));
            QCOMPARE(mkfifo(QFile::encodeName(bad + u"/system.reg"_s).constData(), 0600), 0);
        } else if (fault == u"file") {
            LibraryBuilder(home.at(kBottles)).file(u"bad"_s, PrefixBuilder::registryWithDownloader());
        } else if (fault == u"loop") {
            QVERIFY(QFile::link(bad, bad));
        }
        const WinePrefixSearch search = searchWinePrefixes(home.path);
        QCOMPARE(search.found, QStringList{home.at(kBottles + u"/good"_s)});
    }

    void lutrisGamePrefix_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // '~' stands for the home folder; empty: none

        QTest::newRow("plain") << QByteArray("game:\n  exe: /g/x.exe\n  prefix: /g/pfx\nname: x\n") << u"/g/pfx"_s;
        QTest::newRow("home") << QByteArray("game:\n  prefix: ~/Games/x\n") << u"~/Games/x"_s;
        QTest::newRow("double quotes")
            << QByteArray("game:\n  prefix: \"~/Games/My \\\"Songs\\\"\"\n") << u"~/Games/My \"Songs\""_s;
        QTest::newRow("single quotes") << QByteArray("game:\n  prefix: '/g/it''s here'\n") << u"/g/it's here"_s;
        QTest::newRow("comment") << QByteArray("game:\n  prefix: /g/a#b  # the prefix\n") << u"/g/a#b"_s;
        QTest::newRow("CR LF and tabs") << QByteArray("game:\r\n\tprefix:\t/g/pfx/ \r\n") << u"/g/pfx"_s;
        QTest::newRow("UTF-8 name") << QByteArray("game:\n  prefix: /g/Caf\xc3\xa9\n") << u"/g/Caf\u00e9"_s;
        QTest::newRow("null, then a usable line")
            << QByteArray("system:\n  prefix: ~\ngame:\n  prefix: /g/second\n") << u"/g/second"_s;
        QTest::newRow("a key that only starts the same")
            << QByteArray("system:\n  prefix_command: /usr/bin/env\n  prefixes: /g/no\n") << QString();
        QTest::newRow("missing") << QByteArray("game:\n  exe: /g/x.exe\n") << QString();
        QTest::newRow("empty") << QByteArray("game:\n  prefix:\n") << QString();
        QTest::newRow("empty quotes") << QByteArray("game:\n  prefix: ''\n") << QString();
        QTest::newRow("null") << QByteArray("game:\n  prefix: null\n") << QString();
        QTest::newRow("relative") << QByteArray("game:\n  prefix: Games/x\n") << QString();
        QTest::newRow("unclosed quote") << QByteArray("game:\n  prefix: \"/g/x\n") << QString();
        QTest::newRow("binary junk") << QByteArray("\0\xff\xfeprefix\0:/x\n\x80\x81", 16) << QString();
        QTest::newRow("empty file") << QByteArray() << QString();
    }

    void lutrisGamePrefix()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const QString home = u"/home/singer"_s;
        const std::optional<QString> prefix = ::lutrisGamePrefix(content, home);
        if (expected.isEmpty()) {
            QVERIFY2(!prefix, qPrintable(prefix.value_or(QString())));
        } else {
            QVERIFY(prefix);
            QCOMPARE(*prefix, expected.startsWith(u'~') ? home + expected.sliced(1) : expected);
        }
    }

    void lutrisGamesThatNameNoPrefix()
    {
        Home home;
        home.lutrisGame(u"native.yml"_s, "game:\n  exe: /usr/games/x\nrunner: linux\n");
        home.lutrisGame(u"junk.yml"_s, QByteArray(5000, '\xff'));
        QVERIFY(QDir().mkpath(home.at(kLutrisGames + u"/folder.yml"_s)));
        home.lutrisGame(u"gone.yml"_s, "game:\n  prefix: ~/Games/removed\n");
        const WinePrefixSearch search = searchWinePrefixes(home.path);
        QVERIFY(search.found.isEmpty());
        // The prefix that a game names is listed although it is gone.
        QVERIFY2(search.places.contains(u"~/Games/removed"_s), qPrintable(search.places.join(u", "_s)));
        QVERIFY(!search.places.contains(u"~/.config/lutris/games/*.yml"_s));
    }
};

int runPrefixSearchTests(int argc, char **argv)
{
    TestPrefixSearch tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_prefixsearch.moc"
