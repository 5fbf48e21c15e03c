// What a screen reader is told about the windows and what it can do with their
// controls, through the accessible interfaces Qt hands to AT-SPI. The AT-SPI
// test beside this file checks the same on the real program over the bus.

#include "widgets/LibraryTreeModel.h"
#include "listswindow/frmlists.h"
#include "widgets/LibraryTreeView.h"
#include "mainwindow/MainWindowFixture.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Which = ListsModel::Which;

const QByteArray kSong = "First line\r\n\r\n* Downloaded from: http://www.verses.example/a.html\r\n";

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

QString spoken(QObject *object)
{
    QAccessibleInterface *iface = accessible(object);
    return iface ? iface->text(QAccessible::Name) : u"<no interface>"_s;
}

QToolButton *toolButton(const Window &w, int position)
{
    auto *bar = w.child<QToolBar>(u"tlbMain"_s);
    return qobject_cast<QToolButton *>(bar->widgetForAction(w.form->toolbarButton(position)));
}

// Does what a screen reader does with the button's toggle action.
bool toggle(const Window &w, int position)
{
    QAccessibleInterface *iface = accessible(toolButton(w, position));
    QAccessibleActionInterface *actions = iface ? iface->actionInterface() : nullptr;
    if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::toggleAction()))
        return false;
    actions->doAction(QAccessibleActionInterface::toggleAction());
    return true;
}

// A toggle clicks its button only after the button's short pressed look.
// Once no toolbar button is down and the queued events have run, every
// command the toggles started has run: nothing more can come of them.
bool togglesDone(const Window &w)
{
    const QList<QToolButton *> buttons = w.child<QToolBar>(u"tlbMain"_s)->findChildren<QToolButton *>();
    if (std::any_of(buttons.begin(), buttons.end(), [](const QToolButton *b) { return b->isDown(); }))
        return false;
    QCoreApplication::processEvents();
    return true;
}

bool showWindow(Window &w)
{
    w.form->show();
    return QTest::qWaitForWindowExposed(w.form.get());
}

