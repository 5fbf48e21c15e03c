// Timing the stamps with the song playing, on a player whose clock the test
// sets: Play, the position, Tap, Earlier and Later, the keys, undo, the row
// whose time has come.

#include "karaoke/FakeSongPlayer.h"
#include "karaoke/KaraokeFixture.h"
#include "karaoke/StampTime.h"

#include <QRegularExpression>
#include <QSlider>

namespace {

// Records at these steps of 0.2 s, tagged A, B, C..., and a tail.
QByteArray kas(const QList<int> &steps)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const Stamp s = StampTime::fromSteps(steps[i]);
        bytes += EncodeStamp(s.Minute, s.Second, s.Frame) + char('A' + i % 26) + ' ';
    }
    return bytes + ";tail\r\n";
}

// "Able - Timed" has a music file, played by a fake; "Able - Quiet" has none.
struct Timing : Panel
{
    FakeSongPlayer *player = nullptr;
    int playersMade = 0;

    bool show(const QByteArray &timed, const QByteArray &quiet = kas({0}))
    {
        lib.song(u"A"_s, u"Able - Timed.txt"_s).file(u"A/Able - Timed.kas"_s, timed)
            .song(u"A"_s, u"Able - Quiet.txt"_s).file(u"A/Able - Quiet.kas"_s, quiet);
        const bool shown = Panel::show(900, 600);
        form->setKaraokeMusic({[](const QString &lyrics) { return MusicFile{lyrics.endsWith(u"Timed.txt"_s) ? u"/music/timed.ogg"_s : u""_s}; },
                               [this] {
                                   ++playersMade;
                                   return std::unique_ptr<SongPlayer>(player = new FakeSongPlayer);
                               }});
        return shown;
    }
    // The rows' times, "m:ss.f" each, top to bottom.
    QString times() { return rowsOf(rows()).replaceInStrings(QRegularExpression(u"^.*@"_s), QString()).join(u' '); }
    static void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QVERIFY(press(key, modifiers)); }
};

} // namespace

class TestKaraokePlayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void playsOnlyWithAMusicFile()
    {
        Timing w;
        QVERIFY(w.show(kas({0, 50})));
        w.clickNode(u"A/Able - Quiet.txt"_s);
        for (const QString &name : {u"cmdPlay"_s, u"cmdTap"_s, u"sldPosition"_s}) {
            QVERIFY(!w.child<QWidget>(name)->isEnabled());
            QCOMPARE(w.child<QWidget>(name)->toolTip(), u"No music file for this song: choose a music folder in the Music window"_s);
        }
        QTest::keyClick(w.form.get(), Qt::Key_P, Qt::ControlModifier);

        // Nothing is opened before Play.
        w.clickNode(u"A/Able - Timed.txt"_s);
        auto *play = w.button(u"cmdPlay"_s);
        QCOMPARE(play->accessibleName(), u"Play"_s);
        QVERIFY(play->isEnabled() && !w.button(u"cmdTap"_s)->isEnabled() && w.playersMade == 0);

        QTest::keyClick(w.form.get(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(w.player && w.player->isPlaying && play->isChecked());
        QCOMPARE(w.player->path, u"/music/timed.ogg"_s);
        w.player->advanceTo(83456);
        QCOMPARE(w.label(u"lblPosition"_s), u"1:23.4"_s);
        auto *slider = w.child<QSlider>(u"sldPosition"_s);
        QCOMPARE(slider->accessibleName(), u"Position"_s);
        QCOMPARE(slider->value(), 83456);
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(w.player->seeks, QList<qint64>{240000});
        QCOMPARE(w.label(u"lblPosition"_s), u"4:00.0"_s);
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY(!w.player->isPlaying && !play->isChecked());

        // A file that will not play is told of, and opened again by the next Play.
        Q_EMIT w.player->failed(u"No decoder"_s);
        QTRY_COMPARE(w.platform.messages.size(), 1);
        QCOMPARE(w.platform.messages[0].text, u"Couldn't play the music file /music/timed.ogg\n\nNo decoder"_s);
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY(w.player->isPlaying && w.player->path == u"/music/timed.ogg"_s);

        // Another song stops it.
        w.clickNode(u"A/Able - Quiet.txt"_s);
        QVERIFY(!w.player->isPlaying && !play->isChecked() && !play->isEnabled() && w.playersMade == 1);
    }

    void tapTimesTheRowsInTurn_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how : {"Space in a time field", "Space in a tag box", "Ctrl+T", "the Tap button"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    void tapTimesTheRowsInTurn()
    {
        QFETCH(QString, how);
        Timing w;
        QVERIFY(w.show(kas({0, 50, 100})));
        w.clickNode(u"A/Able - Timed.txt"_s);
        w.click(u"cmdPlay"_s);
        QVERIFY(w.clickField(0, 1));
        if (how.contains(u"tag box"))
            QTest::mouseClick(w.tag(0), Qt::LeftButton);
        auto tap = [&] {
            if (how.startsWith(u"Space"))
                Timing::key(Qt::Key_Space);
            else if (how == u"Ctrl+T")
                Timing::key(Qt::Key_T, Qt::ControlModifier);
            else
                w.click(u"cmdTap"_s);
        };
        // Where the song is at the tap, not where it was last told to be.
        w.player->advanceTo(4000);
        w.player->advanceTo(5390, false);
        tap();
        QCOMPARE(w.times(), u"0:05.2 0:10.0 0:20.0"_s);
        QCOMPARE(w.form->currentStamp(), 1);
        w.player->advanceTo(12000);
        tap();
        w.player->advanceTo(61111);
        tap();
        // Past the last row: a new one, for the next line.
        QCOMPARE(w.times(), u"0:05.2 0:12.0 1:01.0 0:00.0"_s);
        QCOMPARE(w.form->currentStamp(), 3);

        // Ctrl+Z takes the taps back, the latest first, the new row with its own.
        Timing::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.times(), u"0:05.2 0:12.0 0:20.0"_s);
        QCOMPARE(w.form->currentStamp(), 2);
        Timing::key(Qt::Key_Z, Qt::ControlModifier);
        Timing::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.form->currentStamp(), 0);
        Timing::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.platform.beeps, 1);
        QCOMPARE(w.times(), u"0:00.0 0:10.0 0:20.0"_s);
    }

    void shiftAndNudgeStayInRange()
    {
        Timing w;
        QVERIFY(w.show(kas({0}), kas({1, 50, StampTime::LastStep})));
        const QString path = w.lib.cachePath() + u"A/Able - Quiet.kas"_s;
        // No music is needed to move the stamps.
        w.clickNode(u"A/Able - Quiet.txt"_s);
        w.click(u"cmdLater"_s);
        QCOMPARE(w.times(), u"0:00.4 0:10.2 13:59.8"_s);
        QVERIFY(w.clickField(1, 2));
        for (int i = 0; i < 3; ++i)
            Timing::key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(w.times(), u"0:00.0 0:09.6 13:59.2"_s);
        Timing::key(Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(w.times(), u"0:00.0 0:09.8 13:59.2"_s);
        Timing::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.times(), u"0:00.0 0:09.6 13:59.2"_s);

        // Saved byte for byte with the tail; undo goes back no further.
        w.click(u"cmdSave"_s);
        QCOMPARE(LibraryBuilder::bytes(path), kas({0, 48, StampTime::LastStep - 3}));
        QVERIFY(w.clickField(1, 2));
        Timing::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.platform.beeps, 1);
        Timing::key(Qt::Key_Left, Qt::AltModifier);
        Timing::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.times(), u"0:00.0 0:09.6 13:59.2"_s);

        // In a tag box just typed in, the typing is taken back first.
        QTest::mouseClick(w.tag(0), Qt::LeftButton);
        Timing::key(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), u"x"_s);
        Timing::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.rows().row(0)->Text(), u"A "_s);
        QCOMPARE(w.platform.beeps, 1);
    }

    void theRowWhoseTimeHasComeIsMarked()
    {
        QList<int> steps;
        for (int i = 0; i < 20; ++i)
            steps << i * 50;
        Timing w;
        QVERIFY(w.show(kas(steps)));
        w.clickNode(u"A/Able - Timed.txt"_s);
        QVERIFY(w.child<QScrollBar>(u"VScroll1"_s)->isVisible());
        auto *viewport = w.child<QWidget>(u"picContainerKasEditModeOne"_s);
        const QColor plain = w.child<QWidget>(u"picMoveable1"_s)->palette().color(QPalette::Window);
        auto marked = [&] {
            QList<int> out;
            for (int i = 0; i <= w.rows().last(); ++i)
                out << (w.rows().row(i)->palette().color(QPalette::Window) != plain ? i : -1);
            out.removeAll(-1);
            return out;
        };
        auto inSight = [&](int i) {
            const VeskTimePicker *row = w.rows().row(i);
            return viewport->rect().contains(QRect(row->mapTo(viewport, QPoint(0, 0)), row->size()));
        };
        QTest::keyClick(w.form.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(marked(), QList<int>());
        w.player->advanceTo(155000);
        QVERIFY(marked() == QList<int>{15} && inSight(15));
        w.player->advanceTo(9999);
        QVERIFY(marked() == QList<int>{0} && inSight(0));

        // A double click on a row's time plays from two seconds before it.
        w.click(u"cmdPlay"_s);
        QTest::mouseDClick(w.field(1, 1), Qt::LeftButton);
        QCOMPARE(w.player->seeks.last(), 8000);
        QVERIFY(w.player->isPlaying);
    }
};

int runKaraokePlayerTests(int argc, char **argv)
{
    TestKaraokePlayer tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_karaokeplayer.moc"
