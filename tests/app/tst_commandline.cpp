// The command line: stanzabox [--prefix DIR] [CACHE_FOLDER], --help, --version.

#include "app/CommandLine.h"
#include "support/LibraryBuilder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("prefix"); // '@' stands for the current folder
        QTest::addColumn<QString>("cache");
        QTest::addColumn<QString>("text");   // a part of the text for the user

        const int run = int(CommandLine::Action::Run);
        const int help = int(CommandLine::Action::Help);
        const int version = int(CommandLine::Action::Version);
        const int error = int(CommandLine::Action::Error);
        QTest::newRow("nothing") << QStringList() << run << QString() << QString() << QString();
        QTest::newRow("--prefix DIR") << QStringList{u"--prefix"_s, u"/games/wine/"_s} << run
                                      << u"/games/wine"_s << QString() << QString();
        QTest::newRow("--prefix=DIR, relative") << QStringList{u"--prefix=games/../wine"_s} << run
                                                << u"@/wine"_s << QString() << QString();
        QTest::newRow("-prefix DIR") << QStringList{u"-prefix"_s, u"/w"_s} << run << u"/w"_s << QString()
                                     << QString();
        QTest::newRow("cache folder") << QStringList{u"/mnt/win/lyrics/"_s} << run << QString()
                                      << u"/mnt/win/lyrics"_s << QString();
        QTest::newRow("relative cache folder") << QStringList{u"lyrics"_s} << run << QString() << u"@/lyrics"_s
                                               << QString();
        QTest::newRow("a cache folder named like an option")
            << QStringList{u"--"_s, u"-lyrics"_s} << run << QString() << u"@/-lyrics"_s << QString();
        QTest::newRow("both") << QStringList{u"/c"_s, u"--prefix"_s, u"/p"_s} << run << u"/p"_s << u"/c"_s
                              << QString();
        QTest::newRow("--help") << QStringList{u"--help"_s} << help << QString() << QString()
                                << u"Usage: stanzabox [options] [CACHE_FOLDER]\n"_s;
        QTest::newRow("-h among mistakes") << QStringList{u"-h"_s, u"--bogus"_s, u"a"_s, u"b"_s} << help
                                           << QString() << QString() << u"--prefix <DIR>"_s;
        QTest::newRow("--version") << QStringList{u"--version"_s} << version << QString() << QString()
                                   << u"Stanzabox "_s + programVersion() + u'\n';
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s} << error << QString() << QString()
                                        << u"stanzabox: Unknown option 'bogus'.\nTry 'stanzabox --help'"_s;
        QTest::newRow("two cache folders") << QStringList{u"/a"_s, u"/b"_s} << error << QString() << QString()
                                           << u"only one cache folder"_s;
        QTest::newRow("--prefix without a folder") << QStringList{u"--prefix"_s} << error << QString()
                                                   << QString() << u"Missing value after '--prefix'"_s;
        QTest::newRow("--prefix with an empty folder") << QStringList{u"--prefix"_s, QString()} << error
                                                       << QString() << QString() << u"--prefix needs a folder"_s;
        QTest::newRow("empty cache folder") << QStringList{QString()} << error << QString() << QString()
                                            << u"empty"_s;
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, prefix);
        QFETCH(QString, cache);
        QFETCH(QString, text);

        const CommandLine line = parseCommandLine(QStringList{u"/usr/bin/stanzabox"_s} + arguments);
        QCOMPARE(int(line.action), action);
        const QString here = QDir::currentPath();
        QCOMPARE(line.options.prefixFolder, prefix.replace(u'@', here));
        QCOMPARE(line.options.cacheFolder, cache.replace(u'@', here));
        QVERIFY2(line.text.contains(text), qPrintable(line.text));
        QCOMPARE(line.text.isEmpty(), action == int(CommandLine::Action::Run));
        if (!line.text.isEmpty())
            QVERIFY(line.text.endsWith(u'\n'));
        // A mistake that is not the toolkit's own option is final.
        QVERIFY(!line.toolkitOptions);
    }

    void toolkitOptionsAreLeftToTheToolkit()
    {
        const CommandLine line =
            parseCommandLine({u"stanzabox"_s, u"-platform"_s, u"offscreen"_s, u"-style=fusion"_s, u"/c"_s});
        QCOMPARE(line.action, CommandLine::Action::Error);
        QVERIFY(line.toolkitOptions);
    }

    void foldersMustExist_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("cache");
        QTest::addColumn<QString>("problem"); // '@' stands for the test's folder

        QTest::newRow("both there") << u"@/prefix"_s << u"@/lyrics"_s << QString();
        QTest::newRow("none given") << QString() << QString() << QString();
        QTest::newRow("no cache folder") << QString() << u"@/nowhere"_s
                                         << u"stanzabox: cache folder not found: @/nowhere\n"_s;
        QTest::newRow("cache is a file") << QString() << u"@/file"_s
                                         << u"stanzabox: cache folder is not a folder: @/file\n"_s;
        QTest::newRow("no prefix") << u"@/nowhere"_s << QString()
                                   << u"stanzabox: Wine prefix not found: @/nowhere\n"_s;
        QTest::newRow("cache there, prefix not") << u"@/nowhere"_s << u"@/lyrics"_s
                                                 << u"stanzabox: Wine prefix not found: @/nowhere\n"_s;
    }

    void foldersMustExist()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, cache);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        LibraryBuilder(dir.path()).folder(u"prefix"_s).folder(u"lyrics/A"_s).file(u"file"_s, "x");
        const StartOptions options{prefix.replace(u'@', dir.path()), cache.replace(u'@', dir.path())};
        const std::optional<QString> found = startOptionsProblem(options);
        QCOMPARE(found.value_or(QString()), problem.replace(u'@', dir.path()));
    }
};

int runCommandLineTests(int argc, char **argv)
{
    TestCommandLine tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_commandline.moc"
