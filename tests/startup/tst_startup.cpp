#include "library/LibraryTree.h"
#include "widgets/LibraryTreeModel.h"
#include "library/SongNames.h"
#include "lists/ListsModel.h"
#include "listswindow/frmlists.h"
#include "mainwindow/frmMain.h"
#include "desktop/DesktopPlatform.h"
#include "startup/Main.h"
#include "support/FakePlatform.h"
#include "support/LibraryBuilder.h"

#include <QFile>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QToolBar>
#include <QTreeView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A program folder, a downloader install folder with a library, and a fake
// platform pointing at them.
struct Machine
{
    QTemporaryDir dir;
    QString programFolder = dir.filePath(u"program"_s);
    QString install = dir.filePath(u"Wordhive"_s);
    LibraryBuilder installFolder{install};
    FakePlatform platform;

    Machine()
    {
        LibraryBuilder{programFolder};
        platform.folder = programFolder;
        platform.installFolder = install;
        platform.versionWord = 0x0006;
        installFolder.song(u"lyrics/A"_s, u"Able - One.txt"_s);
    }
    bool programFile(const QString &name) const { return QFile::exists(programFolder + u'/' + name); }
};

// The user's hand on the main window: rows of the library tree and the
// toolbar's own buttons.
void clickNode(frmMain &form, const QString &key)
{
    auto *tree = form.findChild<QTreeView *>(u"lista"_s);
    const QModelIndex index = form.libraryModel().indexOf(form.libraryTree().find(key));
    tree->scrollTo(index);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
}

