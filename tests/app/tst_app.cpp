#include "app/AppState.h"
#include "app/CacheFolder.h"
#include "app/Manifest.h"
#include "app/SongSelection.h"
#include "app/WebPage.h"
#include "app/WindowSettings.h"
#include "app/JoinText.h"
#include "library/LibraryTree.h"
#include "support/FakePlatform.h"
#include "support/LibraryBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

class TestApp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void installFolderGivesDefaultCache_data()
    {
        QTest::addColumn<QString>("install");
        QTest::addColumn<QString>("cache");
        QTest::newRow("no trailing separator") << u"/opt/Wordhive"_s << u"/opt/Wordhive/lyrics/"_s;
        QTest::newRow("trailing separator") << u"/opt/Wordhive/"_s << u"/opt/Wordhive/lyrics/"_s;
        QTest::newRow("root") << u"/"_s << u"/lyrics/"_s;
        QTest::newRow("no registry entry") << QString() << QString();
    }

    void installFolderGivesDefaultCache()
    {
        QFETCH(QString, install);
        QFETCH(QString, cache);
        FakePlatform platform;
        platform.installFolder = install;
        AppState state;
        ReadInstallPath(state, platform);
        QCOMPARE(state.InstallPath, install);
        QCOMPARE(state.CachePath, cache);
    }

    void cachePathLine_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("value");
        QTest::newRow("equals sign") << u"[Other] 1\r\n[CachePath]=D:\\Songs\\\r\n"_s << true << u"D:\\Songs\\"_s;
        QTest::newRow("space") << u"[CachePath] D:\\Songs\\\r\n"_s << true << u"D:\\Songs\\"_s;
        QTest::newRow("any separator") << u"[CachePath]xD:\\Songs\\"_s << true << u"D:\\Songs\\"_s;
        QTest::newRow("no trailing backslash stays") << u"[CachePath]=D:\\Songs\r\n"_s << true << u"D:\\Songs"_s;
        QTest::newRow("lower-case tag ignored") << u"[cachepath]=D:\\Songs\\\r\n"_s << false << QString();
        QTest::newRow("only at line start") << u" [CachePath]=D:\\A\\\r\nx[CachePath]=D:\\B\\\r\n"_s << false << QString();
        QTest::newRow("first line counts")
            << u"[CachePath]=D:\\First\\\r\n[CachePath]=D:\\Second\\\r\n"_s << true << u"D:\\First\\"_s;
        QTest::newRow("separator only gives empty") << u"[CachePath]=\r\n"_s << true << QString();
        QTest::newRow("bare tag keeps the value")
            << u"[CachePath]\r\n[CachePath]=D:\\Later\\\r\n"_s << false << QString();
        QTest::newRow("lone CR ends a line") << u"a\r[CachePath] C:\\X\\\rb"_s << true << u"C:\\X\\"_s;
        QTest::newRow("lone LF ends a line") << u"a\n[CachePath] C:\\X\\\nb"_s << true << u"C:\\X\\"_s;
        QTest::newRow("no line") << u"[Language] English\r\n"_s << false << QString();
        QTest::newRow("empty file") << QString() << false << QString();
    }

    void cachePathLine()
    {
        QFETCH(QString, settings);
        QFETCH(bool, found);
        QFETCH(QString, value);
        const std::optional<QString> result = cachePathLineValue(settings);
        QCOMPARE(result.has_value(), found);
        if (found)
            QCOMPARE(*result, value);
    }

    void settingsFileWinsOverRegistry_data()
    {
        QTest::addColumn<QByteArray>("settingsFile"); // empty: no file
        QTest::addColumn<QString>("expectedCache");   // "@" stands for the install folder
        QTest::newRow("line present") << QByteArray("[AutoSave] 1\r\n[CachePath]=Z:\\media\\songs\\\r\n")
                                      << u"Z:/media/songs/"_s;
        QTest::newRow("no line") << QByteArray("[AutoSave] 1\r\n") << u"@/lyrics/"_s;
        QTest::newRow("no file") << QByteArray() << u"@/lyrics/"_s;
        QTest::newRow("empty value") << QByteArray("[CachePath]=\r\n") << QString();
    }

    void settingsFileWinsOverRegistry()
    {
        QFETCH(QByteArray, settingsFile);
        QFETCH(QString, expectedCache);
        QTemporaryDir dir;
        const QString install = dir.filePath(u"Wordhive"_s);
        LibraryBuilder folder(install);
        if (!settingsFile.isEmpty())
            folder.file(u"settings.txt"_s, settingsFile);
        FakePlatform platform;
        platform.installFolder = install;
        AppState state;
        ReadInstallPath(state, platform);
        ReadCachePathSetting(state, platform);
        QCOMPARE(state.CachePath, QString(expectedCache).replace(u"@"_s, install));
    }

    void noInstallFolderReadsNoSettings()
    {
        FakePlatform platform;
        AppState state;
        ReadInstallPath(state, platform);
        ReadCachePathSetting(state, platform);
        QVERIFY(state.CachePath.isEmpty());
        QVERIFY(state.InstallPath.isEmpty());
    }

    void manifestText()
    {
        const QByteArray text = ::manifestText();
        QCOMPARE(text.size(), 721);
        QCOMPARE(text.count("\r\n"), 20);
        QVERIFY(text.startsWith(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>)" "\r\n"));
        QVERIFY(text.contains("\r\n        name=\"Wordhive.Stanzabox\"   \r\n"));
        QVERIFY(text.endsWith("</assembly>\r\n"));
    }

    void windowsVersion_data()
    {
        QTest::addColumn<std::optional<quint16>>("word");
        QTest::addColumn<float>("version");
        QTest::newRow("5.0") << std::optional<quint16>(0x0005) << 5.0f;
        QTest::newRow("5.1") << std::optional<quint16>(0x0105) << 5.01f;
        QTest::newRow("6.0") << std::optional<quint16>(0x0006) << 6.0f;
        QTest::newRow("6.2") << std::optional<quint16>(0x0206) << 6.02f;
        QTest::newRow("not Windows") << std::optional<quint16>() << 0.0f;
    }

    void windowsVersion()
    {
        QFETCH(std::optional<quint16>, word);
        QFETCH(float, version);
        FakePlatform platform;
        platform.versionWord = word;
        QCOMPARE(WindowsVersion(platform), version);
    }

    void manifestWrittenOnlyAfterVersion5_data()
    {
        QTest::addColumn<std::optional<quint16>>("word");
        QTest::addColumn<bool>("written");
        QTest::newRow("5.0 writes nothing") << std::optional<quint16>(0x0005) << false;
        QTest::newRow("5.1 writes") << std::optional<quint16>(0x0105) << true;
        QTest::newRow("6.0 writes") << std::optional<quint16>(0x0006) << true;
        QTest::newRow("no Windows version") << std::optional<quint16>() << false;
    }

    void manifestWrittenOnlyAfterVersion5()
    {
        QFETCH(std::optional<quint16>, word);
        QFETCH(bool, written);
        QTemporaryDir dir;
        FakePlatform platform;
        platform.folder = dir.path();
        platform.versionWord = word;
        WriteManifest(platform);
        QFile file(dir.filePath(u"Stanzabox.exe.manifest"_s));
        QCOMPARE(file.exists(), written);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), written ? 1 : 0);
        if (written) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QCOMPARE(bytes.size(), 723);
            QVERIFY(bytes.endsWith("</assembly>\r\n\r\n"));
            QCOMPARE(bytes, ::manifestText() + "\r\n");
        }
    }

    void existingManifestIsNeverReplaced()
    {
        QTemporaryDir dir;
        FakePlatform platform;
        platform.folder = dir.path();
        platform.versionWord = 0x0006;
        LibraryBuilder(dir.path()).file(u"Stanzabox.exe.manifest"_s, "different");
        WriteManifest(platform);
        QFile file(dir.filePath(u"Stanzabox.exe.manifest"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("different"));
    }

    void manifestPathHasOneSeparator_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain folder") << u"/opt/stanzabox"_s << u"/opt/stanzabox/Stanzabox.exe.manifest"_s;
        QTest::newRow("ends in separator") << u"/opt/stanzabox/"_s << u"/opt/stanzabox/Stanzabox.exe.manifest"_s;
        QTest::newRow("root") << u"/"_s << u"/Stanzabox.exe.manifest"_s;
    }

    void manifestPathHasOneSeparator()
    {
        QFETCH(QString, folder);
        QFETCH(QString, path);
        FakePlatform platform;
        platform.folder = folder;
        QCOMPARE(manifestPath(platform), path);
    }

    void unwritableProgramFolderGetsNoManifest()
    {
        QTemporaryDir dir;
        LibraryBuilder(dir.path()).file(u"plain"_s, "x");
        FakePlatform platform;
        platform.folder = dir.filePath(u"plain"_s); // a file, not a folder
        platform.versionWord = 0x0006;
        WriteManifest(platform);
        QVERIFY(!QFile::exists(dir.filePath(u"plain/Stanzabox.exe.manifest"_s)));
    }

    void windowSettingsDefaults()
    {
        FakePlatform platform;
        const WindowSettings s = readWindowSettings(platform);
        QCOMPARE(s.FrmTop, 1000.0f);
        QCOMPARE(s.FrmLeft, 1000.0f);
        QCOMPARE(s.FrmWidth, 12000.0f);
        QCOMPARE(s.FrmHeight, 8500.0f);
        QCOMPARE(s.SplitPos, 3500.0f);
        QCOMPARE(s.FrmMaximized, false);
        QCOMPARE(platform.journal,
                 QStringList({u"read FrmTop"_s, u"read FrmLeft"_s, u"read FrmWidth"_s,
                              u"read FrmHeight"_s, u"read SplitPos"_s, u"read FrmMaximized"_s}));
    }

    void windowSettingsTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("number");
        QTest::addColumn<bool>("boolean");
        QTest::newRow("whole") << u"1000"_s << 1000.0f << true;
        QTest::newRow("fraction") << u"2666.667"_s << 2666.667f << true;
        QTest::newRow("not a number") << u"wide"_s << 0.0f << false;
        QTest::newRow("empty") << QString() << 0.0f << false;
        QTest::newRow("True") << u"True"_s << 0.0f << true;
        QTest::newRow("true") << u"true"_s << 0.0f << true;
        QTest::newRow("False") << u"False"_s << 0.0f << false;
        QTest::newRow("zero") << u"0"_s << 0.0f << false;
        QTest::newRow("infinite") << u"inf"_s << 0.0f << true;
    }

    void windowSettingsTexts()
    {
        QFETCH(QString, text);
        QFETCH(float, number);
        QFETCH(bool, boolean);
        QCOMPARE(parseTwips(text), number);
        QCOMPARE(parseBoolean(text), boolean);
    }

    void twipsFormat_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 1000.0f << u"1000"_s;
        QTest::newRow("third") << 8000.0f / 3 << u"2666.667"_s;
        QTest::newRow("large") << 57600.0f << u"57600"_s;
        QTest::newRow("negative") << -1500.0f << u"-1500"_s;
    }

    void twipsFormat()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(formatTwips(value), text);
    }

    void windowSettingsRoundTrip()
    {
        FakePlatform platform;
        WindowSettings s;
        s.FrmTop = 15;
        s.FrmLeft = 30;
        s.FrmWidth = 9000;
        s.FrmHeight = 7000;
        s.SplitPos = 2666.667f;
        s.FrmMaximized = true;
        writeWindowSettings(platform, s);
        QCOMPARE(platform.settings.value(FakePlatform::settingKey(u"Vesk"_s, u"Config"_s, u"FrmMaximized"_s)),
                 u"True"_s);
        QCOMPARE(platform.settings.value(FakePlatform::settingKey(u"Vesk"_s, u"Config"_s, u"SplitPos"_s)),
                 u"2666.667"_s);
        const WindowSettings back = readWindowSettings(platform);
        QCOMPARE(back.FrmTop, s.FrmTop);
        QCOMPARE(back.FrmLeft, s.FrmLeft);
        QCOMPARE(back.FrmWidth, s.FrmWidth);
        QCOMPARE(back.FrmHeight, s.FrmHeight);
        QCOMPARE(back.SplitPos, s.SplitPos);
        QCOMPARE(back.FrmMaximized, true);
    }

    void windowPlacement_data()
    {
        QTest::addColumn<WindowSettings>("stored");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<double>("split");
        const QList<QRect> screen{QRect(0, 0, 1280, 1024)};
        WindowSettings first;
        QTest::newRow("first start") << first << QRect(67, 67, 800, 567) << 3500.0;
        WindowSettings wide = first;
        wide.SplitPos = 9000;
        wide.FrmWidth = 8000;
        QTest::newRow("splitter beyond the width") << wide << QRect(67, 67, 533, 567) << 8000.0 / 3;
        WindowSettings inside = wide;
        inside.SplitPos = 7000;
        QTest::newRow("splitter inside the width") << inside << QRect(67, 67, 533, 567) << 7000.0;
        WindowSettings garbage;
        garbage.FrmWidth = 0;
        garbage.FrmHeight = 0;
        garbage.SplitPos = 0;
        QTest::newRow("sizes that were not numbers") << garbage << QRect(67, 67, 800, 567) << 12000.0 / 3;
        WindowSettings away = first;
        away.FrmLeft = -90000;
        away.FrmTop = 150000;
        QTest::newRow("off every screen") << away << QRect(67, 67, 800, 567) << 3500.0;
        WindowSettings edge = first;
        edge.FrmLeft = 1100 * 15;
        QTest::newRow("mostly off, still grabbable") << edge << QRect(1100, 67, 800, 567) << 3500.0;
        WindowSettings sliver = first;
        sliver.FrmLeft = 1200 * 15;
        QTest::newRow("only a sliver on the screen") << sliver << QRect(67, 67, 800, 567) << 3500.0;
        WindowSettings huge = first;
        huge.FrmWidth = 3000 * 15;
        huge.FrmHeight = 2000 * 15;
        huge.FrmLeft = 0;
        huge.FrmTop = 0;
        huge.SplitPos = 4000;
        QTest::newRow("larger than the screen") << huge << QRect(0, 0, 1280, 1024) << 4000.0;
        // Values no screen could hold, as a hand-edited Vesk.ini may have them.
        WindowSettings vast;
        vast.FrmWidth = 1e30f;
        vast.FrmHeight = 1e30f;
        vast.FrmLeft = -1e30f;
        vast.SplitPos = 1e30f;
        QTest::newRow("1e30") << vast << QRect(0, 0, 1280, 1024) << 1280 * 15.0 / 3;
        WindowSettings far = first;
        far.FrmLeft = 1e30f;
        far.FrmTop = -1e30f;
        QTest::newRow("placed at 1e30") << far << QRect(67, 67, 800, 567) << 3500.0;
    }

    void windowPlacement()
    {
        QFETCH(WindowSettings, stored);
        QFETCH(QRect, geometry);
        QFETCH(double, split);
        const WindowPlacement p = placeWindow(stored, {QRect(0, 0, 1280, 1024)});
        QCOMPARE(p.Geometry, geometry);
        QCOMPARE(float(p.SplitPos), float(split));
        QCOMPARE(p.Maximized, false);
    }

    void windowPlacementOnTheSecondScreen()
    {
        WindowSettings s;
        s.FrmLeft = 1400 * 15;
        s.FrmTop = 100 * 15;
        const QList<QRect> screens{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
        QCOMPARE(placeWindow(s, screens).Geometry, QRect(1400, 100, 800, 567));
        s.FrmMaximized = true;
        QVERIFY(placeWindow(s, screens).Maximized);
    }

    void webAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opened");
        QTest::newRow("http") << u"http://www.site.example/a/b.html"_s << true;
        QTest::newRow("https") << u"https://secure.example/x?y=1"_s << true;
        QTest::newRow("upper-case scheme") << u"HTTP://Site.example/"_s << true;
        QTest::newRow("spaces around") << u"  http://site.example/a b  "_s << true;
        QTest::newRow("local file") << u"file:///etc/passwd"_s << false;
        QTest::newRow("script") << u"javascript:alert(1)"_s << false;
        QTest::newRow("program") << u"/usr/bin/xterm"_s << false;
        QTest::newRow("bare host") << u"site.example"_s << false;
        QTest::newRow("no host") << u"http://"_s << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("other scheme") << u"ftp://files.example/x"_s << false;
    }

    void webAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, opened);
        FakePlatform platform;
        OpenWebPage(platform, address);
        QCOMPARE(platform.opened.size(), opened ? 1 : 0);
        QCOMPARE(platform.messages.size(), opened ? 0 : 1);
        if (!opened) {
            QCOMPARE(platform.messages[0].text, u"Error opening in browser"_s);
            QCOMPARE(platform.messages[0].title, u"Error"_s);
            QCOMPARE(platform.messages[0].icon, MessageIcon::Stop);
        } else {
            QCOMPARE(platform.opened[0].scheme().left(4), u"http"_s);
        }
    }

    void refusedAddressIsReportedOnce()
    {
        FakePlatform platform;
        platform.openSucceeds = false;
        OpenWebPage(platform, u"http://site.example/"_s);
        QCOMPARE(platform.opened.size(), 1);
        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.messages[0].title, u"Error"_s);
        OpenLocalFile(platform, u"/tmp/x y.txt"_s);
        QCOMPARE(platform.opened[1], QUrl(u"file:///tmp/x y.txt"_s));
        QCOMPARE(platform.messages.size(), 2);
    }

    void karaokeSearch_data()
    {
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("song");
        QTest::addColumn<QString>("query");
        QTest::newRow("spaces") << u"The Red Band"_s << u"Blue Sky"_s
                                << u"/wordhive/getkaraoke.php?artist=The%20Red%20Band&song=Blue%20Sky"_s;
        QTest::newRow("query characters") << u"Salt & Pepper"_s << u"#1+100%"_s
                                          << u"/wordhive/getkaraoke.php?artist=Salt%20%26%20Pepper&song=%231%2B100%25"_s;
        QTest::newRow("other letters unchanged") << u"Café"_s << u"Niña?"_s
                                                 << u"/wordhive/getkaraoke.php?artist=Café&song=Niña?"_s;
    }

    void karaokeSearch()
    {
        QFETCH(QString, artist);
        QFETCH(QString, song);
        QFETCH(QString, query);
        QCOMPARE(karaokeSearchAddress(u"http://www.wordhive.example"_s, artist, song),
                 u"http://www.wordhive.example"_s + query);
        // It reaches the browser as one well-formed address.
        FakePlatform platform;
        OpenWebPage(platform, karaokeSearchAddress(u"http://v.example"_s, artist, song));
        QCOMPARE(platform.opened.size(), 1);
        QCOMPARE(QUrlQuery(platform.opened[0]).queryItemValue(u"artist"_s, QUrl::FullyDecoded), artist);
        QCOMPARE(QUrlQuery(platform.opened[0]).queryItemValue(u"song"_s, QUrl::FullyDecoded), song);
    }

    void vendorSiteIsASetting()
    {
        FakePlatform platform;
        QCOMPARE(vendorSite(platform), u"http://www.wordhive.example"_s);
        QCOMPARE(helpAddress(vendorSite(platform)),
                 u"http://www.wordhive.example/wordhive/faq/faq.php?lang=en&list=category&catnr=8&prog=1&onlynewfaq=0"_s);
        platform.settings.insert(FakePlatform::settingKey(u"Vesk"_s, u"Config"_s, u"VendorSite"_s),
                                 u" https://mirror.example/ "_s);
        QCOMPARE(vendorSite(platform), u"https://mirror.example"_s);
    }

    void joinedFileNames_data()
    {
        QTest::addColumn<int>("songs");
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("name");
        QTest::newRow("example") << 3 << QDateTime(QDate(2005, 4, 7), QTime(9, 5))
                                 << u"3 Lyrics Joined at 04-07-2005 9-5.txt"_s;
        QTest::newRow("two-digit fields") << 12 << QDateTime(QDate(2026, 12, 31), QTime(23, 59))
                                          << u"12 Lyrics Joined at 12-31-2026 23-59.txt"_s;
        QTest::newRow("midnight") << 1 << QDateTime(QDate(2026, 1, 2), QTime(0, 0))
                                  << u"1 Lyrics Joined at 01-02-2026 0-0.txt"_s;
        QTest::newRow("short year") << 1 << QDateTime(QDate(999, 1, 2), QTime(1, 2))
                                    << u"1 Lyrics Joined at 01-02-0999 1-2.txt"_s;
    }

    void joinedFileNames()
    {
        QFETCH(int, songs);
        QFETCH(QDateTime, when);
        QFETCH(QString, name);
        QCOMPARE(joinedFileName(songs, when), name);
    }

    void joinedBlock()
    {
        QCOMPARE(joinedHeading(u"Band"_s, u"Song"_s) + u"La"_s + joinedClosing(),
                 u":: Band - Song\r\n---------------\r\nLa\r\n=========================\r\n\r\n"_s);
    }

    void selectSongRecordsTheSelection()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.path());
        lib.song(u"B"_s, u"Band - One.txt"_s, "x", true).song(u"B"_s, u"Band - Two.txt"_s);
        LibraryTree tree;
        LibraryNode *artist = tree.appendNew(nullptr, u"band"_s, u"Band"_s, 9);
        LibraryNode *one = tree.appendNew(artist, u"B/Band - One.txt"_s, u"One"_s, 7);
        LibraryNode *two = tree.appendNew(artist, u"B/Band - Two.txt"_s, u"Two"_s, 10);
        AppState state;
        state.CachePath = lib.cachePath();

        SelectSong(state, *two);
        QCOMPARE(state.SelectedPath, lib.cachePath() + u"B/Band - Two.txt"_s);
        QCOMPARE(state.SelectedSong, u"Two"_s);
        QCOMPARE(state.SelectedArtist, u"Band"_s);
        QCOMPARE(state.SelectedArtistIndex, 1);
        QCOMPARE(state.HasTimestamps, false);

        SelectSong(state, *one);
        QCOMPARE(state.HasTimestamps, true);
    }
};

int runAppTests(int argc, char **argv)
{
    TestApp tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_app.moc"
