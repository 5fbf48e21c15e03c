// The karaoke editor: its rows and the panel beside the lyrics.

#include "karaoke/KasFormat.h"
#include "karaoke/VeskTimePicker.h"
#include "karaoke/clsKaraokeEdition.h"
#include "mainwindow/MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A timestamp file with one record per tag, ten seconds apart, and a tail.
QByteArray kasWith(const QStringList &tags, const QByteArray &tail = ";demo\r\n")
{
    QByteArray bytes;
    for (int i = 0; i < tags.size(); ++i)
        bytes += EncodeStamp(0, i * 10 % 60, 0) + tags[i].toLatin1().leftJustified(2, ' ');
    return bytes + tail;
}

// The rows as "tag@m:ss.f", top to bottom.
QStringList rowsOf(const clsKaraokeEdition &edition)
{
    QStringList out;
    for (int i = 0; i <= edition.last(); ++i) {
        const VeskTimePicker *r = edition.row(i);
        out << u"%1@%2:%3.%4"_s.arg(r->Text()).arg(r->Minute()).arg(r->Second(), 2, 10, QLatin1Char('0')).arg(r->Frame());
    }
    return out;
}

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
        for (int i = 0; i <= 2; ++i) {
            QCOMPARE(r.edition.row(i)->y(), i * 20); // 300 twips apart
            QVERIFY(!r.edition.row(i)->isHidden());
        }
        QCOMPARE(r.area.height(), 60); // 900 twips
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
        QCOMPARE(r.edition.row(3)->y(), 60);
        QCOMPARE(r.area.height(), 80);
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
        QCOMPARE(r.edition.row(499)->y(), 499 * 20);
        QCOMPARE(r.area.height(), 500 * 20);
        QVERIFY(r.edition.SaveKasFile(path));
        QCOMPARE(LibraryBuilder::bytes(path), original);
    }

    void panelShowsForSongsWithTimestamps()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - Timed.txt"_s, "la\r\n")
            .file(u"A/Able - Timed.kas"_s, kasWith({u"A"_s, u"B"_s}))
            .song(u"A"_s, u"Able - Plain.txt"_s);
        w.open();
        w.form->resize(900, 600);
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        auto *frame = w.child<QGroupBox>(u"frmKaraoke"_s);
        auto *text = w.child<QPlainTextEdit>(u"lyrics"_s);
        QVERIFY(frame->isHidden());

        w.form->lista_NodeClick(w.node(u"A/Able - Timed.txt"_s));
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->title(), u"Karaoke Editor"_s);
        QCOMPARE(rowsOf(w.form->karaokeEdition()), QStringList({u"A @0:00.0"_s, u"B @0:10.0"_s}));
        // Two rows fit: the narrow frame, no scroll bar; the lyrics 100 twips to its right.
        QCOMPARE(frame->width(), Twips::toPixels(1685));
        QVERIFY(w.child<QScrollBar>(u"VScroll1"_s)->isHidden());
        QCOMPARE(text->x(), Twips::toPixels(3375 + 1685 + 100));
        QCOMPARE(text->width(), Twips::toPixels(13500 - 3375 - 100 - 1685 - 100));

        w.form->lista_NodeClick(w.node(u"A/Able - Plain.txt"_s));
        QVERIFY(frame->isHidden());
        QCOMPARE(text->x(), Twips::toPixels(3375));
        w.form->lista_NodeClick(w.node(u"A/Able - Timed.txt"_s));
        w.form->lista_NodeClick(w.node(u"able"_s));
        QVERIFY(frame->isHidden());
    }

    void addDeleteAndScrollOnThePanel()
    {
        Window w;
        QStringList tags;
        for (int i = 0; i < 5; ++i)
            tags << QString(QChar(u'A' + i));
        w.lib.song(u"A"_s, u"Able - Timed.txt"_s).file(u"A/Able - Timed.kas"_s, kasWith(tags));
        w.open();
        // Client height 378 px: the viewport is 5670 - 2760 - 100 - 720 - 100 = 1990 twips.
        w.form->resize(900, 378);
        w.form->show();
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        w.form->lista_NodeClick(w.node(u"A/Able - Timed.txt"_s));
        clsKaraokeEdition &edition = w.form->karaokeEdition();
        auto *bar = w.child<QScrollBar>(u"VScroll1"_s);
        QVERIFY(bar->isHidden()); // 1500 twips of rows fit

        // Focus last on row 2: the new row is row 3.
        edition.row(2)->setFocus();
        QCOMPARE(w.form->currentStamp(), 2);
        w.child<QPushButton>(u"cmdAdd"_s)->click();
        QCOMPARE(rowsOf(edition).mid(2, 3), QStringList({u"C @0:20.0"_s, u"@0:00.0"_s, u"D @0:30.0"_s}));
        QCOMPARE(edition.last(), 5);

        // Ten rows in 1990 twips: a scroll bar of 3000 - 1990, steps 100 and 400.
        for (int i = 0; i < 4; ++i)
            w.child<QPushButton>(u"cmdAdd"_s)->click();
        QCOMPARE(edition.last(), 9);
        QVERIFY(!bar->isHidden());
        QCOMPARE(bar->maximum(), 1010);
        QCOMPARE(bar->singleStep(), 100);
        QCOMPARE(bar->pageStep(), 400);
        QCOMPARE(w.child<QGroupBox>(u"frmKaraoke"_s)->width(), Twips::toPixels(2055));
        bar->setValue(400);
        QCOMPARE(w.child<QWidget>(u"picMoveable1"_s)->y(), Twips::toPixels(-400));

        // Del removes the focused row; the scroll bar goes when the rows fit again.
        for (int i = 0; i < 4; ++i)
            w.child<QPushButton>(u"cmdDel"_s)->click();
        QCOMPARE(edition.last(), 5);
        QVERIFY(bar->isHidden());
        QCOMPARE(w.child<QWidget>(u"picMoveable1"_s)->y(), 0);
        QCOMPARE(w.child<QGroupBox>(u"frmKaraoke"_s)->width(), Twips::toPixels(1685));

        // A stale focus beyond the rows: Add goes after the last row.
        edition.row(5)->setFocus();
        w.form->lista_NodeClick(w.node(u"A/Able - Timed.txt"_s));
        w.child<QPushButton>(u"cmdAdd"_s)->click();
        QCOMPARE(edition.last(), 5);
        QCOMPARE(rowsOf(edition).last(), u"@0:00.0"_s);
        QCOMPARE(w.form->currentStamp(), 4);
    }

    void saveOnThePanel()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - Timed.txt"_s).file(u"A/Able - Timed.kas"_s, kasWith({u"A"_s, u"B"_s}));
        w.open();
        const QString path = w.lib.cachePath() + u"A/Able - Timed.kas"_s;
        w.form->lista_NodeClick(w.node(u"A/Able - Timed.txt"_s));
        w.form->karaokeEdition().row(0)->setText(QString());
        w.form->karaokeEdition().row(1)->setText(QString());
        w.child<QPushButton>(u"cmdSave"_s)->click();
        // All tags empty: the tail alone, and still the success message.
        QCOMPARE(LibraryBuilder::bytes(path), QByteArray(";demo\r\n"));
        QCOMPARE(w.platform.messages.size(), 1);
        QCOMPARE(w.platform.messages[0].text, u"Karaoke timestamps succesfully saved"_s);
        QCOMPARE(w.platform.messages[0].title, u"Stanzabox"_s);
        QCOMPARE(w.platform.messages[0].icon, MessageIcon::Information);

        // A file that can no longer be written: told so, nothing changed.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
        w.form->karaokeEdition().row(0)->setText(u"X"_s);
        w.child<QPushButton>(u"cmdSave"_s)->click();
        QCOMPARE(w.platform.messages.size(), 2);
        QCOMPARE(w.platform.messages[1].text, u"Karaoke timestamps could not be saved"_s);
        QCOMPARE(w.platform.messages[1].icon, MessageIcon::Stop);
        QCOMPARE(w.form->karaokeEdition().row(0)->Text(), u"X"_s);
        QVERIFY(QFileInfo(path).isDir());
    }

    void damagedFileHidesTheEditor()
    {
        Window w;
        w.lib.song(u"A"_s, u"Able - Timed.txt"_s).file(u"A/Able - Timed.kas"_s, "no tail here");
        w.open();
        w.form->lista_NodeClick(w.node(u"A/Able - Timed.txt"_s));
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
