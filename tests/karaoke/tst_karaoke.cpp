// The karaoke editor: its rows and the panel beside the lyrics.

#include "karaoke/KasFormat.h"
#include "widgets/VeskTimePicker.h"
#include "mainwindow/clsKaraokeEdition.h"
#include "karaoke/TurnWheel.h"
#include "widgets/LibraryTreeModel.h"
#include "widgets/LibraryTreeView.h"
#include "karaoke/KaraokeFixture.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// An editor over a bare row area, for the row set alone.
struct Rows
{
    QWidget area;
    FakePlatform platform;
    clsKaraokeEdition edition{area, platform};
    QTemporaryDir dir;

    QString file(const QByteArray &content, const QString &name = QStringLiteral("Song.kas"))
    {
        LibraryBuilder(dir.path()).file(name, content);
        return dir.filePath(name);
    }
};

} // namespace

class TestKaraoke : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadingPlacesTheRows()
    {
        Rows r;
        QCOMPARE(r.edition.LoadKasFile(r.file(kasWith({u"A"_s, u"B"_s, u"C"_s}))), clsKaraokeEdition::LoadResult::Loaded);
        QCOMPARE(rowsOf(r.edition), QStringList({u"A @0:00.0"_s, u"B @0:10.0"_s, u"C @0:20.0"_s}));
        // One pitch apart: the designed 300 twips or more, one row's height
        // and the designed gap of 30 twips.
        const int pitch = r.edition.rowPitch();
        QVERIFY(pitch >= Twips::toPixels(300));
        QCOMPARE(pitch, r.edition.row(0)->height() + Twips::toPixels(30));
        for (int i = 0; i <= 2; ++i) {
            QCOMPARE(r.edition.row(i)->y(), i * pitch);
            QVERIFY(!r.edition.row(i)->isHidden());
        }
        QCOMPARE(r.area.height(), 3 * pitch);
        QCOMPARE(r.edition.kasTail(), QByteArray(";demo\r\n"));
    }

    void addInsertsAnEmptyRow_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("at the end") << 3 << QStringList{u"A @0:00.0"_s, u"B @0:10.0"_s, u"C @0:20.0"_s, u"@0:00.0"_s};
        QTest::newRow("after the first") << 1 << QStringList{u"A @0:00.0"_s, u"@0:00.0"_s, u"B @0:10.0"_s, u"C @0:20.0"_s};
        QTest::newRow("at the top") << 0 << QStringList{u"@0:00.0"_s, u"A @0:00.0"_s, u"B @0:10.0"_s, u"C @0:20.0"_s};
    }

    void addInsertsAnEmptyRow()
    {
        QFETCH(int, position);
        QFETCH(QStringList, rows);
        Rows r;
        r.edition.LoadKasFile(r.file(kasWith({u"A"_s, u"B"_s, u"C"_s})));
        r.edition.Add(position);
        QCOMPARE(rowsOf(r.edition), rows);
        QCOMPARE(r.edition.row(3)->y(), 3 * r.edition.rowPitch());
        QCOMPARE(r.area.height(), 4 * r.edition.rowPitch());
    }

    void deleteMovesTheRestUp_data()
    {
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("refused");
        QTest::newRow("second of three") << QStringList{u"A"_s, u"B"_s, u"C"_s} << 1
                                         << QStringList{u"A @0:00.0"_s, u"C @0:20.0"_s} << false;
        QTest::newRow("last") << QStringList{u"A"_s, u"B"_s, u"C"_s} << 2
                              << QStringList{u"A @0:00.0"_s, u"B @0:10.0"_s} << false;
        QTest::newRow("first refused") << QStringList{u"A"_s, u"B"_s, u"C"_s} << 0
                                       << QStringList{u"A @0:00.0"_s, u"B @0:10.0"_s, u"C @0:20.0"_s} << true;
        QTest::newRow("beyond the last drops the last")
            << QStringList{u"A"_s, u"B"_s, u"C"_s} << 7 << QStringList{u"A @0:00.0"_s, u"B @0:10.0"_s} << false;
        QTest::newRow("the only row refused") << QStringList{u"A"_s} << 3 << QStringList{u"A @0:00.0"_s} << true;
    }

    void deleteMovesTheRestUp()
    {
        QFETCH(QStringList, tags);
        QFETCH(int, position);
        QFETCH(QStringList, rows);
        QFETCH(bool, refused);
        Rows r;
        r.edition.LoadKasFile(r.file(kasWith(tags)));
        r.edition.Del(position);
        QCOMPARE(rowsOf(r.edition), rows);
        QCOMPARE(r.platform.messages.size(), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(r.platform.messages[0].text, u"Can't delete first stamp"_s);
            QCOMPARE(r.platform.messages[0].title, u"VESK"_s);
            QCOMPARE(r.platform.messages[0].icon, MessageIcon::Information);
        }
    }

    void unloadKeepsTheFirstRow()
    {
        Rows r;
        r.edition.LoadKasFile(r.file(kasWith({u"A"_s, u"B"_s})));
        r.edition.UnloadAll();
        QCOMPARE(rowsOf(r.edition), QStringList{u"A @0:00.0"_s});
        QVERIFY(r.edition.kasTail().isEmpty());
    }

    void loadingReplacesWhatWasThere()
    {
        Rows r;
        r.edition.LoadKasFile(r.file(kasWith({u"A"_s, u"B"_s}), u"one.kas"_s));
        // A file without records must not keep the last song's first stamp:
        // saving it would write that stamp into this song's file.
        QCOMPARE(r.edition.LoadKasFile(r.file(";empty\r\n", u"two.kas"_s)), clsKaraokeEdition::LoadResult::Loaded);
        QCOMPARE(rowsOf(r.edition), QStringList{u"@0:00.0"_s});
        QCOMPARE(r.area.height(), 0);
        QVERIFY(r.edition.SaveKasFile(r.dir.filePath(u"two.kas"_s)));
        QCOMPARE(LibraryBuilder::bytes(r.dir.filePath(u"two.kas"_s)), QByteArray(";empty\r\n"));
    }

    void minuteOutOfRangeIsRefused()
    {
        Rows r;
        // 129, 127: t = 65 * 64 + 63 = 4223, minute 14.
        QByteArray file = kasWith({u"A"_s});
        file.insert(4, QByteArray("\x81\x7f" "B "));
        r.edition.LoadKasFile(r.file(file));
        QCOMPARE(r.edition.row(1)->Text(), u"B "_s);
        QCOMPARE(r.edition.row(1)->Minute(), 0);
        QCOMPARE(r.edition.row(1)->Second(), 4);
    }

    void filesOutsideTheFormatAreNotLoaded_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("no semicolon") << QByteArray("FaV1FbV2\r\n") << false;
        QTest::newRow("code below 64") << QByteArray("F V1;\r\n") << false;
        QTest::newRow("a folder") << QByteArray() << true;
        QTest::newRow("missing") << QByteArray() << true;
    }

    void filesOutsideTheFormatAreNotLoaded()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, unreadable);
        Rows r;
        r.edition.LoadKasFile(r.file(kasWith({u"A"_s, u"B"_s}), u"one.kas"_s));
        QString path;
        if (!content.isEmpty())
            path = r.file(content, u"bad.kas"_s);
        else if (QTest::currentDataTag() == QByteArray("a folder"))
            path = (QDir(r.dir.path()).mkdir(u"dir.kas"_s), r.dir.filePath(u"dir.kas"_s));
        else
            path = r.dir.filePath(u"missing.kas"_s);
        const auto result = r.edition.LoadKasFile(path);
        QCOMPARE(result, unreadable ? clsKaraokeEdition::LoadResult::Unreadable
                                    : clsKaraokeEdition::LoadResult::NotATimestampFile);
        QCOMPARE(rowsOf(r.edition), QStringList{u"@0:00.0"_s});
        QVERIFY(r.edition.kasTail().isEmpty());
        if (!content.isEmpty())
            QCOMPARE(LibraryBuilder::bytes(path), content);
    }

    void savingWritesTheRowsBack()
    {
        Rows r;
        const QByteArray original = kasWith({u"V1"_s, u"C"_s, u"B"_s});
        const QString path = r.file(original);
        r.edition.LoadKasFile(path);
        QVERIFY(r.edition.SaveKasFile(path));
        QCOMPARE(LibraryBuilder::bytes(path), original); // unchanged: byte for byte
        r.edition.row(1)->setText(QString());
        r.edition.row(2)->setMinute(13);
        QVERIFY(r.edition.SaveKasFile(path));
        QCOMPARE(LibraryBuilder::bytes(path), EncodeStamp(0, 0, 0) + "V1" + EncodeStamp(13, 20, 0) + "B ;demo\r\n");
    }

    void fiveHundredRows()
    {
        Rows r;
        QByteArray original;
        for (int i = 0; i < 500; ++i)
            original += EncodeStamp(i / 60 % 14, i % 60, i % 5 * 2) + "AB";
        original += ";long\r\n";
        const QString path = r.file(original);
        QCOMPARE(r.edition.LoadKasFile(path), clsKaraokeEdition::LoadResult::Loaded);
        QCOMPARE(r.edition.last(), 499);
        QCOMPARE(r.edition.row(499)->y(), 499 * r.edition.rowPitch());
        QCOMPARE(r.area.height(), 500 * r.edition.rowPitch());
        QVERIFY(r.edition.SaveKasFile(path));
        QCOMPARE(LibraryBuilder::bytes(path), original);
    }

    void panelShowsForSongsWithTimestamps()
    {
        Panel w;
        w.lib.song(u"A"_s, u"Able - Timed.txt"_s, "la\r\n")
            .file(u"A/Able - Timed.kas"_s, kasWith({u"A"_s, u"B"_s}))
            .song(u"A"_s, u"Able - Plain.txt"_s);
        QVERIFY(w.show(900, 600));
        auto *frame = w.child<QGroupBox>(u"frmKaraoke"_s);
        auto *text = w.child<QPlainTextEdit>(u"lyrics"_s);
        QVERIFY(frame->isHidden());

        w.clickNode(u"A/Able - Timed.txt"_s);
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->title(), u"Karaoke Editor"_s);
        QCOMPARE(rowsOf(w.rows()), QStringList({u"A @0:00.0"_s, u"B @0:10.0"_s}));
        // Two rows fit: no scroll bar, the narrow frame; the lyrics 100 twips
        // to its right, to the end of the right column.
        QVERIFY(w.child<QScrollBar>(u"VScroll1"_s)->isHidden());
        QVERIFY(frame->width() >= Twips::toPixels(1685));
        QCOMPARE(text->x(), frame->x() + frame->width() + Twips::toPixels(100));
        QCOMPARE(text->x() + text->width(), Twips::toPixels(13500 - 100));

        w.clickNode(u"A/Able - Plain.txt"_s);
        QVERIFY(frame->isHidden());
        QCOMPARE(text->x(), Twips::toPixels(3375));
        QCOMPARE(text->x() + text->width(), Twips::toPixels(13500 - 100));
        w.clickNode(u"A/Able - Timed.txt"_s);
        QVERIFY(frame->isVisible());
        w.clickNode(u"able"_s);
        QVERIFY(frame->isHidden());
    }

    void editorFitsItsFont()
    {
        Panel w;
        w.lib.song(u"A"_s, u"Able - Timed.txt"_s).file(u"A/Able - Timed.kas"_s, kasWith({u"A"_s, u"B"_s, u"C"_s}));
        QVERIFY(w.show(900, 600));
        w.clickNode(u"A/Able - Timed.txt"_s);
        auto *frame = w.child<QGroupBox>(u"frmKaraoke"_s);
        QVERIFY(frame->isVisible());
        QVERIFY(frame->width() >= Twips::toPixels(1685));

        // The buttons stand side by side inside the frame, none over
        // another, each with its picture and its whole caption.
        const QList<QPushButton *> buttons{w.button(u"cmdAdd"_s), w.button(u"cmdDel"_s), w.button(u"cmdSave"_s)};
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            const QPushButton *b = buttons[i];
            QStyleOptionButton option;
            option.initFrom(b);
            const int margins = b->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, b)
                                + 2 * b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, b);
            const int picture = b->iconSize().width() + 4; // Qt's gap between picture and caption
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) + picture + margins <= b->width(),
                     qPrintable(u"\"%1\" in %2 pixels"_s.arg(b->text()).arg(b->width())));
            QVERIFY(b->fontMetrics().height() + margins <= b->height());
            QVERIFY(frame->rect().contains(QRect(b->mapTo(frame, QPoint(0, 0)), b->size())));
            for (qsizetype j = i + 1; j < buttons.size(); ++j)
                QVERIFY2(!b->geometry().intersects(buttons[j]->geometry()),
                         qPrintable(u"%1 and %2"_s.arg(b->text(), buttons[j]->text())));
        }

        // Each row: arrows the style's own size, not squeezed; the time's
        // labels each hold their widest caption, left to right with the tag
        // box after them, none over another; the rows one under another.
        const clsKaraokeEdition &rows = w.rows();
        for (int i = 0; i <= rows.last(); ++i) {
            VeskTimePicker *row = rows.row(i);
            auto *arrows = row->findChild<QScrollBar *>(u"myScroll"_s);
            QStyleOptionSlider option;
            option.initFrom(arrows);
            option.orientation = Qt::Vertical;
            const int least = arrows->style()->pixelMetric(QStyle::PM_ScrollBarExtent, &option, arrows);
            for (auto part : {QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddLine}) {
                const QRect r = arrows->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, arrows);
                QVERIFY2(r.height() >= least, qPrintable(u"row %1: an arrow %2 high, the style's is %3"_s
                                                             .arg(i).arg(r.height()).arg(least)));
                QVERIFY(arrows->rect().contains(r));
            }
            QList<QWidget *> parts{arrows};
            for (int k = 0; k < 3; ++k) {
                auto *label = row->findChild<QLabel *>(u"myLabel%1"_s.arg(k));
                int widest = 0;
                for (char16_t d = u'0'; d <= u'9'; ++d)
                    widest = qMax(widest, label->fontMetrics().horizontalAdvance(QString(k == 2 ? 1 : 2, QChar(d))));
                QVERIFY2(widest <= label->width(), qPrintable(u"row %1 field %2"_s.arg(i).arg(k)));
                parts << label;
            }
            parts << row->findChild<QLineEdit *>(u"txtLyrics"_s);
            for (qsizetype p = 0; p + 1 < parts.size(); ++p)
                QVERIFY2(parts[p]->geometry().right() < parts[p + 1]->x(),
                         qPrintable(u"row %1: %2 and %3"_s.arg(i).arg(parts[p]->objectName(), parts[p + 1]->objectName())));
            for (const QWidget *part : std::as_const(parts))
                QVERIFY(row->rect().contains(part->geometry()));
            if (i > 0)
                QVERIFY(rows.row(i - 1)->geometry().bottom() < row->y());
        }
    }

    void addAndDeleteOnThePanel()
    {
        Panel w;
        QStringList tags;
        for (int i = 0; i < 5; ++i)
            tags << QString(QChar(u'A' + i));
        w.lib.song(u"A"_s, u"Able - Timed.txt"_s).file(u"A/Able - Timed.kas"_s, kasWith(tags))
            .song(u"A"_s, u"Able - Short.txt"_s).file(u"A/Able - Short.kas"_s, kasWith({u"X"_s, u"Y"_s, u"Z"_s}));
        QVERIFY(w.show(900, 600));
        w.clickNode(u"A/Able - Timed.txt"_s);
        clsKaraokeEdition &edition = w.rows();
        auto *frame = w.child<QGroupBox>(u"frmKaraoke"_s);
        auto *bar = w.child<QScrollBar>(u"VScroll1"_s);
        auto *column = w.child<QWidget>(u"picMoveable1"_s);
        // A window whose row viewport holds seven and a half rows.
        const MainLayout &l = w.form->layoutTwips();
        const double pitch = l.KaraokeRowPitch;
        QCOMPARE(pitch, Twips::fromPixels(edition.rowPitch()));
        w.form->resize(900, Twips::toPixels(l.frmKaraoke.Top + l.picContainerKasEditModeOne.Top + 200 + 7.5 * pitch));
        QVERIFY(bar->isHidden());
        const int narrow = frame->width();

        // The focus last in row 2: the new row is row 3.
        QVERIFY(w.clickField(2, 1));
        QCOMPARE(w.form->currentStamp(), 2);
        w.click(u"cmdAdd"_s);
        QCOMPARE(rowsOf(edition).mid(2, 3), QStringList({u"C @0:20.0"_s, u"@0:00.0"_s, u"D @0:30.0"_s}));
        QCOMPARE(edition.last(), 5);

        // Ten rows do not fit: the scroll bar comes, its range the rows'
        // excess height in twips, and the frame widens for it.
        for (int i = 0; i < 4; ++i)
            w.click(u"cmdAdd"_s);
        QCOMPARE(edition.last(), 9);
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->maximum(), qRound(10 * pitch - l.picContainerKasEditModeOne.Height));
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->singleStep(), 100);
        QCOMPARE(bar->pageStep(), 400);
        QVERIFY(frame->width() > narrow);
        QVERIFY(frame->rect().contains(QRect(bar->mapTo(frame, QPoint(0, 0)), bar->size())));
        QVERIFY(turnWheel(bar, -1));
        QCOMPARE(column->y(), Twips::toPixels(-bar->value()));
        QVERIFY(column->y() < 0);

        // Del takes the row that last had the focus; when the rows fit
        // again the scroll bar goes and the column is back at the top.
        for (int i = 0; i < 4; ++i)
            w.click(u"cmdDel"_s);
        QCOMPARE(edition.last(), 5);
        QCOMPARE(rowsOf(edition), QStringList({u"A @0:00.0"_s, u"B @0:10.0"_s, u"@0:00.0"_s, u"@0:00.0"_s,
                                                u"D @0:30.0"_s, u"E @0:40.0"_s}));
        QVERIFY(bar->isHidden());
        QCOMPARE(column->y(), 0);
        QCOMPARE(frame->width(), narrow);

        // The first row is not deleted.
        QVERIFY(w.clickField(0, 0));
        w.click(u"cmdDel"_s);
        QCOMPARE(edition.last(), 5);
        QCOMPARE(w.platform.messages.size(), 1);
        QCOMPARE(w.platform.messages[0].text, u"Can't delete first stamp"_s);
        QCOMPARE(w.platform.messages[0].title, u"VESK"_s);

        // The focus last in a row beyond the next song's rows: Add puts the
        // new row after that song's last row.
        QVERIFY(w.clickField(5, 2));
        QCOMPARE(w.form->currentStamp(), 5);
        w.clickNode(u"A/Able - Short.txt"_s);
        w.click(u"cmdAdd"_s);
        QCOMPARE(rowsOf(edition), QStringList({u"X @0:00.0"_s, u"Y @0:10.0"_s, u"Z @0:20.0"_s, u"@0:00.0"_s}));
        QCOMPARE(w.form->currentStamp(), 2);
    }

    void wheelOverTheRows()
    {
        Panel w;
        QStringList tags;
        for (int i = 0; i < 20; ++i)
            tags << QString(QChar(u'A' + i));
        w.lib.song(u"A"_s, u"Able - Timed.txt"_s).file(u"A/Able - Timed.kas"_s, kasWith(tags));
        QVERIFY(w.show(900, 600));
        w.clickNode(u"A/Able - Timed.txt"_s);
        auto *bar = w.child<QScrollBar>(u"VScroll1"_s);
        auto *column = w.child<QWidget>(u"picMoveable1"_s);
        QVERIFY(bar->isVisible());
        const QStringList values = rowsOf(w.rows());

        // Over a row's tag box, its arrows, between two rows, over the bar
        // itself: the column scrolls three steps a notch, no value changes.
        QVERIFY(turnWheel(w.tag(1), -1));
        QCOMPARE(bar->value(), 300);
        QCOMPARE(column->y(), Twips::toPixels(-300));
        QVERIFY(turnWheel(w.arrows(3), -1));
        QCOMPARE(bar->value(), 600);
        const QRect below4 = w.rows().row(4)->geometry();
        QVERIFY(turnWheel(column, QPoint(below4.center().x(), below4.bottom() + 1), -1));
        QCOMPARE(bar->value(), 900);
        QVERIFY(turnWheel(bar, 1));
        QCOMPARE(bar->value(), 600);
        QCOMPARE(column->y(), Twips::toPixels(-600));
        // Arrows that work the selected field leave the wheel to the rows too.
        QVERIFY(w.clickField(4, 1));
        QVERIFY(w.arrows(4)->isEnabled());
        QVERIFY(turnWheel(w.arrows(4), 1));
        QCOMPARE(bar->value(), 300);
        // Down to the end, wherever under the pointer the rows pass by.
        auto *viewport = w.child<QWidget>(u"picContainerKasEditModeOne"_s);
        while (bar->value() < bar->maximum())
            QVERIFY(turnWheel(viewport, -1));
        QVERIFY(!turnWheel(viewport, -1));
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(column->y(), Twips::toPixels(-bar->maximum()));
        QCOMPARE(rowsOf(w.rows()), values);

        // Over a time field the wheel works that field, and the rows stay.
        const int last = w.rows().last();
        QVERIFY(turnWheel(w.field(last, 1), 2));
        QCOMPARE(w.rows().row(last)->Second(), (last * 10 % 60) + 2);
        QVERIFY(turnWheel(w.field(last, 2), 1));
        QCOMPARE(w.rows().row(last)->Frame(), 2);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(w.form->currentStamp(), last);
        QCOMPARE(rowsOf(w.rows()).mid(0, last), values.mid(0, last));
    }

    void keysAndSaveOnThePanel()
    {
        Panel w;
        w.lib.song(u"A"_s, u"Able - Timed.txt"_s).file(u"A/Able - Timed.kas"_s, kasWith({u"V1"_s, u"C"_s}));
        QVERIFY(w.show(900, 600));
        const QString path = w.lib.cachePath() + u"A/Able - Timed.kas"_s;
        w.clickNode(u"A/Able - Timed.txt"_s);

        // Row 0 by the keys: minute up twice, on to the seconds, up three
        // and down one, on to the tenths, up one, on into the tag box.
        QVERIFY(w.clickField(0, 0));
        for (Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Right, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up,
                            Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_Right})
            QVERIFY(w.press(key));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.tag(0)));
        // A new tag over the old one; the digit is refused.
        QVERIFY(w.press(Qt::Key_A, Qt::ControlModifier));
        QTest::keyClicks(QApplication::focusWidget(), u"x9"_s);
        // Row 1's tag emptied and typed anew.
        QTest::mouseClick(w.tag(1), Qt::LeftButton);
        QVERIFY(w.press(Qt::Key_End));
        QVERIFY(w.press(Qt::Key_Backspace));
        QVERIFY(w.press(Qt::Key_Backspace));
        QTest::keyClicks(QApplication::focusWidget(), u"q."_s);
        QCOMPARE(rowsOf(w.rows()), QStringList({u"x@2:02.2"_s, u"q.@0:10.0"_s}));

        w.click(u"cmdSave"_s);
        QCOMPARE(LibraryBuilder::bytes(path), EncodeStamp(2, 2, 2) + "x " + EncodeStamp(0, 10, 0) + "q.;demo\r\n");
        QCOMPARE(w.platform.messages.size(), 1);
        QCOMPARE(w.platform.messages[0].text, u"Karaoke timestamps succesfully saved"_s);
        QCOMPARE(w.platform.messages[0].title, u"Stanzabox"_s);
        QCOMPARE(w.platform.messages[0].icon, MessageIcon::Information);

        // All tags empty: the tail alone, and the rows are said not to be in it.
        for (int row : {0, 1}) {
            QTest::mouseClick(w.tag(row), Qt::LeftButton);
            QVERIFY(w.press(Qt::Key_A, Qt::ControlModifier));
            QVERIFY(w.press(Qt::Key_Delete));
        }
        w.click(u"cmdSave"_s);
        QCOMPARE(LibraryBuilder::bytes(path), QByteArray(";demo\r\n"));
        QCOMPARE(w.platform.messages.size(), 2);
        QCOMPARE(w.platform.messages[1].text, u"2 rows without a tag were not saved: type a tag for them"_s);

        // A file that can no longer be written: told so, nothing changed.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
        QTest::mouseClick(w.tag(0), Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), u"X"_s);
        w.click(u"cmdSave"_s);
        QCOMPARE(w.platform.messages.size(), 3);
        QCOMPARE(w.platform.messages[2].text, u"Karaoke timestamps could not be saved"_s);
        QCOMPARE(w.platform.messages[2].icon, MessageIcon::Stop);
        QCOMPARE(w.rows().row(0)->Text(), u"X"_s);
        QVERIFY(QFileInfo(path).isDir());
    }

    void damagedFileHidesTheEditor()
    {
        Panel w;
        w.lib.song(u"A"_s, u"Able - Timed.txt"_s).file(u"A/Able - Timed.kas"_s, "no tail here");
        QVERIFY(w.show(900, 600));
        w.clickNode(u"A/Able - Timed.txt"_s);
        QVERIFY(w.child<QGroupBox>(u"frmKaraoke"_s)->isHidden());
        QCOMPARE(w.label(u"lblKaraoke"_s), u"Timestamps found"_s);
        QCOMPARE(w.platform.messages.size(), 1);
        QCOMPARE(w.platform.messages[0].text, u"Karaoke timestamps could not be read"_s);
        QCOMPARE(LibraryBuilder::bytes(w.lib.cachePath() + u"A/Able - Timed.kas"_s), QByteArray("no tail here"));
    }
};

int runKaraokeTests(int argc, char **argv)
{
    TestKaraoke tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_karaoke.moc"
