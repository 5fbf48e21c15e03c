// What the right column shows, whatever changes it: unsaved work is asked
// about first, and a user clicking, typing and deleting at random while the
// library changes on disk never sees the panel, the tree and the commands
// disagree.

#include "library/LibraryWatcher.h"
#include "library/SongNames.h"
#include "mainwindow/MainWindowFixture.h"
#include "mainwindow/clsKaraokeEdition.h"
#include "text/TextFile.h"
#include "widgets/VeskTimePicker.h"

#include <QDir>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace {

const QString kOne = u"A/Able - One.txt"_s;

// Where the checks of the tree's own rules come in.
void checkTreeInvariants(const LibraryTree &tree)
{
    QVERIFY(tree.count() >= int(tree.roots().size()));
}

// Lets the window take in what happened on disk, its own writes included.
void settle(Window &w)
{
    QCoreApplication::processEvents();
    if (auto *watcher = w.form->findChild<LibraryWatcher *>())
        QTRY_VERIFY(!watcher->isSettling());
    QCoreApplication::processEvents();
}

bool asked(const Window &w, qsizetype from)
{
    for (qsizetype i = from; i < w.platform.messages.size(); ++i) {
        if (w.platform.messages[i].text.startsWith(u"Save the changes to "_s))
            return true;
    }
    return false;
}

void checkWhatTheUserSees(Window &w, const QString &typed, const QString &typedPath, qsizetype messages)
{
    checkTreeInvariants(w.form->libraryTree());
    const AppState &s = w.state;
    QVERIFY(s.LyricsCount >= 0 && s.TimestampsCount >= 0 && !w.label(u"lblCount"_s).contains(u'-'));
    const bool song = !s.SelectedPath.isEmpty();
    for (int b : {frmMain::Edit, frmMain::Delete, frmMain::MarkRedownload, frmMain::SearchKaraoke})
        QCOMPARE(w.enabled(b), song);
    const LibraryNode *current = w.current();
    const QString heading = w.label(u"LblSong"_s);
    if (song) {
        // The tree's current row, or a song the search hides.
        const QString key = s.SelectedPath.mid(s.CachePath.size());
        QVERIFY(current ? current->Key == key : !w.node(key));
        QCOMPARE(heading, u" "_s + s.SelectedArtist + u" - "_s + s.SelectedSong);
        // The file's text, but for the line end a save puts at its end.
        const QString file = decodeText(LibraryBuilder::bytes(s.SelectedPath)).replace(u"\r\n"_s, u"\n"_s);
        if (w.lyrics()->isReadOnly() && w.child<QWidget>(u"picDiskChange"_s)->isHidden())
            QVERIFY(w.lyrics()->toPlainText() == file || w.lyrics()->toPlainText() + u'\n' == file);
    } else {
        QVERIFY(current ? current->hasChildren() && heading == u" "_s + current->Text
                        : heading.isEmpty() || !w.node(artistKey(heading.mid(1))));
        QVERIFY(w.lyrics()->isReadOnly());
    }
    // Typed text is still in the box, or on disk, or the user was asked.
    QVERIFY(typed.isEmpty() || asked(w, messages) || w.lyrics()->toPlainText() == typed
            || LibraryBuilder::bytes(typedPath) == typed.toLatin1() + "\r\n");
}

} // namespace

class TestDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unsavedWorkIsAskedAbout_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<MessageAnswer>("answer");
        const QMap<QString, MessageAnswer> answers{
            {u"Save"_s, MessageAnswer::Save}, {u"Discard"_s, MessageAnswer::Discard}, {u"Cancel"_s, MessageAnswer::Cancel}};
        for (const char *row : {"click Save", "click Discard", "click Cancel", "Delete Save", "Delete Cancel",
                                "Ctrl+Z Discard", "Ctrl+Z Cancel", "Ctrl+O Cancel", "close Discard", "close Cancel",
                                "stamps Save", "stamps Cancel"}) {
            const QStringList parts = QString::fromLatin1(row).split(u' ');
            QTest::newRow(row) << parts[0] << answers[parts[1]];
        }
    }

    void unsavedWorkIsAskedAbout()
    {
        QFETCH(QString, how);
        QFETCH(MessageAnswer, answer);
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s, "one\r\n", true).song(u"A"_s, u"Able - Two.txt"_s)
            .song(u"B"_s, u"Bee - Gone.txt"_s);
        w.open();
        if (how == u"Ctrl+Z") {
            w.click(u"B/Bee - Gone.txt"_s);
            w.press(frmMain::Delete);
        }
        w.click(kOne);
        auto *tag = w.form->karaokeEdition().row(0)->findChild<QLineEdit *>(u"txtLyrics"_s);
        if (how == u"stamps") {
            QTest::mouseClick(tag, Qt::LeftButton);
            QTest::keyClick(tag, Qt::Key_A, Qt::ControlModifier);
            Window::type(tag, u"x"_s);
        } else {
            w.press(frmMain::Edit);
            w.typeLyrics(u"mine"_s);
        }
        w.platform.answers = {answer};
        w.platform.chosenFolder = w.dir.path();
        const qsizetype before = w.platform.messages.size();
        if (how == u"click" || how == u"stamps")
            w.click(u"A/Able - Two.txt"_s);
        else if (how == u"Delete")
            w.press(frmMain::Delete);
        else if (how == u"close")
            w.form->close();
        else
            w.treeKey(how == u"Ctrl+Z" ? Qt::Key_Z : Qt::Key_O, Qt::ControlModifier);

        QCOMPARE(w.platform.messages.value(before).text, u"Save the changes to Able - One?"_s);
        QCOMPARE(w.platform.messages[before].buttons, MessageButtons::SaveDiscardCancel);
        const bool stayed = answer == MessageAnswer::Cancel;
        QCOMPARE(w.label(u"LblSong"_s) == u" Able - One"_s, stayed);
        QCOMPARE(w.form->isVisible(), stayed || how != u"close");
        if (stayed) {
            QTRY_COMPARE(w.current(), w.node(kOne));
            QCOMPARE(how == u"stamps" ? tag->text() : w.lyrics()->toPlainText(), how == u"stamps" ? u"x"_s : u"mine"_s);
        }
        const QByteArray file = LibraryBuilder::bytes(w.lib.cachePath() + (how == u"stamps" ? u"A/Able - One.kas"_s : kOne));
        QVERIFY(how == u"Delete" || file.contains(how == u"stamps" ? "x " : "mine") == (answer == MessageAnswer::Save));
    }

    void ctrlZReachesTheWindowFromTheSearchBox()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"B"_s, u"Bee - Two.txt"_s);
        w.open();
        w.click(u"B/Bee - Two.txt"_s);
        w.press(frmMain::Delete);
        w.typeSearch(u"ab"_s);
        // What the box can undo goes first, then the deleted song comes back.
        for (int i = 0; i < 5 && w.search()->isUndoAvailable(); ++i)
            QTest::keyClick(w.search(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.search()->text(), QString());
        QVERIFY(!w.node(u"B/Bee - Two.txt"_s));
        QTest::keyClick(w.search(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(w.node(u"B/Bee - Two.txt"_s));
        QCOMPARE(w.label(u"LblSong"_s), u" Bee - Two"_s);
    }

    void aUserAtRandom_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u})
            QTest::addRow("seed %u", seed) << seed;
    }

    void aUserAtRandom()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        Window w;
        const QStringList artists{u"Able"_s, u"Bee"_s, u"Cello"_s};
        auto name = [&] {
            const QString artist = artists[random.bounded(3)];
            return artist.left(1) + u'/' + artist + u" - Song "_s + QString::number(random.bounded(20)) + u".txt"_s;
        };
        for (int i = 0; i < 8; ++i)
            w.lib.file(name(), "words\r\n");
        w.open();
        w.form->followDisk();
        for (int step = 0; step < 60 && !QTest::currentTestFailed(); ++step) {
            const bool editing = !w.lyrics()->isReadOnly() && w.lyrics()->document()->isModified();
            const QString typed = editing ? w.lyrics()->toPlainText() : QString();
            const QString typedPath = w.state.SelectedPath;
            const qsizetype messages = w.platform.messages.size();
            w.platform.answers = {MessageAnswer(int(MessageAnswer::Save) + int(random.bounded(3)))};
            QStringList files;
            for (const QString &letter : {u"A/"_s, u"B/"_s, u"C/"_s}) {
                for (const QString &file : QDir(w.lib.cachePath() + letter).entryList({u"*.txt"_s}, QDir::Files))
                    files << w.lib.cachePath() + letter + file;
            }
            const QString some = files.isEmpty() ? QString() : files[random.bounded(files.size())];
            const int action = int(random.bounded(10));
            const int nodes = w.form->libraryTree().count();
            if (action < 2 && nodes > 0)
                w.click(w.form->libraryTree().node(1 + int(random.bounded(nodes)))->Key);
            else if (action == 2)
                w.press(frmMain::Delete);
            else if (action == 3)
                w.treeKey(Qt::Key_Z, Qt::ControlModifier);
            else if (action == 4 && w.enabled(frmMain::Edit) && !w.pressed(frmMain::Edit)) {
                w.press(frmMain::Edit);
                w.typeLyrics(u"typed %1"_s.arg(step));
            } else if (action == 5)
                w.press(frmMain::Edit);
            else if (action == 6)
                w.typeSearch(random.bounded(2) ? QString() : QString(u"aeo"_s[random.bounded(3)]));
            else if (action == 7)
                w.lib.file(name(), "new\r\n");
            else if (action == 8 && !some.isEmpty())
                random.bounded(2) ? QFile::remove(some) : QFile::rename(some, w.lib.cachePath() + name());
            else if (action == 9)
                w.treeKey(Qt::Key_F5);
            settle(w);
            checkWhatTheUserSees(w, typed, typedPath, messages);
            if (QTest::currentTestFailed())
                qInfo("seed %u, step %d, action %d", seed, step, action);
        }
    }
};

int runDisplayTests(int argc, char **argv)
{
    TestDisplay tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_display.moc"