void clickToolbar(frmMain &form, int position)
{
    QWidget *button = form.findChild<QToolBar *>(u"tlbMain"_s)->widgetForAction(form.toolbarButton(position));
    // The left part: the Lists button keeps its menu on the right.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir configHome;

private Q_SLOTS:
    void initTestCase()
    {
        // Settings of the desktop platform go to a folder of the test's own.
        QVERIFY(configHome.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    }

    void desktopSettingsLiveInVeskIni()
    {
        DesktopPlatform platform(WinePrefix(configHome.filePath(u"no-prefix"_s)));
        QCOMPARE(platform.readSetting(u"Vesk"_s, u"Config"_s, u"FrmTop"_s, u"1000"_s), u"1000"_s);
        platform.writeSetting(u"Vesk"_s, u"Config"_s, u"FrmTop"_s, u"1500"_s);
        platform.writeSetting(u"Vesk"_s, u"Config"_s, u"FrmMaximized"_s, u"True"_s);
        QCOMPARE(platform.readSetting(u"Vesk"_s, u"Config"_s, u"FrmTop"_s, u"1000"_s), u"1500"_s);
        QFile ini(configHome.filePath(u"Vesk/Vesk.ini"_s));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY2(text.contains("[Config]\nFrmTop=1500\n") || text.contains("[Config]\nFrmMaximized=True\nFrmTop=1500\n"),
                 text.constData());
        QVERIFY(text.contains("FrmMaximized=True"));
        // No downloader in a prefix that does not exist.
        QVERIFY(platform.downloaderInstallFolder().isEmpty());
    }

    void windowReopensWhereItWasLeft()
    {
        Machine m;
        {
            Main program(m.platform);
            program.run();
            frmMain *form = program.mainWindow();
            // First start: as large as designed where the screen (800 x 800 here) has room.
            QVERIFY(form->screen()->availableGeometry().contains(form->frameGeometry()));
            QCOMPARE(form->height(), 567);
            form->move(20, 30);
            form->resize(700, 500);
            form->DoSplit(3000);
            QVERIFY(form->close());
        }
        auto stored = [&](const QString &key) {
            return m.platform.settings.value(FakePlatform::settingKey(u"Vesk"_s, u"Config"_s, key));
        };
        QCOMPARE(stored(u"FrmLeft"_s), u"300"_s);
        QCOMPARE(stored(u"FrmTop"_s), u"450"_s);
        QCOMPARE(stored(u"FrmWidth"_s), u"10500"_s);
        QCOMPARE(stored(u"FrmHeight"_s), u"7500"_s);
        QCOMPARE(stored(u"SplitPos"_s), u"3000"_s);
        QCOMPARE(stored(u"FrmMaximized"_s), u"False"_s);

        Main again(m.platform);
        again.run();
        QCOMPARE(again.mainWindow()->pos(), QPoint(20, 30));
        QCOMPARE(again.mainWindow()->size(), QSize(700, 500));
        QCOMPARE(again.mainWindow()->findChild<QWidget *>(u"picSplit"_s)->x(), 200);
    }

    void maximizedWindowReopensMaximized()
    {
        Machine m;
        m.platform.settings.insert(FakePlatform::settingKey(u"Vesk"_s, u"Config"_s, u"FrmMaximized"_s), u"True"_s);
        m.platform.settings.insert(FakePlatform::settingKey(u"Vesk"_s, u"Config"_s, u"FrmLeft"_s), u"4500"_s);
        Main program(m.platform);
        program.run();
        QVERIFY(program.mainWindow()->isMaximized());
        QVERIFY(program.mainWindow()->close());
        QCOMPARE(m.platform.settings.value(FakePlatform::settingKey(u"Vesk"_s, u"Config"_s, u"FrmMaximized"_s)),
                 u"True"_s);
    }

    void startUpRunsInOrder()
    {
        Machine m;
        // settings.txt moves the cache elsewhere; the scan must see that folder.
        const QString moved = m.dir.filePath(u"moved"_s);
        LibraryBuilder(moved).song(u"M"_s, u"Moved - Song.txt"_s).song(u"M"_s, u"Moved - Other.txt"_s);
        m.installFolder.file(u"settings.txt"_s, (u"[CachePath]="_s + moved + u"/\r\n"_s).toUtf8());
        m.platform.settings.insert(FakePlatform::settingKey(u"Vesk"_s, u"Config"_s, u"FrmLeft"_s), u"1500"_s);

        Main program(m.platform);
        QStringList seen;
        m.platform.onEvent = [&](const QString &event) {
            frmMain *form = program.mainWindow();
            if (event == u"registry"_s) {
                QVERIFY(!form);
                QVERIFY(program.state().RedownloadListActive);
                seen << event;
            } else if (event == u"read FrmTop"_s) {
                QVERIFY(form);
                QVERIFY(m.programFile(u"redownload.txt"_s) && m.programFile(u"deleted.txt"_s));
                QCOMPARE(program.state().CachePath, m.install + u"/lyrics/"_s);
                seen << event;
            } else if (event == u"events"_s) {
                // The scan: cache folder final, window placed but not shown.
                QCOMPARE(program.state().CachePath, moved + u"/"_s);
                QCOMPARE(form->x(), 100);
                QVERIFY(!form->isVisible());
                QCOMPARE(form->libraryTree().count(), 3);
                seen << event;
            } else if (event == u"version"_s) {
                QCOMPARE(int(program.state().TreeSnapshot.size()), 3);
                QVERIFY(!form->isVisible());
                QVERIFY(!m.programFile(u"Stanzabox.exe.manifest"_s));
                seen << event;
            }
        };
        program.run();
        m.platform.onEvent = nullptr;

        QCOMPARE(seen, QStringList({u"registry"_s, u"read FrmTop"_s, u"events"_s, u"version"_s}));
        QCOMPARE(m.platform.journal.first(), u"controls"_s);
        QVERIFY(program.mainWindow()->isVisible());
        QVERIFY(!program.listsWindowMade() || !program.listsWindow().isVisible());
        QVERIFY(m.programFile(u"Stanzabox.exe.manifest"_s));
        QCOMPARE(program.mainWindow()->findChild<QLabel *>(u"lblCount"_s)->text(), u"2 lyrics\n0 timestamps"_s);
    }

    void failedControlsSkipTheManifest()
    {
        Machine m;
        m.platform.controlsInitialise = false;
        Main program(m.platform);
        program.run();
        QVERIFY(!m.platform.journal.contains(u"version"_s));
        QVERIFY(!m.programFile(u"Stanzabox.exe.manifest"_s));
        QVERIFY(program.mainWindow()->isVisible());
    }

    void noDownloaderStillShowsTheWindow()
    {
        Machine m;
        m.platform.installFolder.clear();
        Main program(m.platform);
        program.run();
        QVERIFY(program.mainWindow()->isVisible());
        QCOMPARE(program.mainWindow()->libraryTree().count(), 0);
        QVERIFY(program.state().CachePath.isEmpty());
        QCOMPARE(program.mainWindow()->findChild<QLabel *>(u"lblCount"_s)->text(), QString());
    }

    void listsAreLoadedFromTheProgramFolder()
    {
        Machine m;
        LibraryBuilder(m.programFolder).file(u"redownload.txt"_s, "A - 1\r\nB - 2\r\n").file(u"deleted.txt"_s, "   ");
        Main program(m.platform);
        program.run();
        QCOMPARE(program.lists().entries(ListsModel::Which::Redownload), QStringList({u"A - 1"_s, u"B - 2"_s}));
        QVERIFY(program.lists().entries(ListsModel::Which::Deleted).isEmpty());
        QCOMPARE(program.listsWindow().findChild<QAbstractItemView *>(u"lstRedownload"_s)->model()->rowCount(), 2);
    }

    void theChosenFolderServesWhenNoDownloaderIsFound_data()
    {
        QTest::addColumn<bool>("downloader");
        QTest::addColumn<bool>("chosenExists");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no downloader") << false << true << u"Chosen - Song"_s;
        QTest::newRow("the downloader wins") << true << true << u"Able - One"_s;
        QTest::newRow("the chosen folder is gone") << false << false << QString();
    }

    void theChosenFolderServesWhenNoDownloaderIsFound()
    {
        QFETCH(bool, downloader);
        QFETCH(bool, chosenExists);
        QFETCH(QString, shown);
        Machine m;
        const QString chosen = m.dir.filePath(u"elsewhere/lyrics"_s);
        if (chosenExists)
            LibraryBuilder(chosen).song(u"C"_s, u"Chosen - Song.txt"_s);
        m.platform.settings.insert(u"Vesk/Config/CacheFolder"_s, chosen);
        if (!downloader)
            m.platform.installFolder.clear();
        Main program(m.platform);
        program.run();
        QStringList songs;
        const LibraryTree &tree = program.mainWindow()->libraryTree();
        for (int i = 1; i <= tree.count(); ++i) {
            if (!tree.node(i)->hasChildren())
                songs << tree.node(i)->Parent->Text + u" - "_s + tree.node(i)->Text;
        }
        QCOMPARE(songs.join(u'|'), shown);
        program.mainWindow()->close();
    }

    void deletedSongsComeBackFromTheTrash()
    {
        Machine m;
        m.installFolder.song(u"lyrics/A"_s, u"Able - Two.txt"_s, "two\r\n")
            .song(u"lyrics/B"_s, u"Bee - Three.txt"_s, "three\r\n");
        const QString cache = m.install + u"/lyrics/"_s;
        Main program(m.platform);
        program.run();
        frmMain &form = *program.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (const QString &key : {u"A/Able - One.txt"_s, u"A/Able - Two.txt"_s, u"B/Bee - Three.txt"_s}) {
            if (LibraryNode *song = form.libraryTree().find(key); song && song->Parent
                && !form.findChild<QTreeView *>(u"lista"_s)->isExpanded(form.libraryModel().indexOf(song->Parent)))
                clickNode(form, song->Parent->Key);
            clickNode(form, key);
            clickToolbar(form, frmMain::Delete);
        }
        QCOMPARE(form.libraryTree().count(), 0);
        QCOMPARE(program.lists().entries(ListsModel::Which::Deleted),
                 QStringList({u"Bee - Three"_s, u"Able - Two"_s, u"Able - One"_s}));
        // Someone put a new "Able - Two" in its place meanwhile.
        LibraryBuilder(cache).file(u"A/Able - Two.txt"_s, "a new two\r\n");

        clickToolbar(form, frmMain::Lists);
        frmlists &window = program.listsWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(window.findChild<QPushButton *>(u"cmdDelet"_s), Qt::LeftButton);
        auto *restore = window.findChild<QPushButton *>(u"cmdRestore"_s);
        QVERIFY(restore->isVisible());
        QCOMPARE(restore->accessibleName(), u"Restore"_s);
        auto *deleted = window.findChild<QAbstractItemView *>(u"lstDeleted"_s);
        auto row = [&](int r) { return deleted->visualRect(deleted->model()->index(r, 0)).center(); };
        QTest::mouseClick(deleted->viewport(), Qt::LeftButton, {}, row(0));
        QTest::mouseClick(deleted->viewport(), Qt::LeftButton, Qt::ControlModifier, row(1));
        QTest::mouseClick(deleted->viewport(), Qt::LeftButton, Qt::ControlModifier, row(2));
        QTest::mouseClick(restore, Qt::LeftButton);

        // Two came back: on disk, in the tree, the counts and the snapshot.
        QCOMPARE(LibraryBuilder::bytes(cache + u"B/Bee - Three.txt"_s), QByteArray("three\r\n"));
        QVERIFY(QFile::exists(cache + u"A/Able - One.txt"_s));
        QVERIFY(form.libraryTree().find(u"B/Bee - Three.txt"_s));
        QVERIFY(form.libraryTree().find(u"A/Able - One.txt"_s));
        QCOMPARE(form.findChild<QLabel *>(u"lblCount"_s)->text(), u"3 lyrics\n0 timestamps"_s);
        QCOMPARE(int(program.state().TreeSnapshot.size()), 5);
        // The one whose place was taken stays in the trash and on the list; the
        // new file is left as it is, and the user is told.
        QCOMPARE(LibraryBuilder::bytes(cache + u"A/Able - Two.txt"_s), QByteArray("a new two\r\n"));
        QCOMPARE(program.lists().entries(ListsModel::Which::Deleted), QStringList{u"Able - Two"_s});
        QVERIFY2(m.platform.messages.last().text.startsWith(u"Able - Two: a file of that name is in the library"_s),
                 qPrintable(m.platform.messages.last().text));

        // An entry whose file is not in the trash says so.
        program.lists().insertAtTop(ListsModel::Which::Deleted, u"Ghost - Song"_s);
        QTest::mouseClick(deleted->viewport(), Qt::LeftButton, {}, row(0));
        QTest::mouseClick(restore, Qt::LeftButton);
        QCOMPARE(m.platform.messages.last().text, u"Ghost - Song: Not in the trash"_s);
        QCOMPARE(program.lists().entries(ListsModel::Which::Deleted).size(), 2);
        form.close();
    }

    void ctrlZPutsBackTheLastDeleted()
    {
        Machine m;
        m.installFolder.song(u"lyrics/A"_s, u"Able - Two.txt"_s, "two\r\n");
        const QString cache = m.install + u"/lyrics/"_s;
        Main program(m.platform);
        program.run();
        frmMain &form = *program.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m.platform.beeps, 1); // nothing deleted yet
        clickNode(form, u"able"_s);
        clickNode(form, u"A/Able - One.txt"_s);
        clickToolbar(form, frmMain::Delete);
        clickNode(form, u"A/Able - Two.txt"_s);
        clickToolbar(form, frmMain::Delete);
        QVERIFY(!QFile::exists(cache + u"A/Able - Two.txt"_s));

        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(LibraryBuilder::bytes(cache + u"A/Able - Two.txt"_s), QByteArray("two\r\n"));
        QCOMPARE(program.lists().entries(ListsModel::Which::Deleted), QStringList{u"Able - One"_s});
        // Back in the tree, selected and shown.
        QCOMPARE(form.findChild<QLabel *>(u"LblSong"_s)->text(), u" Able - Two"_s);
        auto *search = form.findChild<QLineEdit *>(u"txtSearch"_s);
        QTest::mouseClick(search, Qt::LeftButton);
        QTest::keyClick(search, Qt::Key_Q);
        QTest::keyClick(search, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(search->text().isEmpty() && !QFile::exists(cache + u"A/Able - One.txt"_s));
        QTest::keyClick(search, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(QFile::exists(cache + u"A/Able - One.txt"_s));
        QVERIFY(program.lists().entries(ListsModel::Which::Deleted).isEmpty());
        QCOMPARE(form.libraryTree().count(), 3);
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m.platform.beeps, 2);
        form.close();
    }

    void listsWindowFirstShowsTheRedownloadList()
    {
        Machine m;
        LibraryBuilder(m.programFolder).file(u"redownload.txt"_s, "Able - One\r\nOther - Two\r\n");
        Main program(m.platform);
        program.run();
        // A song click before the window exists still selects its entry there.
        frmMain &form = *program.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        clickNode(form, u"able"_s);
        clickNode(form, u"A/Able - One.txt"_s);
        clickToolbar(form, frmMain::Lists);
        frmlists &lists = program.listsWindow();
        QVERIFY(lists.isVisible());
        auto *redownload = lists.findChild<QAbstractItemView *>(u"lstRedownload"_s);
        QVERIFY(!redownload->isHidden());
        QVERIFY(lists.findChild<QAbstractItemView *>(u"lstDeleted"_s)->isHidden());
        QCOMPARE(redownload->currentIndex().row(), 0);
        QCOMPARE(redownload->selectionModel()->selectedIndexes(), QModelIndexList{redownload->model()->index(0, 0)});
        // Closed and shown again: the same list.
        lists.close();
        QVERIFY(!lists.isVisible());
        clickToolbar(form, frmMain::Lists);
        QVERIFY(!redownload->isHidden());
    }

    void unreadableListIsToldOnceAndLeftAlone()
    {
        Machine m;
        const QString path = m.programFolder + u"/redownload.txt"_s;
        LibraryBuilder(path).file(u"inside.txt"_s, "x");
        Main program(m.platform);
        program.run();
        QCOMPARE(m.platform.messages.size(), 1);
        const FakePlatform::Message told = m.platform.messages[0];
        QVERIFY2(told.text.startsWith(u"Couldn't read the list file "_s + path + u"\n"_s), qPrintable(told.text));
        QVERIFY(told.text.contains(u"will not be saved this run"_s));
        QCOMPARE(told.title, u"Wordhive Stanzabox"_s);
        QCOMPARE(told.icon, MessageIcon::Stop);

        // Marked by the user, shown, and kept in memory only.
        frmMain &form = *program.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        clickNode(form, u"able"_s);
        clickNode(form, u"A/Able - One.txt"_s);
        clickToolbar(form, frmMain::MarkRedownload);
        QVERIFY(form.toolbarButton(frmMain::MarkRedownload)->isChecked());
        QCOMPARE(program.lists().entries(ListsModel::Which::Redownload), QStringList{u"Able - One"_s});
        clickToolbar(form, frmMain::Lists);
        auto *shown = program.listsWindow().findChild<QAbstractItemView *>(u"lstRedownload"_s);
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->model()->index(0, 0).data().toString(), u"Able - One"_s);

        QVERIFY(form.close());
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(QDir(path).entryList(QDir::Files), QStringList{u"inside.txt"_s});
        QCOMPARE(m.platform.messages.size(), 1);
    }

    void songInAnyScriptStaysMarkedAfterARestart()
    {
        Machine m;
        const QString artist = u"\u0141o\u015b"_s;
        const QString song = u"L/\u0141o\u015b - \u017b\u00f3\u0142w.txt"_s;
        m.installFolder.song(u"lyrics/L"_s, u"\u0141o\u015b - \u017b\u00f3\u0142w.txt"_s);
        const QString file = m.programFolder + u"/redownload.txt"_s;
        QByteArray marked;
        {
            Main program(m.platform);
            program.run();
            frmMain &form = *program.mainWindow();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            clickNode(form, artistKey(artist));
            clickNode(form, song);
            clickToolbar(form, frmMain::MarkRedownload);
            QVERIFY(form.toolbarButton(frmMain::MarkRedownload)->isChecked());
            QVERIFY(form.close());
            marked = LibraryBuilder::bytes(file);
        }
        {
            Main again(m.platform);
            again.run();
            frmMain &form = *again.mainWindow();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            clickNode(form, artistKey(artist));
            clickNode(form, song);
            QVERIFY(form.toolbarButton(frmMain::MarkRedownload)->isChecked());
            // Unmarking finds the entry again.
            clickToolbar(form, frmMain::MarkRedownload);
            QVERIFY(!form.toolbarButton(frmMain::MarkRedownload)->isChecked());
            QVERIFY(again.lists().entries(ListsModel::Which::Redownload).isEmpty());
            QVERIFY(form.close());
        }
        QVERIFY(!m.programFile(u"redownload.txt"_s));
        QCOMPARE(marked, QByteArray("\xef\xbb\xbf\xc5\x81o\xc5\x9b - \xc5\xbb\xc3\xb3\xc5\x82w\r\n"));
        QVERIFY(m.platform.messages.isEmpty());
    }

    void listsWindowFollowsTheToolbar()
    {
        Machine m;
        m.installFolder.song(u"lyrics/A"_s, u"Able - Two.txt"_s);
        Main program(m.platform);
        program.run();
        frmMain &form = *program.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        clickToolbar(form, frmMain::Lists);
        frmlists &lists = program.listsWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&lists));
        auto *redownload = lists.findChild<QAbstractItemView *>(u"lstRedownload"_s);
        auto *remove = lists.findChild<QPushButton *>(u"cmdDelete"_s);
        auto *clear = lists.findChild<QPushButton *>(u"cmdClear"_s);
        QVERIFY(!remove->isEnabled());

        // Marked in the main window while the lists window shows.
        clickNode(form, u"able"_s);
        clickNode(form, u"A/Able - One.txt"_s);
        clickToolbar(form, frmMain::MarkRedownload);
        clickNode(form, u"A/Able - Two.txt"_s);
        clickToolbar(form, frmMain::MarkRedownload);
        QCOMPARE(redownload->model()->rowCount(), 2);
        QCOMPARE(redownload->model()->index(0, 0).data().toString(), u"Able - Two"_s);
        QVERIFY(remove->isEnabled());
        QVERIFY(clear->isEnabled());
        QVERIFY(lists.findChild<QPushButton *>(u"cmdCreateFullList"_s)->isEnabled());
        QVERIFY(lists.findChild<QPushButton *>(u"cmdCreateSelectedText"_s)->isEnabled());

        // The selected song's entry removed in the lists window releases its mark.
        QTest::mouseClick(redownload->viewport(), Qt::LeftButton, {},
                          redownload->visualRect(redownload->model()->index(0, 0)).center());
        QTest::mouseClick(remove, Qt::LeftButton);
        QVERIFY(!form.toolbarButton(frmMain::MarkRedownload)->isChecked());
        QCOMPARE(program.lists().entries(ListsModel::Which::Redownload), QStringList{u"Able - One"_s});
        // Unmarked in the main window: the list empties and its buttons go off.
        clickNode(form, u"A/Able - One.txt"_s);
        QVERIFY(form.toolbarButton(frmMain::MarkRedownload)->isChecked());
        clickToolbar(form, frmMain::MarkRedownload);
        QCOMPARE(redownload->model()->rowCount(), 0);
        QVERIFY(!remove->isEnabled());
        QVERIFY(!clear->isEnabled());
    }

    void closingSavesListsThenSettings()
    {
        Machine m;
        Main program(m.platform);
        program.run();
        program.lists().insertAtTop(ListsModel::Which::Redownload, u"Able - One"_s);
        QSignalSpy finished(&program, &Main::finished);

        bool listsFirst = false;
        m.platform.onEvent = [&](const QString &event) {
            if (event == u"write FrmTop"_s) {
                QFile file(m.programFolder + u"/redownload.txt"_s);
                listsFirst = file.open(QIODevice::ReadOnly) && file.readAll() == "Able - One\r\n";
            }
        };
        QVERIFY(program.mainWindow()->close());
        m.platform.onEvent = nullptr;

        QVERIFY(listsFirst);
        // The empty deleted list leaves no file behind.
        QVERIFY(!m.programFile(u"deleted.txt"_s));
        const QStringList writes = m.platform.journal.filter(u"write "_s);
        QCOMPARE(writes, QStringList({u"write FrmTop"_s, u"write FrmLeft"_s, u"write FrmWidth"_s,
                                      u"write FrmHeight"_s, u"write SplitPos"_s, u"write FrmMaximized"_s}));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!program.listsWindowMade());
    }
};

int runStartupTests(int argc, char **argv)
{
    TestStartup tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_startup.moc"
