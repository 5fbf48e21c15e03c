#include "app/AppState.h"
#include "lists/ListsModel.h"
#include "lists/frmlists.h"
#include "support/LibraryBuilder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Which = ListsModel::Which;

// The lists window over a model, both lists filled.
struct ListsWindow
{
    AppState state;
    ListsModel lists;
    std::unique_ptr<frmlists> form;

    explicit ListsWindow(const QStringList &redownload, const QStringList &deleted = {})
    {
        state.RedownloadListActive = true;
        lists.setEntries(Which::Redownload, redownload);
        lists.setEntries(Which::Deleted, deleted);
        form = std::make_unique<frmlists>(state, lists);
        form->ShowCorrectList();
    }
    template<typename T> T *child(const QString &name) const { return form->findChild<T *>(name); }
    bool enabled(const QString &button) const { return child<QPushButton>(button)->isEnabled(); }
    void select(const QString &list, std::initializer_list<int> rows)
    {
        for (int row : rows)
            child<QListWidget>(list)->item(row)->setSelected(true);
    }
};

} // namespace

class TestLists : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("two lines") << u"A - 1\r\nB - 2\r\n"_s << QStringList{u"A - 1"_s, u"B - 2"_s};
        QTest::newRow("no final line end") << u"A - 1\r\nB - 2"_s << QStringList{u"A - 1"_s};
        QTest::newRow("empty entry kept") << u"A - 1\r\n\r\nB - 2\r\n"_s
                                          << QStringList{u"A - 1"_s, QString(), u"B - 2"_s};
        QTest::newRow("lone LF and CR stay inside")
            << u"A\n1\r\nB\r2\r\n"_s << QStringList{u"A\n1"_s, u"B\r2"_s};
        QTest::newRow("spaces only") << u"   "_s << QStringList{};
        QTest::newRow("empty") << QString() << QStringList{};
        QTest::newRow("one line without end") << u"Lonely"_s << QStringList{};
        QTest::newRow("duplicates") << u"X\r\nX\r\n"_s << QStringList{u"X"_s, u"X"_s};
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, entries);
        QCOMPARE(parseListText(text), entries);
    }

    void textRoundTrips_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("plain") << QStringList{u"Artist A - First Song"_s, u"Artist B - Other Song"_s};
        QTest::newRow("empty middle") << QStringList{u"A - 1"_s, QString(), u"B - 2"_s};
        QTest::newRow("lone LF") << QStringList{u"A\n1"_s};
        QTest::newRow("duplicates") << QStringList{u"X"_s, u"X"_s, u"Y"_s};
    }

    void textRoundTrips()
    {
        QFETCH(QStringList, entries);
        QCOMPARE(parseListText(listText(entries)), entries);
        QVERIFY(listText(entries).endsWith(u"\r\n"_s));
    }

    void storedAsLinesEndingInCrLf()
    {
        QCOMPARE(listText({u"Artist A - First Song"_s, u"Artist B - Other Song"_s}),
                 u"Artist A - First Song\r\nArtist B - Other Song\r\n"_s);
        QCOMPARE(listText({}), QString());
    }

    void loadCreatesMissingFilesAndKeepsBlankOnes()
    {
        QTemporaryDir dir;
        LibraryBuilder(dir.path()).file(u"deleted.txt"_s, "    ");
        ListsModel lists;
        lists.setFolder(dir.path());
        lists.LoadLists();
        QCOMPARE(LibraryBuilder::bytes(dir.filePath(u"redownload.txt"_s)), QByteArray());
        QCOMPARE(LibraryBuilder::bytes(dir.filePath(u"deleted.txt"_s)), QByteArray("    "));
        QVERIFY(lists.entries(Which::Redownload).isEmpty());
        QVERIFY(lists.entries(Which::Deleted).isEmpty());
        // Still empty at exit: both files go.
        lists.SaveLists();
        QVERIFY(!QFile::exists(dir.filePath(u"redownload.txt"_s)));
        QVERIFY(!QFile::exists(dir.filePath(u"deleted.txt"_s)));
    }

    void everyChangeIsWrittenAtOnce()
    {
        QTemporaryDir dir;
        LibraryBuilder(dir.path()).file(u"redownload.txt"_s, "Old - One\r\n\xe9t\xe9 - Song\r\n");
        ListsModel lists;
        lists.setFolder(dir.path());
        lists.LoadLists();
        QCOMPARE(lists.entries(Which::Redownload), QStringList({u"Old - One"_s, u"\u00e9t\u00e9 - Song"_s}));

        lists.insertAtTop(Which::Redownload, u"New - Two"_s);
        QCOMPARE(LibraryBuilder::bytes(dir.filePath(u"redownload.txt"_s)),
                 QByteArray("New - Two\r\nOld - One\r\n\xe9t\xe9 - Song\r\n"));
        lists.insertAtTop(Which::Deleted, u"Gone - Three"_s);
        QCOMPARE(LibraryBuilder::bytes(dir.filePath(u"deleted.txt"_s)), QByteArray("Gone - Three\r\n"));
        lists.removeAll(Which::Redownload, u"Old - One"_s);
        QCOMPARE(LibraryBuilder::bytes(dir.filePath(u"redownload.txt"_s)), QByteArray("New - Two\r\n\xe9t\xe9 - Song\r\n"));
        lists.removePositions(Which::Redownload, {1, 0, 1});
        QVERIFY(!QFile::exists(dir.filePath(u"redownload.txt"_s)));
        lists.clear(Which::Deleted);
        QVERIFY(!QFile::exists(dir.filePath(u"deleted.txt"_s)));
    }

    void removeAllTakesEveryCopy()
    {
        ListsModel lists;
        lists.setEntries(Which::Redownload, {u"A - 1"_s, u"A - 1"_s, u"a - 1"_s, u"B - 2"_s, u"A - 1"_s});
        QSignalSpy changes(&lists, &ListsModel::changed);
        lists.removeAll(Which::Redownload, u"A - 1"_s);
        QCOMPARE(lists.entries(Which::Redownload), QStringList({u"a - 1"_s, u"B - 2"_s}));
        QCOMPARE(changes.size(), 1);
        lists.removeAll(Which::Redownload, u"Z - 9"_s);
        QCOMPARE(changes.size(), 1);
    }

    void listsFolder_data()
    {
        QTest::addColumn<QString>("program"); // relative to the temporary folder
        QTest::addColumn<bool>("programChosen");
        QTest::newRow("writable program folder") << u"program"_s << true;
        QTest::newRow("missing program folder") << u"missing"_s << false;
        QTest::newRow("a file, not a folder") << u"plain"_s << false;
        QTest::newRow("no program folder") << QString() << false;
    }

    void listsFolder()
    {
        QFETCH(QString, program);
        QFETCH(bool, programChosen);
        QTemporaryDir dir;
        LibraryBuilder(dir.path()).folder(u"program"_s).file(u"plain"_s, "x");
        const QString programFolder = program.isEmpty() ? QString() : dir.filePath(program);
        const QString data = dir.filePath(u"data/Vesk/Stanzabox"_s);
        const QString chosen = chooseListsFolder(programFolder, data);
        QCOMPARE(chosen, programChosen ? programFolder : data);
        QVERIFY(QFileInfo(chosen).isDir());
    }

    void showCorrectListArrangesTheWindow()
    {
        ListsWindow w({u"R - 1"_s}, {});
        QVERIFY(!w.child<QListWidget>(u"lstRedownload"_s)->isHidden());
        QVERIFY(w.child<QListWidget>(u"lstDeleted"_s)->isHidden());
        QVERIFY(!w.enabled(u"cmdRedown"_s));
        QVERIFY(w.enabled(u"cmdDelet"_s));
        for (const QString &b : {u"cmdDelete"_s, u"cmdClear"_s, u"cmdCreateFullList"_s, u"cmdCreateSelectedText"_s})
            QVERIFY(w.enabled(b));

        w.form->cmdDelet_Click();
        QVERIFY(!w.state.RedownloadListActive);
        QVERIFY(w.child<QListWidget>(u"lstRedownload"_s)->isHidden());
        QVERIFY(!w.child<QListWidget>(u"lstDeleted"_s)->isHidden());
        QVERIFY(w.enabled(u"cmdRedown"_s));
        QVERIFY(!w.enabled(u"cmdDelet"_s));
        // The deleted list is empty.
        for (const QString &b : {u"cmdDelete"_s, u"cmdClear"_s, u"cmdCreateFullList"_s, u"cmdCreateSelectedText"_s})
            QVERIFY(!w.enabled(b));
    }

    void deleteRemovesTheSelectedEntries()
    {
        ListsWindow w({u"A - 1"_s, u"B - 2"_s, u"C - 3"_s, u"D - 4"_s});
        QSignalSpy released(w.form.get(), &frmlists::markRedownloadReleased);
        w.state.SelectedArtist = u"Z"_s;
        w.state.SelectedSong = u"9"_s;
        w.select(u"lstRedownload"_s, {1, 3});
        w.form->cmdDelete_Click();
        QCOMPARE(w.lists.entries(Which::Redownload), QStringList({u"A - 1"_s, u"C - 3"_s}));
        QCOMPARE(w.child<QListWidget>(u"lstRedownload"_s)->count(), 2);
        QCOMPARE(released.size(), 0);

        // Nothing selected: nothing removed, the buttons as the view sets them.
        w.form->cmdDelete_Click();
        QCOMPARE(w.lists.entries(Which::Redownload).size(), 2);
        QVERIFY(w.enabled(u"cmdDelete"_s));

        // The selected song's entry going releases the toolbar's mark.
        w.state.SelectedArtist = u"C"_s;
        w.state.SelectedSong = u"3"_s;
        w.select(u"lstRedownload"_s, {0, 1});
        w.form->cmdDelete_Click();
        QCOMPARE(released.size(), 1);
        QVERIFY(w.lists.entries(Which::Redownload).isEmpty());
        for (const QString &b : {u"cmdDelete"_s, u"cmdClear"_s, u"cmdCreateFullList"_s, u"cmdCreateSelectedText"_s})
            QVERIFY(!w.enabled(b));
    }

    void deletedListEntriesNeverReleaseTheMark()
    {
        ListsWindow w({}, {u"C - 3"_s});
        QSignalSpy released(w.form.get(), &frmlists::markRedownloadReleased);
        w.state.SelectedArtist = u"C"_s;
        w.state.SelectedSong = u"3"_s;
        w.form->cmdDelet_Click();
        w.select(u"lstDeleted"_s, {0});
        w.form->cmdDelete_Click();
        QVERIFY(w.lists.entries(Which::Deleted).isEmpty());
        w.lists.setEntries(Which::Deleted, {u"C - 3"_s});
        w.form->cmdClear_Click();
        QCOMPARE(released.size(), 0);
    }

    void clearEmptiesTheCurrentList()
    {
        ListsWindow w({u"A - 1"_s}, {u"D - 1"_s});
        QSignalSpy released(w.form.get(), &frmlists::markRedownloadReleased);
        w.form->cmdClear_Click();
        QVERIFY(w.lists.entries(Which::Redownload).isEmpty());
        QCOMPARE(w.lists.entries(Which::Deleted), QStringList{u"D - 1"_s});
        // Released even though the selected song was never in the list.
        QCOMPARE(released.size(), 1);
        QVERIFY(!w.enabled(u"cmdClear"_s));
        QVERIFY(!w.enabled(u"cmdDelete"_s));
        QVERIFY(w.enabled(u"cmdCreateFullList"_s)); // left as it was
    }

    void textLists()
    {
        ListsWindow w({u"A"_s, u"B"_s, u"C"_s});
        auto *text = w.child<QPlainTextEdit>(u"txtList"_s);
        w.form->cmdCreateSelectedText_Click(); // nothing selected
        QVERIFY(text->isHidden());
        QVERIFY(w.enabled(u"cmdCreateFullList"_s));

        w.select(u"lstRedownload"_s, {2, 0});
        w.form->cmdCreateSelectedText_Click();
        QCOMPARE(text->toPlainText(), u"A\nC"_s);
        QVERIFY(!text->isHidden());
        QCOMPARE(text->textCursor().selectedText().size(), text->toPlainText().size());
        for (const QString &b : {u"cmdDelete"_s, u"cmdClear"_s, u"cmdCreateFullList"_s, u"cmdCreateSelectedText"_s})
            QVERIFY(!w.enabled(b));
        QVERIFY(w.enabled(u"cmdRedown"_s));
        QVERIFY(w.enabled(u"cmdDelet"_s));

        w.form->cmdRedown_Click();
        QVERIFY(text->isHidden());
        w.form->cmdCreateFullList_Click();
        QCOMPARE(text->toPlainText(), u"A\nB\nC"_s);
        QCOMPARE(textListOf({u"A"_s, u"C"_s}), u"A\r\nC"_s);
        w.form->cmdDelet_Click();
        QVERIFY(text->isHidden());
        QVERIFY(!w.child<QListWidget>(u"lstDeleted"_s)->isHidden());
    }

    void closingOnlyHides()
    {
        ListsWindow w({u"A"_s});
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        QVERIFY(w.form->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!w.form->close());
        QVERIFY(w.form->isHidden());
        QCOMPARE(w.lists.entries(Which::Redownload), QStringList{u"A"_s});
    }

    void helpTextFollowsThePointer()
    {
        ListsWindow w({u"A"_s});
        auto *help = w.child<QLabel>(u"lblmain"_s);
        const QString start = help->text();
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(w.child<QPushButton>(u"cmdClear"_s), &enter);
        QCOMPARE(help->text(), u"Delete all entries of the current list."_s);
        QApplication::sendEvent(w.child<QPushButton>(u"cmdCreateSelectedText"_s), &enter);
        QCOMPARE(help->text(), u"Create a text list with selected entries entries of current list."_s);
        QApplication::sendEvent(w.child<QPlainTextEdit>(u"txtList"_s), &enter);
        QCOMPARE(help->text(), u"Create a text list with selected entries entries of current list."_s);
        QApplication::sendEvent(w.child<QListWidget>(u"lstRedownload"_s), &enter);
        QCOMPARE(help->text(), start);
    }
};

QTEST_MAIN(TestLists)
#include "tst_lists.moc"
