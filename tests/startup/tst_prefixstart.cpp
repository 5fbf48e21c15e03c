// Finding the downloader before the start-up: the question shown when it is
// in several Wine prefixes, the remembered answer, a cache folder given on
// the command line, and the program's answers on the command line.

#include "library/LibraryTree.h"
#include "widgets/LibraryTreeModel.h"
#include "widgets/LibraryTreeView.h"
#include "mainwindow/frmMain.h"
#include "desktop/DesktopPlatform.h"
#include "startup/DownloaderPrefix.h"
#include "startup/Main.h"
#include "startup/PrefixDialog.h"
#include "support/FakePlatform.h"
#include "support/LibraryBuilder.h"
#include "support/PrefixBuilder.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kBottles = u".local/share/bottles/bottles"_s;

// Runs act on the prefix question once it is up, from inside its own event
// loop; tells whether the question came at all. Nothing is left behind for
// a later test when it did not.
class WhenAsked
{
public:
    explicit WhenAsked(std::function<void(PrefixDialog *)> act)
    {
        QTimer::singleShot(0, &context, [this, act] {
            auto *dialog = qobject_cast<PrefixDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            wasAsked = true;
            if (!QTest::qWaitForWindowActive(dialog))
                qWarning("the question did not become the active window");
            act(dialog);
            // A gesture that did not end the question must not leave the test waiting.
            QTimer::singleShot(0, dialog, [dialog] {
                if (dialog->isVisible()) {
                    qWarning("the question was still open");
                    dialog->done(QDialog::Rejected + 100);
                }
            });
        });
    }

    // Whether the question came. An act still waiting is dropped: without
    // a question there was no event loop to run it.
    bool asked()
    {
        QCoreApplication::removePostedEvents(&context);
        return wasAsked;
    }

private:
    QObject context;
    bool wasAsked = false;
};

QTreeWidget *prefixList(PrefixDialog *dialog)
{
    return dialog->findChild<QTreeWidget *>(u"lstPrefixes"_s);
}

QPushButton *dialogButton(PrefixDialog *dialog, const QString &name)
{
    return dialog->findChild<QPushButton *>(name);
}

void pressKey(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

// Two candidates, as the search finds them.
QList<PrefixCandidate> twoCandidates(const QString &home)
{
    return {{home + u"/.wine"_s, home + u"/.wine/drive_c/Program Files/Wordhive/lyrics/"_s, 1},
            {home + u"/Games/songs"_s, u"/mnt/songs/"_s, 0}};
}

// A home with the downloader in ~/.wine and in a Bottles bottle.
struct TwoPrefixes
{
    QTemporaryDir dir;
    QString home = dir.filePath(u"home"_s);
    PrefixBuilder wine{home + u"/.wine"_s};
    PrefixBuilder bottle{home + u'/' + kBottles + u"/Lyrics"_s};
    FakePlatform settings;

    TwoPrefixes()
    {
        wine.withDownloader(3);
        bottle.withDownloader(41);
    }
    DownloaderPrefix choose(const StartOptions &options = {}, const QString &winePrefix = QString())
    {
        return chooseDownloaderPrefix(settings, options, winePrefix, home);
    }
    QString remembered() const
    {
        return settings.settings.value(FakePlatform::settingKey(u"Vesk"_s, u"Config"_s, u"Prefix"_s));
    }
};

} // namespace

class TestPrefixStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void questionShowsEachPrefixAndTakesKeys()
    {
        QTemporaryDir dir;
        LibraryBuilder(dir.path()).folder(u"home/.wine/drive_c/Program Files/Wordhive/lyrics"_s);
        const QString home = dir.filePath(u"home"_s);
        QStringList rows;
        QString listName;
        WhenAsked answer([&](PrefixDialog *dialog) {
            QTreeWidget *list = prefixList(dialog);
            listName = list->accessibleName();
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                const QTreeWidgetItem *item = list->topLevelItem(i);
                rows << item->text(0) + u" | "_s + item->text(1) + u" | "_s + item->text(2);
            }
            QCOMPARE(QApplication::focusWidget(), list);
            pressKey(Qt::Key_Down);
            pressKey(Qt::Key_Return);
        });
        const std::optional<int> chosen = PrefixDialog::ask(twoCandidates(home), home);
        QVERIFY(answer.asked());
        QCOMPARE(chosen, std::optional<int>(1));
        QCOMPARE(rows, QStringList({u"~/.wine | ~/.wine/drive_c/Program Files/Wordhive/lyrics/ | 1 song"_s,
                                    u"~/Games/songs | /mnt/songs/ | no lyrics folder"_s}));
        QVERIFY(!listName.isEmpty());
    }

    void aClickOnARowThenOk()
    {
        const QString home = u"/home/singer"_s;
        WhenAsked answer([&](PrefixDialog *dialog) {
            QTreeWidget *list = prefixList(dialog);
            const QRect row = list->visualItemRect(list->topLevelItem(1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
            QTest::mouseClick(dialogButton(dialog, u"cmdOk"_s), Qt::LeftButton);
        });
        QCOMPARE(PrefixDialog::ask(twoCandidates(home), home), std::optional<int>(1));
        QVERIFY(answer.asked());
    }

    void cancelling_data()
    {
        QTest::addColumn<bool>("withKey");
        QTest::newRow("Cancel clicked") << false;
        QTest::newRow("Escape") << true;
    }

    void cancelling()
    {
        QFETCH(bool, withKey);
        const QString home = u"/home/singer"_s;
        WhenAsked answer([&](PrefixDialog *dialog) {
            QTest::mouseClick(prefixList(dialog)->viewport(), Qt::LeftButton, {},
                              prefixList(dialog)->visualItemRect(prefixList(dialog)->topLevelItem(1)).center());
            if (withKey)
                pressKey(Qt::Key_Escape);
            else
                QTest::mouseClick(dialogButton(dialog, u"cmdCancel"_s), Qt::LeftButton);
        });
        QCOMPARE(PrefixDialog::ask(twoCandidates(home), home), std::optional<int>());
        QVERIFY(answer.asked());
    }

    void askedOnceThenRemembered()
    {
        TwoPrefixes machine;
        WhenAsked first([](PrefixDialog *) {
            pressKey(Qt::Key_Down);
            pressKey(Qt::Key_Enter);
        });
        const DownloaderPrefix chosen = machine.choose();
        QVERIFY(first.asked());
        QCOMPARE(chosen.folder, machine.bottle.folder());
        QCOMPARE(machine.remembered(), machine.bottle.folder());

        // The next start opens it without a question.
        WhenAsked second([](PrefixDialog *dialog) { dialog->accept(); });
        QCOMPARE(machine.choose().folder, machine.bottle.folder());
        QVERIFY(!second.asked());

        // Once it has lost the downloader, the question comes again about
        // the two others; cancelled, nothing is opened, and no place is
        // named as one without the downloader.
        machine.bottle.withoutDownloader();
        PrefixBuilder(machine.home + u"/.PlayOnLinux/wineprefix/Wordhive"_s).withDownloader();
        WhenAsked third([](PrefixDialog *) { pressKey(Qt::Key_Escape); });
        const DownloaderPrefix cancelled = machine.choose();
        QVERIFY(third.asked());
        QVERIFY(cancelled.folder.isEmpty());
        QVERIFY(cancelled.places.isEmpty());
        QCOMPARE(machine.remembered(), machine.bottle.folder());
    }

    void aNamedPrefixIsNotSearchedFor_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<bool>("cacheGiven");
        QTest::addColumn<QString>("expected");
        QTest::newRow("--prefix") << u"@/mine"_s << QString() << false << u"@/mine"_s;
        QTest::newRow("--prefix over $WINEPREFIX") << u"@/mine"_s << u"@/env"_s << false << u"@/mine"_s;
        QTest::newRow("$WINEPREFIX") << QString() << u"@/env"_s << false << u"@/env"_s;
        QTest::newRow("a cache folder alone") << QString() << QString() << true << QString();
    }

    void aNamedPrefixIsNotSearchedFor()
    {
        QFETCH(QString, option);
        QFETCH(QString, variable);
        QFETCH(bool, cacheGiven);
        QFETCH(QString, expected);
        TwoPrefixes machine;
        const QString root = machine.dir.path();
        StartOptions options{option.replace(u'@', root), cacheGiven ? root : QString()};
        WhenAsked answer([](PrefixDialog *dialog) { dialog->accept(); });
        const DownloaderPrefix chosen = machine.choose(options, variable.replace(u'@', root));
        QVERIFY(!answer.asked());
        QCOMPARE(chosen.folder, expected.replace(u'@', root));
        QVERIFY(machine.remembered().isEmpty());
    }

    void nothingFoundSaysWhereItLooked()
    {
        QTemporaryDir dir;
        const QString home = dir.filePath(u"home"_s);
        PrefixBuilder(home + u"/.wine"_s).withoutDownloader();
        PrefixBuilder(home + u'/' + kBottles + u"/Other"_s).withoutDownloader();
        FakePlatform platform;
        platform.folder = LibraryBuilder(dir.filePath(u"program"_s)).cachePath();
        const DownloaderPrefix found = chooseDownloaderPrefix(platform, {}, QString(), home);
        QVERIFY(found.folder.isEmpty());
        platform.installFolder.clear();
        platform.searchPlaces = found.places;

        Main program(platform);
        program.run();
        QVERIFY(QTest::qWaitForWindowExposed(program.mainWindow()));
        auto *tree = program.mainWindow()->findChild<LibraryTreeView *>(u"lista"_s);
        QCOMPARE(tree->notice(),
                 u"No Wordhive downloader found in ~/.wine, ~/.local/share/bottles/bottles/Other, "
                 u"~/.var/app/com.usebottles.bottles/data/bottles/bottles/*, ~/.config/lutris/games/*.yml, "
                 u"~/Games/*, ~/.PlayOnLinux/wineprefix/*, ~/.cxoffice/*"_s);
    }

    void theDesktopPlatformReadsTheChosenPrefix()
    {
        TwoPrefixes machine;
        DesktopPlatform platform(WinePrefix(machine.dir.filePath(u"unused"_s)));
        platform.useDownloaderPrefix(WinePrefix(machine.bottle.folder()), {u"~/.wine"_s, u"~/x"_s});
        QCOMPARE(platform.downloaderInstallFolder(), machine.bottle.installFolder());
        QCOMPARE(platform.downloaderSearchPlaces(), QStringList({u"~/.wine"_s, u"~/x"_s}));
        // Nothing chosen, nowhere searched: nothing to tell.
        platform.useDownloaderPrefix(WinePrefix(QString()), {});
        QVERIFY(platform.downloaderInstallFolder().isEmpty());
        QVERIFY(platform.downloaderSearchPlaces().isEmpty());
    }

    // A copied Windows cache opened directly: its songs in the tree, joined
    // lyrics in the folder above it, and the downloader's registry and
    // settings.txt never read.
    void aCacheFolderGivenDirectly()
    {
        QTemporaryDir dir;
        LibraryBuilder copy(dir.filePath(u"backup/lyrics"_s));
        copy.song(u"A"_s, u"Able - One.txt"_s, "One\r\n").song(u"b"_s, u"Bee - Two.txt"_s, "Two\r\n");
        // What the registry and a settings.txt beside the cache would name instead.
        LibraryBuilder(dir.filePath(u"installed/lyrics"_s)).song(u"Z"_s, u"Zed - Other.txt"_s);
        LibraryBuilder(dir.filePath(u"backup"_s))
            .file(u"settings.txt"_s, "[CachePath]=" + dir.filePath(u"installed/lyrics/"_s).toUtf8() + "\r\n");
        FakePlatform platform;
        platform.folder = LibraryBuilder(dir.filePath(u"program"_s)).cachePath();
        platform.installFolder = dir.filePath(u"installed"_s);

        Main program(platform);
        program.run({QString(), dir.filePath(u"backup/lyrics"_s)});
        frmMain *form = program.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(!platform.journal.contains(u"registry"_s));
        QCOMPARE(program.state().CachePath, copy.cachePath());
        QCOMPARE(program.state().InstallPath, dir.filePath(u"backup"_s));
        QVERIFY(form->libraryTree().find(u"A/Able - One.txt"_s));
        QVERIFY(form->libraryTree().find(u"b/Bee - Two.txt"_s));
        QVERIFY(!form->libraryTree().find(u"Z/Zed - Other.txt"_s));

        auto *toolbar = form->findChild<QToolBar *>(u"tlbMain"_s);
        auto *join = qobject_cast<QToolButton *>(toolbar->widgetForAction(form->toolbarButton(frmMain::JoinLyrics)));
        QVERIFY(join);
        QTest::mouseClick(join, Qt::LeftButton);
        auto *tree = form->findChild<LibraryTreeView *>(u"lista"_s);
        const QModelIndex song = form->libraryModel().indexOf(form->libraryTree().find(u"b/Bee - Two.txt"_s));
        tree->expand(song.parent());
        tree->scrollTo(song);
        QStyleOptionViewItem option;
        option.initFrom(tree);
        option.rect = tree->visualRect(song);
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay
            | QStyleOptionViewItem::HasDecoration;
        option.decorationSize = tree->iconSize().isValid() ? tree->iconSize() : QSize(16, 16);
        const QRect box = tree->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, box.center());
        QVERIFY(form->libraryTree().find(u"b/Bee - Two.txt"_s)->Checked);
        QTest::mouseClick(join, Qt::LeftButton);

        QCOMPARE(LibraryBuilder::bytes(dir.filePath(u"backup/1 Lyrics Joined at 04-07-2005 9-5.txt"_s)),
                 QByteArray(":: Bee - Two\r\n---------------\r\nTwo\r\n\r\n=========================\r\n\r\n\r\n"));
        QCOMPARE(platform.messages.last().text.section(u'\n', 0, 1),
                 u"File was saved as:\n1 Lyrics Joined at 04-07-2005 9-5.txt"_s);
    }

    // The program itself, answering on the command line without a window:
    // the display given it does not exist, so a window would end it.
    void theProgramAnswersWithoutAWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");
        QTest::newRow("--version") << QStringList{u"--version"_s} << 0
                                   << u"Stanzabox " STANZABOX_EXPECTED_VERSION "\n"_s << QString();
        QTest::newRow("--help") << QStringList{u"--help"_s} << 0
                                << u"Usage: stanzabox [options] [CACHE_FOLDER]\n"_s << QString();
        QTest::newRow("no such cache folder") << QStringList{u"@/no such folder"_s} << 2 << QString()
                                              << u"stanzabox: cache folder not found: @/no such folder\n"_s;
        QTest::newRow("no such prefix") << QStringList{u"--prefix"_s, u"@/gone"_s, u"@"_s} << 2 << QString()
                                        << u"stanzabox: Wine prefix not found: @/gone\n"_s;
        QTest::newRow("two folders") << QStringList{u"@"_s, u"@"_s} << 2 << QString()
                                     << u"stanzabox: only one cache folder can be opened"_s;
    }

    void theProgramAnswersWithoutAWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, error);
        QTemporaryDir dir;
        for (QString &argument : arguments)
            argument.replace(u'@', dir.path());

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"no-such-display"_s);
        environment.insert(u"HOME"_s, dir.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, dir.path());
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(STANZABOX_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(20000));
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        QVERIFY2(output.isEmpty() ? out.isEmpty() : out.startsWith(output), qPrintable(out));
        QVERIFY2(error.isEmpty() ? err.isEmpty() : err.startsWith(error.replace(u'@', dir.path())), qPrintable(err));
    }
};

int runPrefixStartTests(int argc, char **argv)
{
    TestPrefixStart tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_prefixstart.moc"
