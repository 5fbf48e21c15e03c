// The toolbar's commands and joining lyrics.

#include "widgets/LibraryTreeModel.h"
#include "widgets/LibraryTreeView.h"
#include "widgets/ImageList.h"
#include "mainwindow/MainWindowFixture.h"
#include "text/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QToolBar>
#include <QTest>
#include <QRegularExpression>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

namespace {

using Which = ListsModel::Which;

const QByteArray kSong = "First line\r\n\r\n* Downloaded from: http://www.verses.example/a.html\r\n";


} // namespace

class TestToolbar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void editWritesTheTextBack()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong);
        w.open();
        const QString path = w.lib.cachePath() + u"A/Able - One.txt"_s;
        w.click(u"A/Able - One.txt"_s);
        auto *box = w.child<QPlainTextEdit>(u"lyrics"_s);
        QVERIFY(box->isReadOnly());

        w.press(frmMain::Edit);
        QVERIFY(!box->isReadOnly());
        QCOMPARE(w.form->toolbarButton(frmMain::Edit)->icon().cacheKey(),
                 ImageList::icon(8).cacheKey());
        w.typeLyrics(u"New words\nsecond \u00e9t\u00e9 line"_s);
        w.press(frmMain::Edit);
        QVERIFY(box->isReadOnly());
        QCOMPARE(LibraryBuilder::bytes(path), QByteArray("New words\r\nsecond \xe9t\xe9 line\r\n"));
        QVERIFY(w.platform.messages.isEmpty());
    }

    void unchangedTextComesBackByteForByte()
    {
        // Every byte a lyrics file may hold, no-break space and tab included,
        // on CR LF lines.
        QByteArray content;
        for (int b = 0x20; b <= 0xFF; ++b) {
            if (b != 0x7F)
                content += char(b);
            if (b % 32 == 31)
                content += "\r\n";
        }
        content += "\ttab\xa0nbsp\r\n\r\nlast";
        Window w;
        w.lib.song(u"A"_s, u"Able - All.txt"_s, content);
        w.open();
        w.click(u"A/Able - All.txt"_s);
        w.press(frmMain::Edit);
        w.press(frmMain::Edit);
        QCOMPARE(LibraryBuilder::bytes(w.lib.cachePath() + u"A/Able - All.txt"_s), content + "\r\n");
    }

    void clickingAwayDiscardsTheEdit()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong).song(u"A"_s, u"Able - Two.txt"_s);
        w.open();
        w.click(u"A/Able - One.txt"_s);
        w.press(frmMain::Edit);
        w.typeLyrics(u"changed"_s);
        w.click(u"A/Able - Two.txt"_s);
        QCOMPARE(LibraryBuilder::bytes(w.lib.cachePath() + u"A/Able - One.txt"_s), kSong);
        QVERIFY(!w.form->toolbarButton(frmMain::Edit)->isChecked());
        QVERIFY(w.child<QPlainTextEdit>(u"lyrics"_s)->isReadOnly());
    }

    void textTheFileCannotHoldStaysInTheBox()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong);
        w.open();
        w.click(u"A/Able - One.txt"_s);
        w.press(frmMain::Edit);
        auto *box = w.child<QPlainTextEdit>(u"lyrics"_s);
        w.typeLyrics(u"\u0141\u00f3d\u017a \u2603"_s);
        w.press(frmMain::Edit);
        QCOMPARE(w.platform.messages.size(), 1);
        QVERIFY(w.platform.messages[0].text.startsWith(u"Couldn't save the lyrics file"_s));
        QVERIFY(w.platform.messages[0].text.contains(u"\u0141"_s));
        QCOMPARE(w.platform.messages[0].title, u"Wordhive Stanzabox"_s);
        QCOMPARE(w.platform.messages[0].icon, MessageIcon::Stop);
        QVERIFY(w.form->toolbarButton(frmMain::Edit)->isChecked());
        QVERIFY(!box->isReadOnly());
        QCOMPARE(box->toPlainText(), u"\u0141\u00f3d\u017a \u2603"_s);
        QCOMPARE(LibraryBuilder::bytes(w.lib.cachePath() + u"A/Able - One.txt"_s), kSong);
    }

    void vanishedFileOnlyBeeps_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("Edit") << int(frmMain::Edit);
        QTest::newRow("Delete") << int(frmMain::Delete);
    }

    void vanishedFileOnlyBeeps()
    {
        QFETCH(int, button);
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong).song(u"A"_s, u"Able - Two.txt"_s);
        w.open();
        w.click(u"A/Able - One.txt"_s);
        QVERIFY(QFile::remove(w.lib.cachePath() + u"A/Able - One.txt"_s));
        w.press(button);
        QCOMPARE(w.platform.beeps, 1);
        QVERIFY(!w.form->toolbarButton(frmMain::Edit)->isChecked());
        QVERIFY(w.platform.messages.isEmpty());
        QCOMPARE(w.form->libraryTree().count(), 3);
        QCOMPARE(w.label(u"lblCount"_s), u"2 lyrics\n0 timestamps"_s);
        QVERIFY(w.lists.entries(Which::Deleted).isEmpty());
        QVERIFY(w.child<QPlainTextEdit>(u"lyrics"_s)->isReadOnly());
    }

    void fileGoneWhileEditingIsMadeAgain()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong);
        w.open();
        const QString path = w.lib.cachePath() + u"A/Able - One.txt"_s;
        w.click(u"A/Able - One.txt"_s);
        w.press(frmMain::Edit);
        QVERIFY(QFile::remove(path)); // something else took it meanwhile
        w.typeLyrics(u"Typed while it was gone"_s);
        w.press(frmMain::Edit);
        QCOMPARE(w.platform.beeps, 0);
        QCOMPARE(LibraryBuilder::bytes(path), QByteArray("Typed while it was gone\r\n"));
        QVERIFY(w.child<QPlainTextEdit>(u"lyrics"_s)->isReadOnly());
    }

    void deletingOneOfSeveralSongs()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong, true).song(u"A"_s, u"Able - Two.txt"_s)
            .song(u"B"_s, u"Bee - Three.txt"_s);
        w.open();
        const QString path = w.lib.cachePath() + u"A/Able - One.txt"_s;
        w.click(u"A/Able - One.txt"_s);
        w.press(frmMain::Delete);

        QVERIFY(!QFile::exists(path));
        QVERIFY(QFile::exists(w.lib.cachePath() + u"A/Able - One.kas"_s)); // timestamps stay
        QCOMPARE(w.label(u"lblCount"_s), u"2 lyrics\n0 timestamps"_s);
        QCOMPARE(w.state.LyricsCount, 2);
        QVERIFY(!w.node(u"A/Able - One.txt"_s));
        // The artist is clicked and selected, one song fewer.
        QCOMPARE(w.label(u"lblInfoTitles"_s), u" 1 lyrics avaliable"_s);
        QCOMPARE(w.form->libraryModel().nodeAt(w.child<LibraryTreeView>(u"lista"_s)->currentIndex()),
                 w.node(u"able"_s));
        QVERIFY(!w.enabled(frmMain::Delete));
        QCOMPARE(w.lists.entries(Which::Deleted), QStringList{u"Able - One"_s});
        // Moved to the desktop's trash, not gone for good.
        QVERIFY(QFile::exists(QDir(qEnvironmentVariable("XDG_DATA_HOME")).filePath(u"Trash/files/Able - One.txt"_s)));
    }

    void deletingWhenTheTrashCannotTakeTheSong_data()
    {
        QTest::addColumn<int>("trash");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("no trash, kept") << int(TrashResult::NoTrash) << MessageAnswer::No << false;
        QTest::newRow("no trash, deleted for good") << int(TrashResult::NoTrash) << MessageAnswer::Yes << true;
        QTest::newRow("cannot be moved") << int(TrashResult::Failed) << MessageAnswer::Yes << false;
    }

    void deletingWhenTheTrashCannotTakeTheSong()
    {
        QFETCH(int, trash);
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, deleted);
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong).song(u"A"_s, u"Able - Two.txt"_s);
        w.platform.trashResults = {{TrashResult::Status(trash), u"No room"_s}};
        w.platform.answers = {answer};
        const QString path = w.lib.cachePath() + u"A/Able - One.txt"_s;
        const QDir trashed(QDir(qEnvironmentVariable("XDG_DATA_HOME")).filePath(u"Trash/files"_s));
        const QStringList inTrash = trashed.entryList(QDir::Files);
        w.open();
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        auto *tree = w.child<LibraryTreeView>(u"lista"_s);
        const LibraryTreeModel &model = w.form->libraryModel();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(model.indexOf(w.node(u"able"_s))).center());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualRect(model.indexOf(w.node(u"A/Able - One.txt"_s))).center());
        QTest::mouseClick(w.child<QToolBar>(u"tlbMain"_s)->widgetForAction(w.form->toolbarButton(frmMain::Delete)),
                          Qt::LeftButton);

        QCOMPARE(w.platform.journal.filter(u"trash "_s), QStringList{u"trash "_s + path});
        QCOMPARE(w.platform.messages.size(), 1);
        const FakePlatform::Message &message = w.platform.messages[0];
        QCOMPARE(message.title, u"Wordhive Stanzabox"_s);
        if (trash == TrashResult::NoTrash) {
            QCOMPARE(message.text, u"The file cannot be moved to the trash. Delete it permanently?"_s);
            QCOMPARE(message.buttons, MessageButtons::YesNo);
        } else {
            QCOMPARE(message.text, u"Couldn't delete file. File was not found"_s);
            QCOMPARE(message.buttons, MessageButtons::Ok);
        }
        QCOMPARE(LibraryBuilder::bytes(path), deleted ? QByteArray("<missing>") : kSong);
        QCOMPARE(!w.node(u"A/Able - One.txt"_s), deleted);
        QCOMPARE(w.state.LyricsCount, deleted ? 1 : 2);
        // Deleted for good, not through the trash.
        QCOMPARE(trashed.entryList(QDir::Files), inTrash);
        QCOMPARE(w.lists.entries(Which::Deleted), deleted ? QStringList{u"Able - One"_s} : QStringList());
    }

    void deletingTheOnlySongOfAnArtist()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"B"_s, u"Bee - Two.txt"_s).song(u"B"_s, u"Bee - Three.txt"_s);
        w.open();
        w.click(u"A/Able - One.txt"_s);
        w.press(frmMain::Delete);
        QVERIFY(!w.node(u"able"_s));
        // The node now at the artist's place is the next artist.
        QCOMPARE(w.label(u"LblSong"_s), u" Bee"_s);

        // The last artist of the tree: nothing is left to click.
        w.click(u"B/Bee - Two.txt"_s);
        w.press(frmMain::Delete);
        w.click(u"B/Bee - Three.txt"_s);
        w.press(frmMain::Delete);
        QCOMPARE(w.form->libraryTree().count(), 0);
        QCOMPARE(w.label(u"lblCount"_s), u"0 lyrics\n0 timestamps"_s);
        QVERIFY(!w.enabled(frmMain::Delete));
        QVERIFY(!w.enabled(frmMain::JoinLyrics));
        QVERIFY(!w.child<QLineEdit>(u"txtSearch"_s)->isEnabled());
        QCOMPARE(w.lists.entries(Which::Deleted),
                 QStringList({u"Bee - Three"_s, u"Bee - Two"_s, u"Able - One"_s}));
    }

    void deletedSongsStayGoneWhenTheSearchIsCleared()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"A"_s, u"Able - Two.txt"_s).song(u"B"_s, u"Bee - Solo.txt"_s);
        w.open();
        w.typeSearch(u"o"_s);
        w.click(u"B/Bee - Solo.txt"_s);
        w.press(frmMain::Delete);
        w.click(u"A/Able - Two.txt"_s);
        w.press(frmMain::Delete);
        w.typeSearch(QString());
        QVERIFY(!w.node(u"bee"_s));
        QVERIFY(!w.node(u"A/Able - Two.txt"_s));
        QVERIFY(w.node(u"A/Able - One.txt"_s));
        QCOMPARE(int(w.state.TreeSnapshot.size()), 2);
    }

    void deleteRecordsTheClickedSong_data()
    {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("other");
        QTest::newRow("the second song") << u"Quiet Hours"_s << u"Glass Harbor"_s;
        QTest::newRow("the first song") << u"Glass Harbor"_s << u"Quiet Hours"_s;
    }

    void deleteRecordsTheClickedSong()
    {
        // The view moves its current row to a neighbour when the row goes;
        // that must not turn into a click on the neighbour before the entry
        // is made.
        QFETCH(QString, clicked);
        QFETCH(QString, other);
        Window w;
        w.lib.song(u"A"_s, u"Aurora Vale - Glass Harbor.txt"_s).song(u"A"_s, u"Aurora Vale - Quiet Hours.txt"_s)
            .song(u"B"_s, u"Birch - Tide.txt"_s);
        w.open();
        w.click(u"A/Aurora Vale - "_s + clicked + u".txt"_s);
        QCOMPARE(w.current(), w.node(u"A/Aurora Vale - "_s + clicked + u".txt"_s));
        w.press(frmMain::Delete);

        QCOMPARE(w.lists.entries(Which::Deleted), QStringList{u"Aurora Vale - "_s + clicked});
        QVERIFY(!QFile::exists(w.lib.cachePath() + u"A/Aurora Vale - "_s + clicked + u".txt"_s));
        QVERIFY(QFile::exists(w.lib.cachePath() + u"A/Aurora Vale - "_s + other + u".txt"_s));
        QVERIFY(w.node(u"A/Aurora Vale - "_s + other + u".txt"_s));
        // The artist is what is selected and shown now.
        QCOMPARE(w.current(), w.node(u"aurora vale"_s));
        QCOMPARE(w.label(u"LblSong"_s), u" Aurora Vale"_s);
        QCOMPARE(w.label(u"lblInfoTitles"_s), u" 1 lyrics avaliable"_s);
        QVERIFY(w.state.SelectedPath.isEmpty());

        // Deleting the other one too records that one, and takes the artist.
        w.click(u"A/Aurora Vale - "_s + other + u".txt"_s);
        w.press(frmMain::Delete);
        QCOMPARE(w.lists.entries(Which::Deleted),
                 QStringList({u"Aurora Vale - "_s + other, u"Aurora Vale - "_s + clicked}));
        QCOMPARE(w.current(), w.node(u"birch"_s));
    }

    void deletingTheLastNodeLeavesNothingShown()
    {
        // Nothing takes the place of the last artist of the tree: the panel
        // must not go on showing the deleted song with its commands on.
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, kSong).song(u"Z"_s, u"Zed - Last.txt"_s, kSong);
        w.open();
        w.click(u"Z/Zed - Last.txt"_s);
        QVERIFY(w.enabled(frmMain::OpenInBrowser));
        w.press(frmMain::Delete);
        QVERIFY(!w.node(u"zed"_s));
        QVERIFY(!w.tree()->currentIndex().isValid());
        QCOMPARE(w.label(u"LblSong"_s), QString());
        QCOMPARE(w.label(u"lblArtist"_s), QString());
        QCOMPARE(w.lyrics()->toPlainText(), QString());
        QCOMPARE(w.lyrics()->placeholderText(), u"Select a song to see its lyrics"_s);
        for (int b : {frmMain::Edit, frmMain::Delete, frmMain::MarkRedownload, frmMain::OpenInBrowser,
                      frmMain::VisitSite, frmMain::SearchKaraoke})
            QVERIFY2(!w.enabled(b), qPrintable(QString::number(b)));
        QCOMPARE(w.lists.entries(Which::Deleted), QStringList{u"Zed - Last"_s});
    }

    void deleteDuringASearchRecountsTheResults()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - Harbor.txt"_s).song(u"A"_s, u"Able - Dawn.txt"_s)
            .song(u"H"_s, u"Hale - Harbor Lights.txt"_s).song(u"H"_s, u"Hale - Harbor Night.txt"_s);
        w.open();
        w.typeSearch(u"harbor"_s);
        QCOMPARE(w.label(u"lblSearchResults"_s), u"{2 artists} {3 songs}"_s);
        w.click(u"H/Hale - Harbor Night.txt"_s);
        w.press(frmMain::Delete);
        QCOMPARE(w.label(u"lblSearchResults"_s), u"{2 artists} {2 songs}"_s);
        w.click(u"A/Able - Harbor.txt"_s);
        w.press(frmMain::Delete);
        QCOMPARE(w.label(u"lblSearchResults"_s), u"{1 artist} {1 song}"_s);
        QCOMPARE(w.lists.entries(Which::Deleted), QStringList({u"Able - Harbor"_s, u"Hale - Harbor Night"_s}));
    }

    void deletingAfterTheTreeWasFiltered()
    {
        // A search since the click moves nodes; the song's own node goes.
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"B"_s, u"Bee - Two.txt"_s).song(u"C"_s, u"Cee - Three.txt"_s);
        w.open();
        w.click(u"C/Cee - Three.txt"_s);
        w.typeSearch(u"e"_s);
        w.press(frmMain::Delete);
        QVERIFY(!w.node(u"C/Cee - Three.txt"_s));
        QVERIFY(w.node(u"A/Able - One.txt"_s));
        QVERIFY(w.node(u"B/Bee - Two.txt"_s));
    }

    void markForRedownload()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.lists.setEntries(Which::Redownload, {u"Other - Song"_s});
        w.open();
        w.click(u"A/Able - One.txt"_s);
        w.press(frmMain::MarkRedownload);
        QCOMPARE(w.lists.entries(Which::Redownload), QStringList({u"Able - One"_s, u"Other - Song"_s}));
        w.press(frmMain::MarkRedownload);
        QCOMPARE(w.lists.entries(Which::Redownload), QStringList{u"Other - Song"_s});

        w.lists.setEntries(Which::Redownload, {u"Able - One"_s, u"Able - One"_s, u"Other - Song"_s});
        w.click(u"A/Able - One.txt"_s);
        QVERIFY(w.form->toolbarButton(frmMain::MarkRedownload)->isChecked());
        w.press(frmMain::MarkRedownload);
        QCOMPARE(w.lists.entries(Which::Redownload), QStringList{u"Other - Song"_s});

        // The lists window's release reaches the button.
        w.press(frmMain::MarkRedownload);
        w.form->releaseMarkRedownload();
        QVERIFY(!w.form->toolbarButton(frmMain::MarkRedownload)->isChecked());
    }

    void listsButtonAndMenu()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.open();
        w.state.RedownloadListActive = true;
        QSignalSpy requested(w.form.get(), &frmMain::listsWindowRequested);
        w.press(frmMain::Lists);
        QCOMPARE(requested.size(), 1);
        QVERIFY(w.state.RedownloadListActive);
        w.chooseListsMenu(u"DI"_s);
        QCOMPARE(requested.size(), 2);
        QVERIFY(!w.state.RedownloadListActive);
        w.press(frmMain::Lists);
        QVERIFY(!w.state.RedownloadListActive); // the deleted list again
        w.chooseListsMenu(u"MR"_s);
        QVERIFY(w.state.RedownloadListActive);
    }

    void webCommands()
    {
        Window w;
        w.lib.song(u"R"_s, u"The Red Band - Blue Sky.txt"_s, kSong)
            .song(u"R"_s, u"The Red Band - Trap.txt"_s, "* Downloaded from: javascript:alert(1)\r\n");
        w.open();
        w.click(u"R/The Red Band - Blue Sky.txt"_s);
        w.press(frmMain::OpenInBrowser);
        w.press(frmMain::VisitSite);
        w.press(frmMain::SearchKaraoke);
        w.press(frmMain::Help);
        QCOMPARE(w.platform.opened.size(), 4);
        QCOMPARE(w.platform.opened[0], QUrl(u"http://www.verses.example/a.html"_s));
        QCOMPARE(w.platform.opened[1], QUrl(u"http://www.verses.example"_s));
        QCOMPARE(w.platform.opened[2].toString(QUrl::FullyEncoded),
                 u"http://www.wordhive.example/wordhive/getkaraoke.php?artist=The%20Red%20Band&song=Blue%20Sky"_s);
        QCOMPARE(w.platform.opened[3].path(), u"/wordhive/faq/faq.php"_s);
        QVERIFY(w.platform.messages.isEmpty());

        // A source line that is not a web address never reaches the desktop.
        w.click(u"R/The Red Band - Trap.txt"_s);
        w.press(frmMain::OpenInBrowser);
        w.press(frmMain::VisitSite);
        QCOMPARE(w.platform.opened.size(), 4);
        QCOMPARE(w.platform.messages.size(), 2);
        QCOMPARE(w.platform.messages[0].text, u"Error opening in browser"_s);
        QCOMPARE(w.platform.messages[1].title, u"Error"_s);
    }

    void joinMergesTickedSongsInTreeOrder()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, "La")
            .song(u"A"_s, u"Able - Two.txt"_s, "Two\r\nlines\r\n")
            .song(u"B"_s, u"Bee - Three.txt"_s, "B\xe9\r\n")
            .song(u"T"_s, u"Able - Late.txt"_s, "Late");
        w.state.InstallPath = w.dir.path();
        w.open();
        LibraryTreeModel &model = w.form->libraryModel();

        w.press(frmMain::JoinLyrics);
        QVERIFY(model.checkBoxesVisible());
        QCOMPARE(w.form->toolbarButton(frmMain::JoinLyrics)->text(), u"Joining..."_s);
        QCOMPARE(w.platform.messages.size(), 1);
        QCOMPARE(w.platform.messages[0].text,
                 u"Start selecting which artists/lyrics you would like to\nmerge into a single text file "
                 u"(so you can print them)\n\nWhen you are done, repress the 'Joining...' button"_s);
        QCOMPARE(w.platform.messages[0].icon, MessageIcon::Information);

        // Ticked: Bee's song first, then the artist Able (all its songs).
        w.tick(u"B/Bee - Three.txt"_s);
        w.tick(u"able"_s);
        w.tick(u"A/Able - Two.txt"_s);
        QVERIFY(w.node(u"B/Bee - Three.txt"_s)->Checked);
        QVERIFY(w.node(u"T/Able - Late.txt"_s)->Checked);
        QVERIFY(!w.node(u"A/Able - Two.txt"_s)->Checked);
        w.platform.answers = {MessageAnswer::Yes};
        w.press(frmMain::JoinLyrics);

        QVERIFY(!model.checkBoxesVisible());
        QCOMPARE(w.form->toolbarButton(frmMain::JoinLyrics)->text(), u"Join lyrics"_s);
        const QString name = u"3 Lyrics Joined at 04-07-2005 9-5.txt"_s;
        const QString path = w.dir.filePath(name);
        QCOMPARE(LibraryBuilder::bytes(path),
                 QByteArray(":: Able - One\r\n---------------\r\nLa\r\n=========================\r\n\r\n"
                            ":: Able - Late\r\n---------------\r\nLate\r\n=========================\r\n\r\n"
                            ":: Bee - Three\r\n---------------\r\nB\xe9\r\n\r\n=========================\r\n\r\n"
                            "\r\n"));
        QCOMPARE(w.platform.messages.size(), 2);
        QCOMPARE(w.platform.messages[1].text, u"File was saved as:\n"_s + name
                                                  + u"\ninto your Wordhive folder\n\nDo you want to open it now?"_s);
        QCOMPARE(w.platform.messages[1].buttons, MessageButtons::YesNo);
        QCOMPARE(w.platform.opened, QList<QUrl>{QUrl::fromLocalFile(path)});
        // The clock is read after the walk, and the window could repaint first.
        const QStringList order = w.platform.journal.filter(QRegularExpression(u"^(events|clock)$"_s));
        QCOMPARE(order.mid(order.size() - 2), QStringList({u"events"_s, u"clock"_s}));
    }

    void joinedFileHoldsNamesInAnyScript()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, "La")
            .song(u"L"_s, u"\u0141o\u015b - \u017b\u00f3\u0142w.txt"_s, "Gra\xe9 \x93so\x94\r\n");
        w.state.InstallPath = w.dir.path();
        w.open();
        w.press(frmMain::JoinLyrics);
        w.tick(u"A/Able - One.txt"_s);
        w.tick(u"L/\u0141o\u015b - \u017b\u00f3\u0142w.txt"_s);
        w.press(frmMain::JoinLyrics);
        const QString text = u":: Able - One\r\n---------------\r\nLa\r\n=========================\r\n\r\n"
                             u":: \u0141o\u015b - \u017b\u00f3\u0142w\r\n---------------\r\n"
                             u"Gra\u00e9 \u201cso\u201d\r\n\r\n=========================\r\n\r\n\r\n"_s;
        // The heading cannot be held by the code page: the whole file, lyrics
        // too, is UTF-8 behind its mark.
        QCOMPARE(LibraryBuilder::bytes(w.dir.filePath(u"2 Lyrics Joined at 04-07-2005 9-5.txt"_s)),
                 "\xef\xbb\xbf" + text.toUtf8());
        QCOMPARE(LibraryBuilder::bytes(w.lib.cachePath() + u"L/\u0141o\u015b - \u017b\u00f3\u0142w.txt"_s),
                 QByteArray("Gra\xe9 \x93so\x94\r\n"));
        QCOMPARE(w.platform.messages.size(), 2); // the instructions, then the saved file
    }

    void joinWithNothingTickedDoesNothing()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.state.InstallPath = w.dir.path();
        w.open();
        w.press(frmMain::JoinLyrics);
        w.press(frmMain::JoinLyrics);
        QCOMPARE(w.platform.messages.size(), 1); // the instructions only
        QCOMPARE(QDir(w.dir.path()).entryList(QDir::Files), QStringList());
    }

    void joinWithAVanishedSong()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, "One").song(u"A"_s, u"Able - Two.txt"_s, "Two");
        w.state.InstallPath = w.dir.path() + u"/"_s;
        w.open();
        w.press(frmMain::JoinLyrics);
        w.tick(u"able"_s);
        QFile::remove(w.lib.cachePath() + u"A/Able - One.txt"_s);
        w.press(frmMain::JoinLyrics);
        QCOMPARE(w.platform.messages.size(), 3);
        QCOMPARE(w.platform.messages[1].text, u"One or more files couldn't be found"_s);
        QCOMPARE(w.platform.messages[1].icon, MessageIcon::Stop);
        QCOMPARE(LibraryBuilder::bytes(w.dir.filePath(u"2 Lyrics Joined at 04-07-2005 9-5.txt"_s)),
                 QByteArray(":: Able - One\r\n---------------\r\n"
                            ":: Able - Two\r\n---------------\r\nTwo\r\n=========================\r\n\r\n\r\n"));
        QVERIFY(w.platform.opened.isEmpty()); // answered No
    }

    void joinWithoutADownloaderFolder()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, "One");
        w.open();
        w.press(frmMain::JoinLyrics);
        w.tick(u"A/Able - One.txt"_s);
        w.press(frmMain::JoinLyrics);
        QCOMPARE(w.platform.messages.last().text, u"Could not create/overwrite file"_s);
    }
};

int runToolbarTests(int argc, char **argv)
{
    TestToolbar tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_toolbar.moc"
