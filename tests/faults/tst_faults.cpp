// Faults made with permissions: a file or folder the program may not write.
// Run as an ordinary user (root writes read-only files).

#include "library/LibraryTreeModel.h"
#include "lists/ListsModel.h"
#include "mainwindow/MainWindowFixture.h"
#include "startup/Main.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

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
    explicit ReadOnly(const QString &path) : path(path), before(QFile::permissions(path))
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
        w.form->lista_NodeClick(w.node(u"A/Able - One.txt"_s));
        w.form->toolbarButton(frmMain::Edit)->trigger();
        auto *box = w.child<QPlainTextEdit>(u"lyrics"_s);
        box->setPlainText(u"New words the user typed"_s);
        w.form->toolbarButton(frmMain::Edit)->trigger();

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
        w.form->lista_NodeClick(w.node(u"A/Able - One.txt"_s));
        w.form->toolbarButton(frmMain::Delete)->trigger();

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
        w.form->toolbarButton(frmMain::JoinLyrics)->trigger();
        w.form->libraryModel().setData(w.form->libraryModel().indexOf(w.node(u"able"_s)), Qt::Checked,
                                       Qt::CheckStateRole);
        w.form->toolbarButton(frmMain::JoinLyrics)->trigger();
        QCOMPARE(w.platform.messages.last().text, u"Could not create/overwrite file"_s);
        QCOMPARE(w.platform.messages.last().icon, MessageIcon::Stop);
        QCOMPARE(QDir(w.state.InstallPath).entryList(QDir::Files), QStringList());
    }

private:
    QTemporaryDir dataHome;
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
