// The main window as a desktop program: keys, focus order, readable colours.

#include "widgets/Readability.h"
#include "widgets/LibraryTreeModel.h"
#include "widgets/LibraryTreeView.h"
#include "mainwindow/MainWindowFixture.h"
#include "support/Palettes.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

void showActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tabVisitsTheControlsInOrder()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).file(u"A/Able - One.kas"_s, "FaV1@@C ;t\r\n");
        w.open();
        showActive(w.form.get());
        w.click(u"A/Able - One.txt"_s);
        QVERIFY(w.enabled(frmMain::Edit));
        w.child<QLineEdit>(u"txtSearch"_s)->setFocus();
        QStringList visited;
        for (int i = 0; i < 30; ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // Search, tree, the enabled commands, the editor's buttons and row, the lyrics.
        const QStringList expected = {u"txtSearch"_s, u"lista"_s, u"Edit"_s, u"Delete"_s, u"MarkRedownload"_s,
                                      u"Lists"_s, u"SearchKaraoke"_s, u"JoinLyrics"_s, u"Help"_s, u"Music"_s, u"cmdAdd"_s,
                                      u"cmdDel"_s, u"cmdSave"_s};
        QCOMPARE(visited.mid(0, expected.size()), expected);
        // Then the timestamp row's fields, then the lyrics, then round again.
        const qsizetype row = visited.indexOf(u"myScroll"_s);
        QVERIFY2(row > visited.indexOf(u"cmdSave"_s) && visited.indexOf(u"lyrics"_s) > row,
                 qPrintable(visited.join(u' ')));
        QCOMPARE(visited.at(visited.indexOf(u"lyrics"_s) + 1), u"txtSearch"_s);
    }

    void searchKeys()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s).song(u"B"_s, u"Bee - Two.txt"_s);
        w.open();
        showActive(w.form.get());
        auto *tree = w.child<LibraryTreeView>(u"lista"_s);
        auto *box = w.child<QLineEdit>(u"txtSearch"_s);
        w.typeSearch(u"bee"_s);
        tree->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(tree, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->selectedText(), u"bee"_s);
        QCOMPARE(w.form->libraryTree().roots().size(), size_t(1));
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(box->text().isEmpty());
        QCOMPARE(w.form->libraryTree().roots().size(), size_t(2));
    }

    void coloursStayReadable_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void coloursStayReadable()
    {
        QFETCH(bool, dark);
        const QPalette before = QApplication::palette();
        if (dark)
            QApplication::setPalette(darkDesktopPalette());
        Window w;
        w.lib.song(u"A"_s, u"Able - One.txt"_s);
        w.open();
        w.typeSearch(u"able"_s);
        struct Pair
        {
            const char16_t *name;
            QPalette::ColorRole fg;
            QPalette::ColorRole bg;
        };
        const Pair pairs[] = {
            {u"lblCount", QPalette::HighlightedText, QPalette::Shadow},
            {u"LblSong", QPalette::HighlightedText, QPalette::Mid},
            {u"lblSearchResults", QPalette::Highlight, QPalette::Window},
            {u"lblArtist", QPalette::WindowText, QPalette::Window},
            {u"lista", QPalette::Text, QPalette::Base},
            {u"lyrics", QPalette::Text, QPalette::Base},
        };
        for (const Pair &p : pairs) {
            auto *widget = w.child<QWidget>(QString::fromUtf16(p.name));
            const double ratio = Readability::contrast(widget->palette().color(p.fg), widget->palette().color(p.bg));
            QVERIFY2(ratio >= Readability::minimumFor(widget->font().pointSizeF()),
                     qPrintable(u"%1: %2"_s.arg(QString::fromUtf16(p.name)).arg(ratio)));
        }
        QApplication::setPalette(before);
    }

    void readableOnMovesOnlyAsFarAsNeeded_data()
    {
        QTest::addColumn<QColor>("foreground");
        QTest::addColumn<QColor>("background");
        QTest::newRow("blue on light grey") << QColor(0x30, 0x8c, 0xc6) << QColor(0xef, 0xef, 0xef);
        QTest::newRow("grey on dark") << QColor(0x55, 0x55, 0x55) << QColor(0x20, 0x20, 0x20);
        QTest::newRow("white on white") << QColor(Qt::white) << QColor(Qt::white);
        QTest::newRow("black on black") << QColor(Qt::black) << QColor(Qt::black);
    }

    void readableOnMovesOnlyAsFarAsNeeded()
    {
        QFETCH(QColor, foreground);
        QFETCH(QColor, background);
        const QColor readable = Readability::readableOn(foreground, background, 4.5);
        QVERIFY(Readability::contrast(readable, background) >= 4.5);
        // A colour that is readable already is left as it is.
        QCOMPARE(Readability::readableOn(readable, background, 4.5), readable);
    }
};

int runDesktopTests(int argc, char **argv)
{
    TestDesktop tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_desktop.moc"
