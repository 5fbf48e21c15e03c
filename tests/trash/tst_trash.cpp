// The desktop's trash: what goes into it when a song is deleted, and how the
// song comes back. Everything happens in a home and a trash of the tests'
// own, on the file system of the tests' files.

#include "platform/DesktopTrash.h"
#include "support/LibraryBuilder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cctype>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The folder holding the tests' home and data home.
QString testRoot;

dev_t deviceOf(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : dev_t(-1);
}

bool write(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray bytes(const QString &path)
{
    return LibraryBuilder::bytes(path);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// The value of a key of an info file, as written.
QByteArray value(const QByteArray &info, const QByteArray &key)
{
    for (const QByteArray &line : info.split('\n')) {
        if (line.startsWith(key + '='))
            return line.mid(key.size() + 1);
    }
    return "<missing>";
}

// Whether every byte is one that a URI's path may hold as it is, or part of
// a percent-escape.
bool isUriPath(const QByteArray &text)
{
    static const QByteArray plain = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~/!$&'()*+,;=:@";
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 2 >= text.size() || !std::isxdigit(uchar(text[i + 1])) || !std::isxdigit(uchar(text[i + 2])))
                return false;
            i += 2;
        } else if (!plain.contains(text[i])) {
            return false;
        }
    }
    return true;
}

// Songs go in a folder beside the tests' trash.
QString songsTemplate()
{
    return testRoot + u"/songs-XXXXXX"_s;
}

bool setDeletionDate(const QString &infoFile, const QByteArray &date)
{
    QByteArray info = bytes(infoFile);
    info.replace(value(info, "DeletionDate"), date);
    return write(infoFile, info);
}

bool setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(when, QFileDevice::FileModificationTime);
}

} // namespace