// A click on the artist's row opens it, a click on the song's row chooses it.
bool clickSong(Window &w, const QString &artistKey, const QString &songKey)
{
    auto *tree = w.child<LibraryTreeView>(u"lista"_s);
    const QModelIndex artist = w.form->libraryModel().indexOf(w.node(artistKey));
    if (!tree->isExpanded(artist))
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(artist).center());
    const QModelIndex song = w.form->libraryModel().indexOf(w.node(songKey));
    if (!song.isValid())
        return false;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(song).center());
    return w.form->libraryModel().nodeAt(tree->currentIndex()) == w.node(songKey);
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toggleEditsThenSaves()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong).song(u"A"_s, u"Able - Two.txt"_s);
        w.open();
        QVERIFY(showWindow(w));
        QVERIFY(clickSong(w, u"able"_s, u"A/Able - One.txt"_s));
        auto *box = w.child<QPlainTextEdit>(u"lyrics"_s);
        QVERIFY(box->isReadOnly());

        QVERIFY(toggle(w, frmMain::Edit));
        QTRY_VERIFY(!box->isReadOnly());
        QVERIFY(w.form->toolbarButton(frmMain::Edit)->isChecked());
        QVERIFY(accessible(toolButton(w, frmMain::Edit))->state().checked);

        box->setPlainText(u"Said again"_s);
        QVERIFY(toggle(w, frmMain::Edit));
        QTRY_VERIFY(box->isReadOnly());
        QVERIFY(!w.form->toolbarButton(frmMain::Edit)->isChecked());
        QCOMPARE(LibraryBuilder::bytes(w.lib.cachePath() + u"A/Able - One.txt"_s), QByteArray("Said again\r\n"));

        // The program releasing the button runs no command: a click on
        // another song leaves the edited file as it is.
        QVERIFY(toggle(w, frmMain::Edit));
        QTRY_VERIFY(!box->isReadOnly());
        box->setPlainText(u"Not kept"_s);
        QVERIFY(clickSong(w, u"able"_s, u"A/Able - Two.txt"_s));
        QVERIFY(!w.form->toolbarButton(frmMain::Edit)->isChecked());
        QVERIFY(!accessible(toolButton(w, frmMain::Edit))->state().checked);
        QTRY_VERIFY(togglesDone(w));
        QCOMPARE(LibraryBuilder::bytes(w.lib.cachePath() + u"A/Able - One.txt"_s), QByteArray("Said again\r\n"));
        QVERIFY(w.platform.messages.isEmpty());
    }

    void toggleMarksForRedownloadOnce()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong);
        w.open();
        QVERIFY(showWindow(w));
        QVERIFY(clickSong(w, u"able"_s, u"A/Able - One.txt"_s));

        QVERIFY(toggle(w, frmMain::MarkRedownload));
        QTRY_COMPARE(w.lists.entries(Which::Redownload), QStringList{u"Able - One"_s});
        QTRY_VERIFY(togglesDone(w));
        QCOMPARE(w.lists.entries(Which::Redownload), QStringList{u"Able - One"_s});
        QVERIFY(w.form->toolbarButton(frmMain::MarkRedownload)->isChecked());

        QVERIFY(toggle(w, frmMain::MarkRedownload));
        QTRY_VERIFY(w.lists.entries(Which::Redownload).isEmpty());

        // The lists window releasing the button leaves the list alone.
        QVERIFY(toggle(w, frmMain::MarkRedownload));
        QTRY_COMPARE(w.lists.entries(Which::Redownload).size(), 1);
        w.form->releaseMarkRedownload();
        QVERIFY(!w.form->toolbarButton(frmMain::MarkRedownload)->isChecked());
        QTRY_VERIFY(togglesDone(w));
        QCOMPARE(w.lists.entries(Which::Redownload), QStringList{u"Able - One"_s});
    }

    void joiningShowsAndSaysItsCaption_data()
    {
        QTest::addColumn<bool>("byScreenReader");
        QTest::newRow("mouse click") << false;
        QTest::newRow("toggle action") << true;
    }

    void joiningShowsAndSaysItsCaption()
    {
        QFETCH(bool, byScreenReader);
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.open();
        QVERIFY(showWindow(w));
        QToolButton *join = toolButton(w, frmMain::JoinLyrics);
        auto press = [&] {
            if (byScreenReader)
                return toggle(w, frmMain::JoinLyrics);
            QTest::mouseClick(join, Qt::LeftButton);
            return true;
        };
        QCOMPARE(join->text(), u"Join Lyrics"_s);
        QCOMPARE(spoken(join), u"Join Lyrics"_s);

        QVERIFY(press());
        QTRY_COMPARE(w.platform.messages.size(), 1);
        QVERIFY(w.platform.messages[0].text.endsWith(u"repress the 'Joining...' button"_s));
        QCOMPARE(join->text(), u"Joining..."_s);
        QCOMPARE(spoken(join), u"Joining..."_s);
        QVERIFY(w.form->libraryModel().flags(w.form->libraryModel().indexOf(w.node(u"able"_s)))
                & Qt::ItemIsUserCheckable);

        // Nothing ticked: the join ends without a file or a word.
        QVERIFY(press());
        QTRY_COMPARE(join->text(), u"Join lyrics"_s);
        QCOMPARE(spoken(join), u"Join lyrics"_s);
        QVERIFY(!w.form->toolbarButton(frmMain::JoinLyrics)->isChecked());
        QTRY_VERIFY(togglesDone(w));
        QCOMPARE(w.platform.messages.size(), 1);
    }

    void labelsSayWhatTheyShow()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong, true).song(u"A"_s, u"Able - Two.txt"_s);
        w.lib.song(u"B"_s, u"Bee - Three.txt"_s);
        w.open();
        QVERIFY(showWindow(w));
        auto *counts = w.child<QLabel>(u"lblCount"_s);
        QCOMPARE(counts->text(), u"3 lyrics\n1 timestamps"_s);
        QCOMPARE(spoken(counts), u"3 lyrics, 1 timestamps"_s);

        QVERIFY(clickSong(w, u"able"_s, u"A/Able - One.txt"_s));
        auto *song = w.child<QLabel>(u"LblSong"_s);
        QCOMPARE(song->text(), u" Able - One"_s);
        QCOMPARE(spoken(song), u"Able - One"_s);
        QCOMPARE(w.label(u"lblArtist"_s), u"Able"_s);
        QCOMPARE(w.label(u"lblSong2"_s), u"One"_s);
        // Each value with its title, as the titles beside them show it.
        const QStringList titles = w.label(u"lblInfoTitles"_s).split(u'\n');
        const QStringList values = {u"lblArtist"_s, u"lblSong2"_s, u"lblKaraoke"_s,
                                    u"lblWebsite"_s, u"lblBrowser"_s, u"lblFilter"_s};
        QCOMPARE(titles.size(), values.size());
        for (qsizetype i = 0; i < values.size(); ++i) {
            auto *label = w.child<QLabel>(values[i]);
            QVERIFY2(!label->text().isEmpty(), qPrintable(values[i]));
            QCOMPARE(spoken(label), titles[i] + u' ' + label->text());
        }

        // Another song: the new values are read.
        QVERIFY(clickSong(w, u"bee"_s, u"B/Bee - Three.txt"_s));
        QCOMPARE(spoken(w.child<QLabel>(u"lblArtist"_s)), u"Artist: Bee"_s);
        QCOMPARE(spoken(song), u"Bee - Three"_s);

        // An artist empties the values; an empty value says nothing.
        auto *tree = w.child<LibraryTreeView>(u"lista"_s);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualRect(w.form->libraryModel().indexOf(w.node(u"able"_s))).center());
        QCOMPARE(spoken(song), u"Able"_s);
        QCOMPARE(spoken(w.child<QLabel>(u"lblArtist"_s)), QString());

        auto *box = w.child<QLineEdit>(u"txtSearch"_s);
        box->setFocus();
        QTest::keyClicks(box, u"Thr"_s);
        auto *results = w.child<QLabel>(u"lblSearchResults"_s);
        QVERIFY(results->isVisible());
        QCOMPARE(results->text(), u"{1 artist} {1 song}"_s);
        QCOMPARE(spoken(results), results->text());
    }

    void namesFromFilesAreShownAsTheyAre()
    {
        // A name that looks like markup is not rendered as markup.
        Window w;
        w.lib.song(u"L"_s, u"<i>Loud - <b>Song.txt"_s);
        w.open();
        QVERIFY(showWindow(w));
        QVERIFY(clickSong(w, u"<i>loud"_s, u"L/<i>Loud - <b>Song.txt"_s));
        for (const QString &name : {u"LblSong"_s, u"lblArtist"_s, u"lblSong2"_s}) {
            auto *label = w.child<QLabel>(name);
            label->setSelection(0, int(label->text().size()));
            QCOMPARE(label->selectedText(), label->text());
        }
        QCOMPARE(spoken(w.child<QLabel>(u"lblSong2"_s)), u"Song: <b>Song"_s);
    }

    void windowsAreFramesWithTheirTitles()
    {
        Window w;
        w.open();
        frmlists lists(w.state, w.lists);
        for (QWidget *window : {static_cast<QWidget *>(w.form.get()), static_cast<QWidget *>(&lists)}) {
            QAccessibleInterface *iface = accessible(window);
            QVERIFY(iface);
            QCOMPARE(iface->role(), QAccessible::Window);
            QCOMPARE(iface->text(QAccessible::Name), window->windowTitle());
        }
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
