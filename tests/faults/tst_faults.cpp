// Faults made with permissions: a file or folder the program may not write.
// Run as an ordinary user (root writes read-only files).

#include "lyricsindex/LyricsFixture.h"
#include "mainwindow/clsKaraokeEdition.h"
#include "widgets/LibraryTreeModel.h"
#include "widgets/VeskTimePicker.h"
#include "lists/ListsModel.h"
#include "text/TextFile.h"
#include "mainwindow/MainWindowFixture.h"
#include "music/MusicFixture.h"
#include "startup/Main.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QThread>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool makeReadOnly(const QString &path)
{
    const bool folder = QFileInfo(path).isDir();
    return QFile::setPermissions(path, folder ? QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                    | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther
                                              : QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
}

// Makes a path read-only for the test and writable again afterwards, so the
// temporary folder can be removed.
class ReadOnly
{
public:
    explicit ReadOnly(const QString &file) : path(file), before(QFile::permissions(file))
    {
        made = makeReadOnly(path);
    }
    ~ReadOnly() { QFile::setPermissions(path, before); }
    bool made = false;

private:
    QString path;
    QFile::Permissions before;
};

const QByteArray kSong = "Old words\r\n";

// The two versions the saver below alternates between, as they must stand
// on disk: large enough that a kill often lands in the middle of a write.
std::pair<QByteArray, QByteArray> savedVersions(const QString &kind)
{
    if (kind == u"list"_s) {
        QStringList a, b;
        for (int i = 0; i < 60000; ++i) {
            a << u"Artist %1 - Song A"_s.arg(i);
            b << u"Artist %1 - Song B, longer"_s.arg(i);
        }
        return {listText(a).toLatin1(), listText(b).toLatin1()};
    }
    if (kind == u"kas"_s) {
        const QByteArray tail = ";" + QByteArray(3'000'000, 't') + "\r\n";
        return {"FaAA" + tail, "FaBB" + tail};
    }
    return {QByteArray(3'000'000, 'a') + "\r\n", QByteArray(4'000'000, 'b') + "\r\n"};
}

// Saves the file again and again the way the program does, A and B in
// turn, until killed. Says "saved" once the first save is on disk.
int saveForever(const QString &kind, const QString &path)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "saver";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    bool first = true;
    auto announce = [&] {
        if (first) {
            std::fputs("saved\n", stdout);
            std::fflush(stdout);
            first = false;
        }
    };
    if (kind == u"list"_s) {
        ListsModel lists;
        lists.setFolder(QFileInfo(path).path());
        const auto versions = savedVersions(kind);
        const QStringList a = parseListText(QString::fromLatin1(versions.first));
        const QStringList b = parseListText(QString::fromLatin1(versions.second));
        for (bool useA = true;; useA = !useA) {
            lists.setEntries(ListsModel::Which::Redownload, useA ? a : b);
            announce();
        }
    }
    if (kind == u"kas"_s) {
        LibraryBuilder(QFileInfo(path).path()).file(QFileInfo(path).fileName(), savedVersions(kind).first);
        QWidget area;
        FakePlatform platform;
        clsKaraokeEdition edition(area, platform);
        edition.LoadKasFile(path);
        for (bool useA = true;; useA = !useA) {
            edition.row(0)->setText(useA ? u"AA"_s : u"BB"_s);
            if (edition.SaveKasFile(path))
                announce();
        }
    }
    const auto versions = savedVersions(kind);
    const QString a = QString::fromLatin1(versions.first);
    const QString b = QString::fromLatin1(versions.second);
    for (bool useA = true;; useA = !useA) {
        if (writeTextFile(path, useA ? a : b) == WriteResult::Written)
            announce();
    }
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (geteuid() == 0)
            QSKIP("root writes read-only files; run through run-unprivileged");
        QVERIFY(dataHome.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    }

    void readOnlyLyricsFileOnEdit_data()
    {
        QTest::addColumn<bool>("folderReadOnly");
        QTest::newRow("read-only file") << false;
        QTest::newRow("read-only folder") << true;
    }

    void readOnlyLyricsFileOnEdit()
    {
        QFETCH(bool, folderReadOnly);
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong);
        const QString path = w.lib.cachePath() + u"A/Able - One.txt"_s;
        ReadOnly readOnly(folderReadOnly ? w.lib.cachePath() + u"A"_s : path);
        QVERIFY(readOnly.made);
        w.open();
        w.click(u"A/Able - One.txt"_s);
        w.press(frmMain::Edit);
        auto *box = w.lyrics();
        w.typeLyrics(u"New words the user typed"_s);
        w.press(frmMain::Edit);

        QCOMPARE(w.platform.messages.size(), 1);
        QCOMPARE(w.platform.messages[0].text, u"Couldn't save the lyrics file"_s);
        QCOMPARE(w.platform.messages[0].title, u"Wordhive Stanzabox"_s);
        QCOMPARE(w.platform.messages[0].icon, MessageIcon::Stop);
        // Nothing lost: the typed text is still there to save later, the file is as it was.
        QVERIFY(w.form->toolbarButton(frmMain::Edit)->isChecked());
        QVERIFY(!box->isReadOnly());
        QCOMPARE(box->toPlainText(), u"New words the user typed"_s);
        QCOMPARE(LibraryBuilder::bytes(path), kSong);
        QCOMPARE(QDir(w.lib.cachePath() + u"A"_s).entryList(QDir::Files), QStringList{u"Able - One.txt"_s});
    }

    void fileThatCannotBeRemovedOnDelete()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong).song(u"A"_s, u"Able - Two.txt"_s);
        const QString path = w.lib.cachePath() + u"A/Able - One.txt"_s;
        ReadOnly readOnly(w.lib.cachePath() + u"A"_s);
        QVERIFY(readOnly.made);
        w.open();
        w.click(u"A/Able - One.txt"_s);
        w.press(frmMain::Delete);

        QCOMPARE(w.platform.messages.size(), 1);
        QCOMPARE(w.platform.messages[0].text, u"Couldn't delete file. File was not found"_s);
        QCOMPARE(LibraryBuilder::bytes(path), kSong);
        QVERIFY(w.node(u"A/Able - One.txt"_s));
        QCOMPARE(w.label(u"lblCount"_s), u"2 lyrics\n0 timestamps"_s);
        QCOMPARE(w.state.LyricsCount, 2);
        QVERIFY(w.lists.entries(ListsModel::Which::Deleted).isEmpty());
        QCOMPARE(int(w.state.TreeSnapshot.size()), 3);
        QVERIFY(w.enabled(frmMain::Delete));
    }

    void readOnlyProgramFolderKeepsListsWithTheUser()
    {
        QTemporaryDir dir;
        LibraryBuilder(dir.path()).folder(u"program"_s);
        ReadOnly readOnly(dir.filePath(u"program"_s));
        QVERIFY(readOnly.made);
        FakePlatform platform;
        platform.folder = dir.filePath(u"program"_s);
        platform.dataFolder = dir.filePath(u"data/Vesk/Stanzabox"_s);
        {
            Main program(platform);
            program.run();
            QCOMPARE(program.listsFolder(), platform.dataFolder);
            program.lists().insertAtTop(ListsModel::Which::Redownload, u"Able - One"_s);
            QCOMPARE(LibraryBuilder::bytes(platform.dataFolder + u"/redownload.txt"_s), QByteArray("Able - One\r\n"));
            QVERIFY(program.mainWindow()->close());
        }
        QCOMPARE(QDir(platform.folder).entryList(QDir::Files), QStringList());
        QCOMPARE(LibraryBuilder::bytes(platform.dataFolder + u"/redownload.txt"_s), QByteArray("Able - One\r\n"));
    }

    void readOnlyInstallFolderOnJoin()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong);
        w.state.InstallPath = w.dir.filePath(u"install"_s);
        LibraryBuilder(w.state.InstallPath);
        ReadOnly readOnly(w.state.InstallPath);
        QVERIFY(readOnly.made);
        w.open();
        w.press(frmMain::JoinLyrics);
        w.tick(u"able"_s);
        w.press(frmMain::JoinLyrics);
        QCOMPARE(w.platform.messages.last().text, u"Could not create/overwrite file"_s);
        QCOMPARE(w.platform.messages.last().icon, MessageIcon::Stop);
        QCOMPARE(QDir(w.state.InstallPath).entryList(QDir::Files), QStringList());
    }

    void readOnlyLyricsFileOnDelete()
    {
        // A read-only file in a folder the user may change goes like any
        // other, to the trash, as the desktop's file manager would do it.
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong).song(u"A"_s, u"Able - Two.txt"_s);
        const QString path = w.lib.cachePath() + u"A/Able - One.txt"_s;
        ReadOnly readOnly(path);
        QVERIFY(readOnly.made);
        w.open();
        w.click(u"A/Able - One.txt"_s);
        w.press(frmMain::Delete);
        QVERIFY(w.platform.messages.isEmpty());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(LibraryBuilder::bytes(dataHome.filePath(u"Trash/files/Able - One.txt"_s)), kSong);
        QCOMPARE(w.lists.entries(ListsModel::Which::Deleted), QStringList{u"Able - One"_s});
    }

    void readOnlyFolderOnTimestampSave()
    {
        Window w;
        const QByteArray kas = "FaV1@@C ;tail\r\n";
        w.lib.song(u"A"_s, u"Able - One.txt"_s).file(u"A/Able - One.kas"_s, kas);
        ReadOnly readOnly(w.lib.cachePath() + u"A"_s);
        QVERIFY(readOnly.made);
        w.open();
        w.click(u"A/Able - One.txt"_s);
        w.form->karaokeEdition().row(0)->setText(u"X"_s);
        QTest::mouseClick(w.child<QPushButton>(u"cmdSave"_s), Qt::LeftButton);
        QCOMPARE(w.platform.messages.size(), 1);
        QCOMPARE(w.platform.messages[0].text, u"Karaoke timestamps could not be saved"_s);
        QCOMPARE(w.form->karaokeEdition().row(0)->Text(), u"X"_s);
        QCOMPARE(LibraryBuilder::bytes(w.lib.cachePath() + u"A/Able - One.kas"_s), kas);
    }

    void listsFolderThatTurnsReadOnly()
    {
        QTemporaryDir dir;
        LibraryBuilder(dir.path()).folder(u"program"_s).file(u"program/redownload.txt"_s, "Old - One\r\n");
        FakePlatform platform;
        platform.folder = dir.filePath(u"program"_s);
        platform.dataFolder = dir.filePath(u"data"_s);
        Main program(platform);
        program.run();
        QCOMPARE(program.listsFolder(), platform.folder);
        ReadOnly readOnly(platform.folder);
        QVERIFY(readOnly.made);
        program.lists().insertAtTop(ListsModel::Which::Redownload, u"New - Two"_s);
        program.lists().insertAtTop(ListsModel::Which::Redownload, u"New - Three"_s);
        // Told once; the lists go on in memory; the old file is whole.
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY(platform.messages[0].text.startsWith(u"Couldn't save the list file "_s));
        QCOMPARE(program.lists().entries(ListsModel::Which::Redownload),
                 QStringList({u"New - Three"_s, u"New - Two"_s, u"Old - One"_s}));
        QCOMPARE(LibraryBuilder::bytes(platform.folder + u"/redownload.txt"_s), QByteArray("Old - One\r\n"));
        // Closing still stores the window settings.
        QVERIFY(program.mainWindow()->close());
        QVERIFY(platform.journal.contains(u"write FrmMaximized"_s));
    }

    void unreadableListFileSurvivesTheRun_data()
    {
        QTest::addColumn<QString>("added"); // entry added during the run, if any
        QTest::newRow("list left empty") << QString();
        QTest::newRow("entry added") << u"Able - One"_s;
    }

    void unreadableListFileSurvivesTheRun()
    {
        QFETCH(QString, added);
        QTemporaryDir dir;
        LibraryBuilder(dir.path()).folder(u"program"_s).file(u"program/deleted.txt"_s, "Kept - One\r\n");
        const QString path = dir.filePath(u"program/deleted.txt"_s);
        QVERIFY(QFile::setPermissions(path, QFile::Permissions()));
        FakePlatform platform;
        platform.folder = dir.filePath(u"program"_s);
        platform.dataFolder = dir.filePath(u"data"_s);
        {
            Main program(platform);
            program.run();
            QCOMPARE(program.listsFolder(), platform.folder);
            QVERIFY(program.lists().entries(ListsModel::Which::Deleted).isEmpty());
            if (!added.isEmpty()) {
                program.lists().insertAtTop(ListsModel::Which::Deleted, added);
                QCOMPARE(program.lists().entries(ListsModel::Which::Deleted), QStringList{added});
            }
            QVERIFY(program.mainWindow()->close());
        }
        // The file first: it is what the user would lose.
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFile::permissions(path), QFile::Permissions());
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(LibraryBuilder::bytes(path), QByteArray("Kept - One\r\n"));
        // Told once, at start-up, with the path.
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY(platform.messages[0].text.startsWith(u"Couldn't read the list file "_s + path));
    }

    // Lyrics for a music file that may not be written, or whose folder may
    // not: told for that file, which stays as it was.
    void readOnlyMusic_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("read-only file") << false;
        QTest::newRow("read-only folder") << true;
    }
    void readOnlyMusic()
    {
        QFETCH(bool, folder);
        MusicMachine m;
        m.lyrics.song(u"R"_s, u"Ro Band - Still.txt"_s, "Words\r\n");
        const QString track = m.track(u"ro/still.ogg"_s);
        QVERIFY(MusicFiles::make(u"ogg"_s, track, u"Ro Band"_s, u"Still"_s));
        const QByteArray before = LibraryBuilder::bytes(track);
        ReadOnly readOnly(folder ? QFileInfo(track).absolutePath() : track);
        QVERIFY(readOnly.made);
        m.start();
        QVERIFY(m.openMusic());
        m.platform.answers = {MessageAnswer::Yes};
        QVERIFY(m.putLyrics());
        QVERIFY2(m.lastMessage().endsWith(folder ? u"its folder is read-only"_s : u"the file is read-only"_s),
                 qPrintable(m.lastMessage()));
        QCOMPARE(LibraryBuilder::bytes(track), before);
        QCOMPARE(QDir(QFileInfo(track).absolutePath()).entryList(QDir::Hidden | QDir::Files), QStringList{u"still.ogg"_s});
    }

    void unreadableLetterFolder()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"B"_s, u"Bee - Two.txt"_s);
        const QString folder = w.lib.cachePath() + u"B"_s;
        const QFile::Permissions before = QFile::permissions(folder);
        QVERIFY(QFile::setPermissions(folder, QFile::Permissions()));
        w.open();
        QFile::setPermissions(folder, before);
        QCOMPARE(w.state.LyricsCount, 1);
        QVERIFY(w.node(u"A/Able - One.txt"_s));
        QCOMPARE(w.platform.messages.size(), 1);
        QVERIFY(w.platform.messages[0].text.startsWith(u"These letter folders of the library could not be read: B"_s));
        QCOMPARE(w.platform.messages[0].icon, MessageIcon::Exclamation);
    }

    // A letter folder that cannot be read keeps its songs in the lyrics
    // index (not a folder emptied); a song that cannot be read is not shown
    // but stays indexed.
    void lyricsIndexKeepsWhatItCannotRead()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.filePath(u"cache"_s));
        lib.song(u"A"_s, u"Able - One.txt"_s, "harbour lights\r\n")
            .song(u"B"_s, u"Bee - Two.txt"_s, "harbour walls\r\n")
            .song(u"C"_s, u"Cee - Three.txt"_s, "harbour stones\r\n");
        LyricsEngine engine(dir.filePath(u"index"_s));
        syncAndWait(engine, [&] { engine.setCachePath(lib.cachePath()); });
        QCOMPARE(engine.search(u"harbour"_s).Total, 3);

        const QString folder = lib.cachePath() + u"B"_s;
        const QString song = lib.cachePath() + u"C/Cee - Three.txt"_s;
        const QFile::Permissions folderBefore = QFile::permissions(folder);
        const QFile::Permissions songBefore = QFile::permissions(song);
        QVERIFY(QFile::setPermissions(folder, QFile::Permissions()));
        QVERIFY(QFile::setPermissions(song, QFile::Permissions()));
        // The file changes while it cannot be read: the pass must read it.
        QFile::setPermissions(song, songBefore);
        lib.song(u"C"_s, u"Cee - Three.txt"_s, "harbour stones, and more\r\n");
        QVERIFY(QFile::setPermissions(song, QFile::Permissions()));
        const LyricsSyncReport report = syncAndWait(engine, [&] { engine.resync(); });
        const LyricsSearchResult result = engine.search(u"harbour"_s);
        QFile::setPermissions(folder, folderBefore);
        QFile::setPermissions(song, songBefore);
        QCOMPARE(report.Removed, 0);
        QCOMPARE(report.Changed, 1);
        QCOMPARE(report.Read, 0);
        QCOMPARE(titlesOf(result, false), QStringList{u"Able - One"_s});

        // Readable again: all there, the changed song read now.
        const LyricsSyncReport again = syncAndWait(engine, [&] { engine.resync(); });
        QCOMPARE(again.Read, 1);
        QCOMPARE(engine.search(u"harbour"_s).Total, 3);
        QCOMPARE(engine.search(u"more"_s).Total, 1);
    }

    // An index that exists but can no longer be written (its folder and file
    // made read-only): not available, said so, no crash.
    void lyricsIndexThatCannotBeWritten()
    {
        QTemporaryDir dir;
        LibraryBuilder lib(dir.filePath(u"cache"_s));
        lib.song(u"A"_s, u"Able - One.txt"_s, "harbour lights\r\n");
        const QString folder = dir.filePath(u"index"_s);
        QString file;
        {
            LyricsEngine first(folder);
            syncAndWait(first, [&] { first.setCachePath(lib.cachePath()); });
            file = first.indexFile();
        }
        ReadOnly lockedFile(file);
        ReadOnly lockedFolder(folder);
        QVERIFY(lockedFile.made && lockedFolder.made);
        LyricsEngine engine(folder);
        engine.setCachePath(lib.cachePath());
        QTRY_COMPARE_WITH_TIMEOUT(engine.state(), LyricsEngine::State::Unavailable, 20000);
        const LyricsSearchResult result = engine.search(u"harbour"_s);
        QCOMPARE(result.State, LyricsSearchResult::Status::NotAvailable);
        QVERIFY2(result.Message.startsWith(u"Lyrics search is not available: "_s), qPrintable(result.Message));
    }

    void interruptedSavesLeaveOldOrNew_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("lyrics file") << u"lyrics"_s;
        QTest::newRow("timestamp file") << u"kas"_s;
        QTest::newRow("list file") << u"list"_s;
    }

    void interruptedSavesLeaveOldOrNew()
    {
        // Another process saves the file over and over; it is killed
        // (SIGKILL) at random moments. The file is then always one of the
        // two versions, whole.
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString name = kind == u"list"_s ? u"redownload.txt"_s
                             : kind == u"kas"_s  ? u"Able - Song.kas"_s
                                                 : u"Able - Song.txt"_s;
        const QString path = dir.filePath(name);
        const std::pair<QByteArray, QByteArray> versions = savedVersions(kind);
        QRandomGenerator random(20261208);
        for (int round = 0; round < 12; ++round) {
            QProcess saver;
            saver.start(QCoreApplication::applicationFilePath(), {u"--save-forever"_s, kind, path});
            QVERIFY(saver.waitForReadyRead(20000)); // the first save is done
            QThread::msleep(random.bounded(1, 60));
            saver.kill();
            QVERIFY(saver.waitForFinished(10000));
            const QByteArray onDisk = LibraryBuilder::bytes(path);
            QVERIFY2(onDisk == versions.first || onDisk == versions.second,
                     qPrintable(u"round %1: %2 bytes on disk"_s.arg(round).arg(onDisk.size())));
            // A save cut short may leave its temporary file; its name never
            // ends like a song's, a timestamp file's or a list's.
            for (const QString &other : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
                if (other != name)
                    QVERIFY2(!other.endsWith(u".txt"_s) && !other.endsWith(u".kas"_s), qPrintable(other));
            }
        }
    }

private:
    QTemporaryDir dataHome;
};

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--save-forever") == 0)
        return saveForever(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QApplication app(argc, argv);
    TestFaults tests;
    return QTest::qExec(&tests, argc, argv);
}
#include "tst_faults.moc"