class TestTrash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // GLib took the tests' own trash, which lies, like the home folder,
        // on the songs' file system: GIO uses the home trash for them and
        // makes no trash at the top of the machine's file system.
        const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        QCOMPARE(DesktopTrash::homeFolder(), dataHome + u"/Trash"_s);
        QVERIFY(dataHome.startsWith(testRoot + u'/'));
        QVERIFY(qEnvironmentVariable("HOME").startsWith(testRoot + u'/'));
        QTemporaryDir songs(songsTemplate());
        const QString probe = songs.filePath(u"probe.txt"_s);
        QVERIFY(write(probe, "x"));
        QCOMPARE(deviceOf(probe), deviceOf(dataHome));
        QVERIFY(DesktopTrash::usesHomeTrash(probe));
    }

    void init()
    {
        QVERIFY(QDir(DesktopTrash::homeFolder()).removeRecursively());
    }

    void trashedSongComesBackUnderItsName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("ampersand and percent") << u"Zed & Co - 100% Pure.txt"_s;
        QTest::newRow("letters beyond ASCII") << u"Łoś - Żółw.txt"_s;
    }

    void trashedSongComesBackUnderItsName()
    {
        QFETCH(QString, name);
        QTemporaryDir songs(songsTemplate());
        const QString path = songs.filePath(u"Z/"_s + name);
        const QByteArray content = "First line\r\n\xe9t\xe9\r\n";
        QVERIFY(write(path, content));
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);

        const TrashResult trashed = DesktopTrash::moveToTrash(path);
        QCOMPARE(trashed.status, TrashResult::Trashed);
        QVERIFY(!QFile::exists(path));
        const QString trash = DesktopTrash::homeFolder();
        QCOMPARE(bytes(trash + u"/files/"_s + name), content);
        const QByteArray info = bytes(trash + u"/info/"_s + name + u".trashinfo"_s);
        QVERIFY2(info.startsWith("[Trash Info]\n") && info.endsWith('\n'), info.constData());
        const QByteArray escaped = value(info, "Path");
        QVERIFY2(isUriPath(escaped), escaped.constData());
        QCOMPARE(QByteArray::fromPercentEncoding(escaped), QFile::encodeName(path));
        const QDateTime deleted = QDateTime::fromString(QString::fromLatin1(value(info, "DeletionDate")), Qt::ISODate);
        QVERIFY2(deleted >= before && deleted <= QDateTime::currentDateTime(), info.constData());

        const RestoreResult restored = DesktopTrash::restore(path);
        QCOMPARE(restored.status, RestoreResult::Restored);
        QCOMPARE(bytes(path), content);
        QCOMPARE(entries(trash + u"/files"_s), QStringList());
        QCOMPARE(entries(trash + u"/info"_s), QStringList());
    }

    void trashedFilesAreFoundByTheirFolder()
    {
        QTemporaryDir songs(songsTemplate());
        QTemporaryDir other(songsTemplate());
        for (const QString &name : {u"A/Able - One.txt"_s, u"B/Bee & Co - 100%.txt"_s})
            QVERIFY(write(songs.filePath(name), "la"));
        QVERIFY(write(other.filePath(u"A/Able - One.txt"_s), "la"));
        // The songs' folder reached through a link, as a cache path may be.
        const QString linked = other.filePath(u"linked"_s);
        QVERIFY(QFile::link(songs.path(), linked));
        for (const QString &path : {songs.filePath(u"A/Able - One.txt"_s), linked + u"/B/Bee & Co - 100%.txt"_s,
                                    other.filePath(u"A/Able - One.txt"_s)})
            QCOMPARE(DesktopTrash::moveToTrash(path).status, TrashResult::Trashed);

        // The home trash keeps each path as it was given: the folder named
        // through the link finds both, the plain name the one sent by it.
        QCOMPARE(DesktopTrash::trashedFrom(songs.path()), QStringList{songs.filePath(u"A/Able - One.txt"_s)});
        QCOMPARE(DesktopTrash::trashedFrom(linked),
                 QStringList({linked + u"/A/Able - One.txt"_s, linked + u"/B/Bee & Co - 100%.txt"_s}));
        QCOMPARE(DesktopTrash::trashedFrom(other.filePath(u"A"_s)), QStringList{other.filePath(u"A/Able - One.txt"_s)});
    }

    void newestCopyComesBackFirst_data()
    {
        QTest::addColumn<QByteArray>("firstDate");
        QTest::addColumn<QByteArray>("secondDate");
        QTest::addColumn<bool>("firstInfoNewer");
        QTest::addColumn<QByteArray>("backFirst");
        QTest::addColumn<QByteArray>("backSecond");
        QTest::newRow("later deletion date, older info file")
            << QByteArray("2024-05-01T10:00:00") << QByteArray("2024-05-01T09:59:59") << false
            << QByteArray("first") << QByteArray("second");
        QTest::newRow("same date, first info file newer")
            << QByteArray("2024-05-01T10:00:00") << QByteArray("2024-05-01T10:00:00") << true
            << QByteArray("first") << QByteArray("second");
        QTest::newRow("same date, second info file newer")
            << QByteArray("2024-05-01T10:00:00") << QByteArray("2024-05-01T10:00:00") << false
            << QByteArray("second") << QByteArray("first");
    }

    void newestCopyComesBackFirst()
    {
        QFETCH(QByteArray, firstDate);
        QFETCH(QByteArray, secondDate);
        QFETCH(bool, firstInfoNewer);
        QFETCH(QByteArray, backFirst);
        QFETCH(QByteArray, backSecond);
        QTemporaryDir songs(songsTemplate());
        const QString path = songs.filePath(u"A/Able - One.txt"_s);
        for (const QByteArray &content : {QByteArray("first"), QByteArray("second")}) {
            QVERIFY(write(path, content));
            QCOMPARE(DesktopTrash::moveToTrash(path).status, TrashResult::Trashed);
        }
        // GIO numbers the second copy.
        const QString info = DesktopTrash::homeFolder() + u"/info/"_s;
        const QString firstInfo = info + u"Able - One.txt.trashinfo"_s;
        const QString secondInfo = info + u"Able - One.2.txt.trashinfo"_s;
        QCOMPARE(bytes(DesktopTrash::homeFolder() + u"/files/Able - One.2.txt"_s), QByteArray("second"));
        QVERIFY(setDeletionDate(firstInfo, firstDate));
        QVERIFY(setDeletionDate(secondInfo, secondDate));
        const QDateTime older(QDate(2024, 5, 1), QTime(12, 0));
        QVERIFY(setModified(firstInfo, firstInfoNewer ? older.addSecs(1) : older));
        QVERIFY(setModified(secondInfo, firstInfoNewer ? older : older.addSecs(1)));

        QCOMPARE(DesktopTrash::restore(path).status, RestoreResult::Restored);
        QCOMPARE(bytes(path), backFirst);

        // The song was made again meanwhile: nothing is overwritten.
        QVERIFY(write(path, "made again"));
        QCOMPARE(DesktopTrash::restore(path).status, RestoreResult::TargetExists);
        QCOMPARE(bytes(path), QByteArray("made again"));
        QCOMPARE(entries(DesktopTrash::homeFolder() + u"/info"_s).size(), 1);
        QCOMPARE(entries(DesktopTrash::homeFolder() + u"/files"_s).size(), 1);

        QVERIFY(QFile::remove(path));
        QCOMPARE(DesktopTrash::restore(path).status, RestoreResult::Restored);
        QCOMPARE(bytes(path), backSecond);
        QVERIFY(QFile::remove(path));
        QCOMPARE(DesktopTrash::restore(path).status, RestoreResult::NotInTrash);
        QVERIFY(!QFile::exists(path));
    }

    // A trash entry whose file is a folder or a link is never moved into
    // the library: the song stays away, and the entry stays in the trash.
    void onlyAFileComesBack_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a folder") << u"folder"_s;
        QTest::newRow("a link to a folder") << u"link"_s;
    }

    void onlyAFileComesBack()
    {
        QFETCH(QString, kind);
        QTemporaryDir songs(songsTemplate());
        const QString path = songs.filePath(u"A/Able - One.txt"_s);
        QVERIFY(write(path, "one"));
        QCOMPARE(DesktopTrash::moveToTrash(path).status, TrashResult::Trashed);
        const QString trashed = DesktopTrash::homeFolder() + u"/files/Able - One.txt"_s;
        QVERIFY(QFile::remove(trashed));
        if (kind == u"folder"_s)
            QVERIFY(write(trashed + u"/inside.txt"_s, "x"));
        else
            QVERIFY(QFile::link(songs.path(), trashed));

        const RestoreResult result = DesktopTrash::restore(path);
        QCOMPARE(result.status, RestoreResult::Failed);
        QVERIFY(!result.reason.isEmpty());
        QVERIFY(!QFileInfo(path).exists() && !QFileInfo(path).isSymLink());
        QVERIFY(QFileInfo(trashed).exists());
    }

    void infoFilesOfEveryShape_data()
    {
        // @ESCAPED@: the song's path escaped; @RAW@: unescaped; @RELATIVE@:
        // escaped, relative to the data home; @CLIMB@: a relative path that
        // leaves the data home and comes back to the song.
        QTest::addColumn<QByteArray>("info");
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<bool>("restored");
        const QByteArray date = "DeletionDate=2024-05-01T10:00:00";
        QTest::newRow("escaped, as GIO writes it") << "[Trash Info]\nPath=@ESCAPED@\n" + date + "\n" << true << true;
        QTest::newRow("unescaped and unended, as Qt 6.4 wrote it")
            << "[Trash Info]\nPath=@RAW@\n" + date << true << true;
        QTest::newRow("relative to the data home") << "[Trash Info]\nPath=@RELATIVE@\n" + date + "\n" << true << true;
        QTest::newRow("CR LF, spaces, comments, other groups and keys")
            << "# kept by hand\r\n[Other]\r\nPath=/elsewhere\r\n[Trash Info]\r\nPath = @ESCAPED@ \r\nX-Extra=1\r\n"
                   + date + "\r\n"
            << true << true;
        QTest::newRow("no file in the trash") << "[Trash Info]\nPath=@ESCAPED@\n" + date + "\n" << false << false;
        QTest::newRow("no group") << "Path=@ESCAPED@\n" + date + "\n" << true << false;
        QTest::newRow("path in another group")
            << "[Trash Info]\n" + date + "\n[Other]\nPath=@ESCAPED@\n" << true << false;
        QTest::newRow("no deletion date") << QByteArray("[Trash Info]\nPath=@ESCAPED@\n") << true << false;
        QTest::newRow("unreadable deletion date")
            << QByteArray("[Trash Info]\nPath=@ESCAPED@\nDeletionDate=yesterday\n") << true << false;
        QTest::newRow("empty path") << "[Trash Info]\nPath=\n" + date + "\n" << true << false;
        QTest::newRow("escaped NUL") << "[Trash Info]\nPath=@ESCAPED@%00\n" + date + "\n" << true << false;
        QTest::newRow("longer path") << "[Trash Info]\nPath=@ESCAPED@.bak\n" + date + "\n" << true << false;
        QTest::newRow("relative path climbing out") << "[Trash Info]\nPath=@CLIMB@\n" + date + "\n" << true << false;
        static const char binary[] = "\x00\xff[Trash Info]\x00\nPath=\x01\x02\n\n\xfe=";
        QTest::newRow("binary") << QByteArray(binary, sizeof binary - 1) << true << false;
    }

    void infoFilesOfEveryShape()
    {
        QFETCH(QByteArray, info);
        QFETCH(bool, withFile);
        QFETCH(bool, restored);
        // The song below the data home, for the relative path.
        const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        QTemporaryDir songs(dataHome + u"/songs-XXXXXX"_s);
        const QString name = u"Zed & Co - 100% Pure.txt"_s;
        const QString path = songs.filePath(name);
        const QString relative = QDir(dataHome).relativeFilePath(path);
        info.replace("@ESCAPED@", QFile::encodeName(path).toPercentEncoding("/"))
            .replace("@RAW@", QFile::encodeName(path))
            .replace("@RELATIVE@", QFile::encodeName(relative).toPercentEncoding("/"))
            .replace("@CLIMB@", QFile::encodeName(u"../"_s + QFileInfo(dataHome).fileName() + u'/' + relative).toPercentEncoding("/"));
        const QString trash = DesktopTrash::homeFolder();
        const QString infoFile = trash + u"/info/Song.txt.trashinfo"_s;
        const QString trashedFile = trash + u"/files/Song.txt"_s;
        QVERIFY(write(infoFile, info));
        QVERIFY(QDir().mkpath(trash + u"/files"_s));
        if (withFile)
            QVERIFY(write(trashedFile, "words"));

        const RestoreResult result = DesktopTrash::restore(path);
        if (restored) {
            QCOMPARE(result.status, RestoreResult::Restored);
            QCOMPARE(bytes(path), QByteArray("words"));
            QVERIFY(!QFile::exists(infoFile));
        } else {
            QCOMPARE(result.status, RestoreResult::NotInTrash);
            QVERIFY(!QFile::exists(path));
            QCOMPARE(bytes(infoFile), info);
            QCOMPARE(QFile::exists(trashedFile), withFile);
        }
    }

    void topDirectoryTrashes_data()
    {
        QTest::addColumn<QString>("shared");
        QTest::addColumn<QByteArray>("comesBack");
        QTest::newRow("sticky .Trash") << u"sticky folder"_s << QByteArray("from .Trash");
        QTest::newRow(".Trash a link to a sticky folder") << u"link"_s << QByteArray("from .Trash-uid");
        QTest::newRow(".Trash not sticky") << u"plain folder"_s << QByteArray("from .Trash-uid");
    }

    void topDirectoryTrashes()
    {
        // A file system's top folder as a test may build one; the .Trash
        // entry is the newer, so it comes back whenever it may be trusted.
        QFETCH(QString, shared);
        QFETCH(QByteArray, comesBack);
        QTemporaryDir songs(songsTemplate());
        const QString top = songs.path();
        const QString uid = QString::number(::geteuid());
        const QString path = top + u"/A/Able - One.txt"_s;
        QVERIFY(QDir().mkpath(top + u"/A"_s));
        const QString sharedFolder = shared == u"link"_s ? top + u"/elsewhere"_s : top + u"/.Trash"_s;
        QVERIFY(QDir().mkpath(sharedFolder));
        QCOMPARE(::chmod(QFile::encodeName(sharedFolder).constData(), shared == u"plain folder"_s ? 0777 : 01777), 0);
        if (shared == u"link"_s)
            QVERIFY(QFile::link(sharedFolder, top + u"/.Trash"_s));
        auto entry = [&](const QString &trash, const QByteArray &date, const QByteArray &content) {
            return write(trash + u"/info/x.trashinfo"_s,
                         "[Trash Info]\nPath=A/Able%20-%20One.txt\nDeletionDate=" + date + "\n")
                   && write(trash + u"/files/x"_s, content);
        };
        QVERIFY(entry(top + u"/.Trash/"_s + uid, "2024-05-01T10:00:00", "from .Trash"));
        QVERIFY(entry(top + u"/.Trash-"_s + uid, "2024-05-01T09:00:00", "from .Trash-uid"));

        const QList<DesktopTrash::Folder> folders = DesktopTrash::topDirectoryFolders(top);
        QCOMPARE(folders.size(), comesBack == "from .Trash" ? 2 : 1);
        for (const DesktopTrash::Folder &folder : folders)
            QCOMPARE(folder.base, top);
        QCOMPARE(DesktopTrash::restore(path, folders).status, RestoreResult::Restored);
        QCOMPARE(bytes(path), comesBack);

        // The real top folder of the songs, the song itself being gone.
        QCOMPARE(DesktopTrash::topDirectory(top + u"/A/gone.txt"_s), QStorageInfo(top).rootPath());
    }

    void trashOnAnotherFileSystem()
    {
        // Some file managers copy songs from other file systems into the
        // home trash; those come back by copy.
        QTemporaryDir elsewhere(u"/dev/shm/stanzabox-trash-XXXXXX"_s);
        QTemporaryDir songs(songsTemplate());
        if (!elsewhere.isValid() || deviceOf(elsewhere.path()) == deviceOf(songs.path()))
            QSKIP("no second file system at /dev/shm");
        const QString path = songs.filePath(u"Able - One.txt"_s);
        const QString trash = elsewhere.path();
        auto entry = [&](const QString &name, const QByteArray &date, const QByteArray &content) {
            return write(trash + u"/info/"_s + name + u".trashinfo"_s,
                         "[Trash Info]\nPath=" + QFile::encodeName(path).toPercentEncoding("/")
                             + "\nDeletionDate=" + date + "\n")
                   && write(trash + u"/files/"_s + name, content);
        };
        QVERIFY(entry(u"a"_s, "2024-05-01T10:00:00", "newer"));
        QVERIFY(entry(u"b"_s, "2024-05-01T09:00:00", "older"));
        const QList<DesktopTrash::Folder> folders{{trash, trash}};

        QCOMPARE(DesktopTrash::restore(path, folders).status, RestoreResult::Restored);
        QCOMPARE(bytes(path), QByteArray("newer"));
        QCOMPARE(entries(trash + u"/files"_s), QStringList{u"b"_s});
        QCOMPARE(entries(trash + u"/info"_s), QStringList{u"b.trashinfo"_s});
        QCOMPARE(DesktopTrash::restore(path, folders).status, RestoreResult::TargetExists);
        QCOMPARE(bytes(path), QByteArray("newer"));
        QCOMPARE(bytes(trash + u"/files/b"_s), QByteArray("older"));
    }

    void noTrashLeavesTheFileInPlace()
    {
        // A data home below a regular file: no trash can be made there, and
        // root cannot make one either. GLib keeps the first data home it
        // reads, so another process tries.
        QTemporaryDir songs(songsTemplate());
        const QString folder = songs.path();
        const QString path = folder + u"/Able - One.txt"_s;
        QVERIFY(write(path, "words"));
        QVERIFY(write(folder + u"/plain file"_s, "not a folder"));
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_DATA_HOME"_s, folder + u"/plain file/data"_s);
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {u"--trash"_s, path});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);
        const QByteArray answer = child.readAllStandardOutput();
        // The child's home trash was that one, so GIO tried nothing else.
        QVERIFY2(answer.startsWith("home trash " + QFile::encodeName(folder) + "/plain file/data/Trash\n"),
                 answer.constData());
        QVERIFY2(answer.contains("\nNoTrash: ") && answer.trimmed().size() > answer.indexOf("NoTrash: ") + 9,
                 answer.constData());
        QCOMPARE(bytes(path), QByteArray("words"));
        QCOMPARE(bytes(folder + u"/plain file"_s), QByteArray("not a folder"));
        QCOMPARE(entries(folder), QStringList({u"Able - One.txt"_s, u"plain file"_s}));

        // A file that is gone cannot be moved at all.
        const TrashResult gone = DesktopTrash::moveToTrash(folder + u"/Gone.txt"_s);
        QCOMPARE(gone.status, TrashResult::Failed);
        QVERIFY(!gone.reason.isEmpty());
        QVERIFY(!QFile::exists(DesktopTrash::homeFolder()));
    }
};

int main(int argc, char **argv)
{
    // The child of noTrashLeavesTheFileInPlace: trashes one file with the
    // environment it was given and says what became of it.
    if (argc == 3 && qstrcmp(argv[1], "--trash") == 0) {
        const QString path = QFile::decodeName(argv[2]);
        if (!DesktopTrash::usesHomeTrash(path))
            return 2;
        const TrashResult result = DesktopTrash::moveToTrash(path);
        const char *status[] = {"Trashed", "NoTrash", "Failed"};
        std::printf("home trash %s\n%s: %s\n", QFile::encodeName(DesktopTrash::homeFolder()).constData(),
                    status[result.status], result.reason.toUtf8().constData());
        return 0;
    }
    // GLib reads the home and the data home once, on first use.
    QTemporaryDir root;
    if (!root.isValid() || !QDir(root.path()).mkpath(u"home"_s) || !QDir(root.path()).mkpath(u"data"_s))
        return 1;
    testRoot = root.path();
    qputenv("HOME", QFile::encodeName(root.filePath(u"home"_s)));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(u"data"_s)));
    QCoreApplication app(argc, argv);
    TestTrash tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_trash.moc"
