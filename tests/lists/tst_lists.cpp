#include "app/AppState.h"
#include "lists/ListsModel.h"
#include "listswindow/frmlists.h"
#include "support/LibraryBuilder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Which = ListsModel::Which;

// Qt's own checks of both lists' item models, for as long as the test runs.
struct ModelCheck
{
    explicit ModelCheck(ListsModel &lists)
        : redownload(lists.model(Which::Redownload), QAbstractItemModelTester::FailureReportingMode::QtTest),
          deleted(lists.model(Which::Deleted), QAbstractItemModelTester::FailureReportingMode::QtTest)
    {
    }
    QAbstractItemModelTester redownload;
    QAbstractItemModelTester deleted;
};

// The lists window over a model, both lists filled, shown as the toolbar's
// Lists button shows it; driven with the mouse and the keyboard.
struct ListsWindow
{
    AppState state;
    ListsModel lists;
    ModelCheck check{lists};
    std::unique_ptr<frmlists> form;

    explicit ListsWindow(const QStringList &redownload, const QStringList &deleted = {})
    {
        state.RedownloadListActive = true;
        lists.setEntries(Which::Redownload, redownload);
        lists.setEntries(Which::Deleted, deleted);
        form = std::make_unique<frmlists>(state, lists);
        form->ShowCorrectList();
        form->show();
    }
    bool exposed() const { return QTest::qWaitForWindowExposed(form.get()); }
    template<typename T> T *child(const QString &name) const
    {
        T *w = form->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QAbstractItemView *view(const QString &list) const { return child<QAbstractItemView>(list); }
    bool enabled(const QString &button) const { return child<QPushButton>(button)->isEnabled(); }
    bool shown(const QString &name) const { return child<QWidget>(name)->isVisible(); }
    // The four buttons that act on the entries of the current list.
    QList<bool> entryButtons() const
    {
        return {enabled(u"cmdDelete"_s), enabled(u"cmdClear"_s), enabled(u"cmdCreateFullList"_s),
                enabled(u"cmdCreateSelectedText"_s)};
    }
    void click(const QString &button) const
    {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    void clickRow(const QString &list, int row, Qt::KeyboardModifiers modifiers = {}) const
    {
        QAbstractItemView *v = view(list);
        const QRect rect = v->visualRect(v->model()->index(row, 0));
        QVERIFY2(v->viewport()->rect().contains(rect.center()), qPrintable(u"row %1 is not shown"_s.arg(row)));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    // Clicks written as "1 ^3 +5": a plain click on row 1, a Ctrl click on
    // row 3, a Shift click on row 5.
    void clickRows(const QString &list, const QString &clicks) const
    {
        for (const QString &click : clicks.split(u' ', Qt::SkipEmptyParts)) {
            Qt::KeyboardModifiers modifiers;
            QString row = click;
            if (click.startsWith(u'^'))
                modifiers = Qt::ControlModifier;
            else if (click.startsWith(u'+'))
                modifiers = Qt::ShiftModifier;
            if (modifiers != Qt::KeyboardModifiers())
                row = click.mid(1);
            clickRow(list, row.toInt(), modifiers);
        }
    }
    QStringList shownEntries(const QString &list) const
    {
        const QAbstractItemModel *m = view(list)->model();
        QStringList texts;
        for (int row = 0; row < m->rowCount(); ++row)
            texts << m->index(row, 0).data().toString();
        return texts;
    }
    QList<int> selectedRows(const QString &list) const
    {
        QList<int> rows;
        for (const QModelIndex &index : view(list)->selectionModel()->selectedIndexes())
            rows << index.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

const QList<bool> kAllOn = {true, true, true, true};
const QList<bool> kAllOff = {false, false, false, false};

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
        ModelCheck check(lists);
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

    void unreadableListFileIsLeftAlone_data()
    {
        QTest::addColumn<bool>("redownload"); // which list's file cannot be read
        QTest::addColumn<bool>("link");       // a link to nothing, or a folder
        QTest::newRow("deleted.txt is a folder") << false << false;
        QTest::newRow("redownload.txt is a folder") << true << false;
        QTest::newRow("deleted.txt links to nothing") << false << true;
    }

    void unreadableListFileIsLeftAlone()
    {
        QFETCH(bool, redownload);
        QFETCH(bool, link);
        const Which which = redownload ? Which::Redownload : Which::Deleted;
        const Which other = redownload ? Which::Deleted : Which::Redownload;
        QTemporaryDir dir;
        const QString path = dir.filePath(ListsModel::fileName(which));
        const QString target = dir.filePath(u"elsewhere/list.txt"_s);
        LibraryBuilder(dir.path()).file(ListsModel::fileName(other), "Other - One\r\n");
        if (link)
            QVERIFY(QFile::link(target, path));
        else
            LibraryBuilder(path).file(u"inside.txt"_s, "x");

        ListsModel lists;
        lists.setFolder(dir.path());
        QSignalSpy loadFailed(&lists, &ListsModel::loadFailed);
        QSignalSpy saveFailed(&lists, &ListsModel::saveFailed);
        lists.LoadLists();
        QCOMPARE(loadFailed.size(), 1);
        QCOMPARE(loadFailed[0][0].toString(), path);
        QVERIFY(lists.fileLeftAlone(which));
        QVERIFY(!lists.fileLeftAlone(other));
        QVERIFY(lists.entries(which).isEmpty());
        QCOMPARE(lists.entries(other), QStringList{u"Other - One"_s});

        // Changes live in memory; the other list is written as ever.
        lists.insertAtTop(which, u"New - Two"_s);
        lists.insertAtTop(which, u"New - Three"_s);
        lists.removeAll(which, u"New - Two"_s);
        QCOMPARE(lists.entries(which), QStringList{u"New - Three"_s});
        lists.insertAtTop(other, u"Other - Two"_s);
        lists.SaveLists();
        lists.clear(which);
        lists.SaveLists();
        QCOMPARE(LibraryBuilder::bytes(dir.filePath(ListsModel::fileName(other))),
                 QByteArray("Other - Two\r\nOther - One\r\n"));

        const QFileInfo after(path);
        if (link) {
            QCOMPARE(after.symLinkTarget(), target);
            QVERIFY(!QFileInfo::exists(target));
        } else {
            QVERIFY(after.isDir());
            QCOMPARE(LibraryBuilder::bytes(path + u"/inside.txt"_s), QByteArray("x"));
        }
        QCOMPARE(saveFailed.size(), 0);
        QCOMPARE(loadFailed.size(), 1);
    }

    void codePageFilesStayAsTheyAre()
    {
        // Every byte but CR and LF, in one entry, beside an ordinary one.
        QByteArray all;
        for (int b = 1; b < 256; ++b) {
            if (b != '\r' && b != '\n')
                all += char(b);
        }
        const QByteArray file = "Old - One\r\n" + all + "\r\n";
        QTemporaryDir dir;
        LibraryBuilder(dir.path()).file(u"redownload.txt"_s, file);
        ListsModel lists;
        lists.setFolder(dir.path());
        lists.LoadLists();
        QCOMPARE(lists.entries(Which::Redownload).size(), 2);
        lists.insertAtTop(Which::Redownload, u"New - Two"_s);
        QCOMPARE(LibraryBuilder::bytes(dir.filePath(u"redownload.txt"_s)), "New - Two\r\n" + file);
        // A name the code page cannot hold turns the file to UTF-8 only while it is there.
        lists.insertAtTop(Which::Redownload, u"\u0141o\u015b - \u017b\u00f3\u0142w"_s);
        QVERIFY(LibraryBuilder::bytes(dir.filePath(u"redownload.txt"_s)).startsWith("\xef\xbb\xbf"));
        lists.removePositions(Which::Redownload, {0, 1});
        lists.SaveLists();
        QCOMPARE(LibraryBuilder::bytes(dir.filePath(u"redownload.txt"_s)), file);
    }

    void entriesInAnyScriptSurviveARestart_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("code page") << QStringList{u"\u00e9t\u00e9 - Song"_s, u"A - \u20ac"_s}
                                   << QByteArray("\xe9t\xe9 - Song\r\nA - \x80\r\n");
        QTest::newRow("Polish") << QStringList{u"\u0141o\u015b - \u017b\u00f3\u0142w"_s, u"\u00e9t\u00e9 - Song"_s}
                                << QByteArray("\xef\xbb\xbf\xc5\x81o\xc5\x9b - \xc5\xbb\xc3\xb3\xc5\x82w\r\n"
                                              "\xc3\xa9t\xc3\xa9 - Song\r\n");
        QTest::newRow("Greek in the last entry")
            << QStringList{u"A - 1"_s, QString(), u"\u03a9 - \u03b1"_s}
            << QByteArray("\xef\xbb\xbf" "A - 1\r\n\r\n\xce\xa9 - \xce\xb1\r\n");
        QTest::newRow("beyond the first plane")
            << QStringList{u"\U0001F3B5 - Tune"_s} << QByteArray("\xef\xbb\xbf\xf0\x9f\x8e\xb5 - Tune\r\n");
    }

    void entriesInAnyScriptSurviveARestart()
    {
        QFETCH(QStringList, entries);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        {
            ListsModel lists;
            lists.setFolder(dir.path());
            lists.LoadLists();
            lists.setEntries(Which::Deleted, entries);
            QCOMPARE(LibraryBuilder::bytes(dir.filePath(u"deleted.txt"_s)), bytes);
            lists.SaveLists();
        }
        QCOMPARE(LibraryBuilder::bytes(dir.filePath(u"deleted.txt"_s)), bytes);
        ListsModel again;
        again.setFolder(dir.path());
        again.LoadLists();
        QCOMPARE(again.entries(Which::Deleted), entries);
        again.removeAll(Which::Deleted, entries.last());
        QCOMPARE(again.entries(Which::Deleted), entries.mid(0, entries.size() - 1));
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

    void itemModelsReportEachChange()
    {
        ListsModel lists;
        ModelCheck check(lists);
        QAbstractItemModel *model = lists.model(Which::Redownload);
        QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(model, &QAbstractItemModel::modelReset);
        auto removedRanges = [&] {
            QList<QPair<int, int>> ranges;
            for (const QList<QVariant> &args : removed)
                ranges.append({args[1].toInt(), args[2].toInt()});
            removed.clear();
            return ranges;
        };

        lists.setEntries(Which::Redownload, {u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s, u"F"_s});
        QCOMPARE(reset.size(), 1);
        lists.insertAtTop(Which::Redownload, u"New"_s);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][1].toInt(), 0);
        QCOMPARE(inserted[0][2].toInt(), 0);
        QCOMPARE(model->index(0, 0).data().toString(), u"New"_s);

        // Runs of rows go in one removal each, from the bottom; others are ignored.
        lists.removePositions(Which::Redownload, {4, 1, 5, 2, 1, 40, -1});
        QCOMPARE(removedRanges(), (QList<QPair<int, int>>{{4, 5}, {1, 2}}));
        QCOMPARE(lists.entries(Which::Redownload), QStringList({u"New"_s, u"C"_s, u"F"_s}));
        lists.insertAtTop(Which::Redownload, u"F"_s);
        lists.removeAll(Which::Redownload, u"F"_s);
        QCOMPARE(removedRanges(), (QList<QPair<int, int>>{{3, 3}, {0, 0}}));
        lists.clear(Which::Redownload);
        QCOMPARE(removedRanges(), (QList<QPair<int, int>>{{0, 1}}));
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(reset.size(), 1);
        QVERIFY(lists.entries(Which::Deleted).isEmpty());
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

    void viewButtonsSwapTheLists()
    {
        ListsWindow w({u"R - 1"_s}, {});
        QVERIFY(w.exposed());
        QVERIFY(w.shown(u"lstRedownload"_s));
        QVERIFY(!w.shown(u"lstDeleted"_s));
        QVERIFY(!w.enabled(u"cmdRedown"_s));
        QVERIFY(w.enabled(u"cmdDelet"_s));
        QCOMPARE(w.entryButtons(), kAllOn);

        w.click(u"cmdDelet"_s);
        QVERIFY(!w.state.RedownloadListActive);
        QVERIFY(!w.shown(u"lstRedownload"_s));
        QVERIFY(w.shown(u"lstDeleted"_s));
        QCOMPARE(QApplication::focusWidget(), w.view(u"lstDeleted"_s));
        QVERIFY(w.enabled(u"cmdRedown"_s));
        QVERIFY(!w.enabled(u"cmdDelet"_s));
        QCOMPARE(w.entryButtons(), kAllOff); // the deleted list is empty

        // A disabled button does nothing.
        w.click(u"cmdDelet"_s);
        QVERIFY(w.shown(u"lstDeleted"_s));

        w.click(u"cmdRedown"_s);
        QVERIFY(w.state.RedownloadListActive);
        QVERIFY(w.shown(u"lstRedownload"_s));
        QVERIFY(!w.shown(u"lstDeleted"_s));
        QCOMPARE(QApplication::focusWidget(), w.view(u"lstRedownload"_s));
        QCOMPARE(w.entryButtons(), kAllOn);
    }

    void clicksSelectEntries_data()
    {
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QList<int>>("selected");
        QTest::newRow("one click") << u"2"_s << QList<int>{2};
        QTest::newRow("a second click replaces") << u"2 4"_s << QList<int>{4};
        QTest::newRow("ctrl adds") << u"1 ^3 ^4"_s << QList<int>{1, 3, 4};
        QTest::newRow("ctrl takes away") << u"1 ^3 ^1"_s << QList<int>{3};
        QTest::newRow("shift spans") << u"1 +3"_s << QList<int>{1, 2, 3};
        QTest::newRow("shift spans upwards") << u"4 +2"_s << QList<int>{2, 3, 4};
    }

    void clicksSelectEntries()
    {
        QFETCH(QString, clicks);
        QFETCH(QList<int>, selected);
        ListsWindow w({u"A - 1"_s, u"B - 2"_s, u"C - 3"_s, u"D - 4"_s, u"E - 5"_s});
        QVERIFY(w.exposed());
        w.clickRows(u"lstRedownload"_s, clicks);
        QCOMPARE(w.selectedRows(u"lstRedownload"_s), selected);
    }

    void deleteRemovesTheSelectedEntries_data()
    {
        QTest::addColumn<bool>("redownload");   // the list shown
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("releases");      // of the toolbar's redownload mark
        const QStringList four = {u"A - 1"_s, u"B - 2"_s, u"C - 3"_s, u"D - 4"_s};
        // The selected song is C - 3 throughout.
        QTest::newRow("two apart") << true << four << u"1 ^3"_s
                                   << QStringList{u"A - 1"_s, u"C - 3"_s} << 0;
        QTest::newRow("a span") << true << four << u"0 +1"_s << QStringList{u"C - 3"_s, u"D - 4"_s} << 0;
        QTest::newRow("the selected song's entry") << true << four << u"0 ^2"_s
                                                   << QStringList{u"B - 2"_s, u"D - 4"_s} << 1;
        QTest::newRow("one of its copies") << true << QStringList{u"C - 3"_s, u"A - 1"_s, u"C - 3"_s} << u"2"_s
                                           << QStringList{u"C - 3"_s, u"A - 1"_s} << 1;
        QTest::newRow("another case is another song")
            << true << QStringList{u"c - 3"_s, u"A - 1"_s} << u"0"_s << QStringList{u"A - 1"_s} << 0;
        QTest::newRow("deleted list never releases") << false << four << u"2"_s
                                                     << QStringList{u"A - 1"_s, u"B - 2"_s, u"D - 4"_s} << 0;
        QTest::newRow("all of them") << true << four << u"0 +3"_s << QStringList{} << 1;
    }

    void deleteRemovesTheSelectedEntries()
    {
        QFETCH(bool, redownload);
        QFETCH(QStringList, entries);
        QFETCH(QString, clicks);
        QFETCH(QStringList, left);
        QFETCH(int, releases);
        ListsWindow w(redownload ? entries : QStringList{u"Other - List"_s},
                      redownload ? QStringList{u"Other - List"_s} : entries);
        const Which which = redownload ? Which::Redownload : Which::Deleted;
        const QString list = redownload ? u"lstRedownload"_s : u"lstDeleted"_s;
        QSignalSpy released(w.form.get(), &frmlists::markRedownloadReleased);
        w.state.SelectedArtist = u"C"_s;
        w.state.SelectedSong = u"3"_s;
        QVERIFY(w.exposed());
        if (!redownload)
            w.click(u"cmdDelet"_s);
        w.clickRows(list, clicks);
        w.click(u"cmdDelete"_s);

        QCOMPARE(w.lists.entries(which), left);
        QCOMPARE(w.shownEntries(list), left);
        QCOMPARE(w.lists.entries(redownload ? Which::Deleted : Which::Redownload), QStringList{u"Other - List"_s});
        QCOMPARE(released.size(), releases);
        QCOMPARE(QApplication::focusWidget(), w.view(list));
        QCOMPARE(w.entryButtons(), left.isEmpty() ? kAllOff : kAllOn);
        QVERIFY(w.shown(list));

        // Again with nothing selected: nothing goes, the buttons stay as the view sets them.
        if (!left.isEmpty()) {
            QVERIFY(w.selectedRows(list).isEmpty());
            w.click(u"cmdDelete"_s);
            QCOMPARE(w.lists.entries(which), left);
            QCOMPARE(w.entryButtons(), kAllOn);
            QCOMPARE(released.size(), releases);
        }
    }

    void clearEmptiesTheCurrentList_data()
    {
        QTest::addColumn<bool>("redownload");
        QTest::addColumn<int>("releases");
        // Released even though the selected song was never in the list.
        QTest::newRow("redownload list") << true << 1;
        QTest::newRow("deleted list") << false << 0;
    }

    void clearEmptiesTheCurrentList()
    {
        QFETCH(bool, redownload);
        QFETCH(int, releases);
        ListsWindow w({u"A - 1"_s, u"A - 2"_s}, {u"D - 1"_s, u"D - 2"_s});
        QSignalSpy released(w.form.get(), &frmlists::markRedownloadReleased);
        w.state.SelectedArtist = u"Z"_s;
        w.state.SelectedSong = u"9"_s;
        QVERIFY(w.exposed());
        if (!redownload)
            w.click(u"cmdDelet"_s);
        const QString list = redownload ? u"lstRedownload"_s : u"lstDeleted"_s;
        w.click(u"cmdClear"_s);
        QVERIFY(w.lists.entries(redownload ? Which::Redownload : Which::Deleted).isEmpty());
        QVERIFY(w.shownEntries(list).isEmpty());
        QCOMPARE(w.lists.entries(redownload ? Which::Deleted : Which::Redownload).size(), 2);
        QCOMPARE(released.size(), releases);
        // The list is empty now, so nothing is left to remove or turn into text.
        QCOMPARE(w.entryButtons(), kAllOff);
        QVERIFY(w.enabled(redownload ? u"cmdDelet"_s : u"cmdRedown"_s));
        QVERIFY(!w.enabled(redownload ? u"cmdRedown"_s : u"cmdDelet"_s));
    }

    void buttonsFollowTheListWhileItShows()
    {
        ListsWindow w({}, {u"D - 1"_s});
        QVERIFY(w.exposed());
        QCOMPARE(w.entryButtons(), kAllOff);

        // The toolbar marks a song while the window shows the list.
        w.lists.insertAtTop(Which::Redownload, u"New - One"_s);
        QCOMPARE(w.shownEntries(u"lstRedownload"_s), QStringList{u"New - One"_s});
        QCOMPARE(w.entryButtons(), kAllOn);
        w.clickRow(u"lstRedownload"_s, 0);
        w.click(u"cmdCreateSelectedText"_s);
        QCOMPARE(w.child<QPlainTextEdit>(u"txtList"_s)->toPlainText(), u"New - One"_s);
        w.click(u"cmdRedown"_s);

        // ... and unmarks it again.
        w.lists.removeAll(Which::Redownload, u"New - One"_s);
        QVERIFY(w.shownEntries(u"lstRedownload"_s).isEmpty());
        QCOMPARE(w.entryButtons(), kAllOff);

        // The list not shown leaves the buttons alone.
        w.click(u"cmdDelet"_s);
        w.lists.insertAtTop(Which::Redownload, u"New - Two"_s);
        w.lists.clear(Which::Redownload);
        QCOMPARE(w.entryButtons(), kAllOn);
        w.lists.clear(Which::Deleted);
        QCOMPARE(w.entryButtons(), kAllOff);
        w.lists.insertAtTop(Which::Deleted, u"Gone - Two"_s);
        QCOMPARE(w.entryButtons(), kAllOn);

        // A text list stays as the user made it; only the view buttons lead on.
        w.click(u"cmdCreateFullList"_s);
        w.lists.insertAtTop(Which::Deleted, u"Gone - Three"_s);
        QCOMPARE(w.entryButtons(), kAllOff);
        QCOMPARE(w.child<QPlainTextEdit>(u"txtList"_s)->toPlainText(), u"Gone - Two"_s);
        w.click(u"cmdDelet"_s);
        QCOMPARE(w.shownEntries(u"lstDeleted"_s), QStringList({u"Gone - Three"_s, u"Gone - Two"_s}));
        QCOMPARE(w.entryButtons(), kAllOn);
    }

    void selectionStaysWithItsEntries()
    {
        ListsWindow w({u"A"_s, u"B"_s, u"C"_s, u"D"_s});
        QVERIFY(w.exposed());
        w.clickRows(u"lstRedownload"_s, u"1 ^3"_s);
        // The main window adds and removes entries meanwhile.
        w.lists.insertAtTop(Which::Redownload, u"New"_s);
        w.lists.removeAll(Which::Redownload, u"C"_s);
        QCOMPARE(w.selectedRows(u"lstRedownload"_s), QList<int>({2, 3}));
        w.click(u"cmdCreateSelectedText"_s);
        QCOMPARE(w.child<QPlainTextEdit>(u"txtList"_s)->toPlainText(), u"B\nD"_s);
        w.click(u"cmdRedown"_s);
        w.click(u"cmdDelete"_s);
        QCOMPARE(w.lists.entries(Which::Redownload), QStringList({u"New"_s, u"A"_s}));
    }

    void textLists()
    {
        ListsWindow w({u"A"_s, u"B"_s, u"C"_s}, {u"D"_s});
        QVERIFY(w.exposed());
        auto *text = w.child<QPlainTextEdit>(u"txtList"_s);
        // Nothing selected: nothing shown, no button changes.
        w.click(u"cmdCreateSelectedText"_s);
        QVERIFY(!text->isVisible());
        QCOMPARE(w.entryButtons(), kAllOn);
        QVERIFY(!w.enabled(u"cmdRedown"_s));

        // Picked C, then A: the text is in list order.
        w.clickRows(u"lstRedownload"_s, u"2 ^0"_s);
        w.click(u"cmdCreateSelectedText"_s);
        QVERIFY(text->isVisible());
        QCOMPARE(text->toPlainText(), u"A\nC"_s);
        QCOMPARE(text->textCursor().selectedText(), u"A\u2029C"_s); // all of it, ready to drag
        QCOMPARE(QApplication::focusWidget(), text);
        QCOMPARE(w.entryButtons(), kAllOff);
        QVERIFY(w.enabled(u"cmdRedown"_s));
        QVERIFY(w.enabled(u"cmdDelet"_s));

        w.click(u"cmdRedown"_s);
        QVERIFY(!text->isVisible());
        QVERIFY(w.shown(u"lstRedownload"_s));
        w.click(u"cmdCreateFullList"_s);
        QVERIFY(text->isVisible());
        QCOMPARE(text->toPlainText(), u"A\nB\nC"_s);

        w.click(u"cmdDelet"_s);
        QVERIFY(!text->isVisible());
        QVERIFY(w.shown(u"lstDeleted"_s));
        w.click(u"cmdCreateFullList"_s);
        QCOMPARE(text->toPlainText(), u"D"_s);
        QCOMPARE(textListOf({u"A"_s, u"C"_s}), u"A\r\nC"_s);
    }

    void escapeAndCloseOnlyHide()
    {
        ListsWindow w({u"A"_s}, {u"D"_s});
        QVERIFY(w.exposed());
        QVERIFY(w.form->windowFlags() & Qt::WindowStaysOnTopHint);
        w.click(u"cmdDelet"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(w.form->isHidden());

        // Shown again by the toolbar: the same list as before.
        w.form->ShowCorrectList();
        w.form->show();
        QVERIFY(w.exposed());
        QVERIFY(w.shown(u"lstDeleted"_s));
        QVERIFY(!w.form->close());
        QVERIFY(w.form->isHidden());
        QCOMPARE(w.lists.entries(Which::Redownload), QStringList{u"A"_s});
        QCOMPARE(w.lists.entries(Which::Deleted), QStringList{u"D"_s});
        QVERIFY(!w.state.RedownloadListActive);
    }

    void helpTextFollowsThePointer_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("help"); // empty: unchanged
        const QString start = u"Organize your deleted and marked for redownload lyrics list and "
                              u"drag-n-drop them into Wordhive for redownloading."_s;
        QTest::newRow("cmdRedown") << u"cmdRedown"_s
                                   << u"View and organize the lyrics that you marked for redownload."_s;
        QTest::newRow("cmdDelet") << u"cmdDelet"_s << u"View and organize the lyrics that you recently deleted."_s;
        QTest::newRow("cmdDelete") << u"cmdDelete"_s << u"Delete selected entries of current list."_s;
        QTest::newRow("cmdClear") << u"cmdClear"_s << u"Delete all entries of the current list."_s;
        QTest::newRow("cmdCreateFullList") << u"cmdCreateFullList"_s
                                           << u"Create a text list with all entries of current list."_s;
        QTest::newRow("cmdCreateSelectedText")
            << u"cmdCreateSelectedText"_s << u"Create a text list with selected entries entries of current list."_s;
        QTest::newRow("lstRedownload") << u"lstRedownload"_s << start;
        QTest::newRow("lblmain") << u"lblmain"_s << start;
        QTest::newRow("window") << u"frmlists"_s << start;
        QTest::newRow("txtList") << u"txtList"_s << QString();
    }

    void helpTextFollowsThePointer()
    {
        QFETCH(QString, control);
        QFETCH(QString, help);
        ListsWindow w({u"A"_s});
        QVERIFY(w.exposed());
        if (control == u"txtList"_s)
            w.click(u"cmdCreateFullList"_s);
        auto *label = w.child<QLabel>(u"lblmain"_s);
        // From a button with a different help text onto the control.
        const QString other = control == u"cmdClear"_s ? u"cmdDelete"_s : u"cmdClear"_s;
        QTest::mouseMove(w.child<QWidget>(other), QPoint(3, 3));
        const QString before = label->text();
        QVERIFY(before != help);
        QWidget *target = control == u"frmlists"_s ? w.form.get() : w.child<QWidget>(control);
        // The window's own background: a corner no control covers.
        const QPoint at = control == u"frmlists"_s ? QPoint(2, 2) : QPoint(5, 5);
        QTest::mouseMove(target, at);
        QCOMPARE(label->text(), help.isEmpty() ? before : help);
    }
};

QTEST_MAIN(TestLists)
#include "tst_lists.moc"
