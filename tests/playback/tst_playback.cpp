// The song played for real: a three-second file of each format, made by
// Debian's encoders, found in the music folder by the program and played by
// its own player (Qt Multimedia). Run by scripts/with-null-audio, so nothing is
// heard and no sound card or display is needed.

#include "music/MusicFixture.h"
#include "karaoke/KasFormat.h"
#include "mainwindow/clsKaraokeEdition.h"
#include "playback/SongPlayer.h"
#include "widgets/LibraryTreeView.h"
#include "widgets/VeskTimePicker.h"

#include <QApplication>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

// Whether Qt Multimedia is in this process: it comes with the player's
// module, on the first Play, and not before.
bool multimediaLoaded()
{
    QFile maps(u"/proc/self/maps"_s);
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Multimedia");
}

} // namespace

class TestPlayback : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void playsAndTaps_data()
    {
        QTest::addColumn<QString>("kind");
        // The MP3 at 22 kHz mono: GStreamer learns its length only after it can be sought in.
        for (const char *kind : {"mp3mono", "flac", "ogg", "opus", "m4a"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

    void playsAndTaps()
    {
        QFETCH(QString, kind);
        MusicMachine m;
        m.lyrics.song(u"K"_s, u"Kestrel Road - Night Bus.txt"_s)
            .file(u"K/Kestrel Road - Night Bus.kas"_s, EncodeStamp(0, 0, 0) + "A " + EncodeStamp(0, 2, 4) + "B ;x\r\n");
        const QString file = m.track(u"night."_s + QString(kind).replace(u"mp3mono"_s, u"mp3"_s));
        QVERIFY(MusicFiles::make(kind, file, u"Kestrel Road"_s, u"Night Bus"_s, {}, 3));
        m.start();
        frmMain *w = m.program->mainWindow();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));

        // The song chosen in the tree by its keys: the artist by its name, opened, its song.
        auto *tree = w->findChild<LibraryTreeView *>(u"lista"_s);
        tree->setFocus(Qt::MouseFocusReason);
        for (Qt::Key key : {Qt::Key_K, Qt::Key_Right, Qt::Key_Down})
            QTest::keyClick(tree, key);
        QCOMPARE(w->findChild<QLabel *>(u"LblSong"_s)->text().trimmed(), u"Kestrel Road - Night Bus"_s);

        // Once the music folder has been read and the file found, a double
        // click on the second row's time (0:02.4) plays from 0:00.4, the
        // file still opening when it is asked for.
        QTRY_VERIFY_WITH_TIMEOUT(w->findChild<QPushButton *>(u"cmdPlay"_s)->isEnabled(), 30000);
        static bool playedBefore = false;
        QVERIFY2(playedBefore || !multimediaLoaded(), "Qt Multimedia was loaded before the first Play");
        QTest::mouseDClick(w->karaokeEdition().row(1)->findChild<QLabel *>(u"myLabel1"_s), Qt::LeftButton);
        auto *player = w->findChild<SongPlayer *>(u"songPlayer"_s);
        QVERIFY(player);
        QVERIFY(multimediaLoaded());
        playedBefore = true;
        QSignalSpy told(player, &SongPlayer::positionChanged);
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 1000 && told.size() >= 3, 15000);
        for (const QList<QVariant> &at : std::as_const(told))
            QVERIFY2(at[0].toLongLong() >= 400, qPrintable(u"played from %1 ms"_s.arg(at[0].toLongLong())));
        VeskTimePicker *first = w->karaokeEdition().row(0);
        QTest::mouseClick(first->findChild<QLabel *>(u"myLabel1"_s), Qt::LeftButton);
        QTRY_VERIFY(w->findChild<QLabel *>(u"lblPosition"_s)->text() >= u"0:01.0"_s);

        // A tap lands on the step of where the song was at the key press.
        const qint64 before = player->position();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        const qint64 after = player->position();
        const qint64 stamp = (first->Minute() * 60 + first->Second()) * 1000 + first->Frame() * 100;
        QVERIFY2(stamp > before - 200 && stamp <= after,
                 qPrintable(u"stamp %1 ms, the song at %2..%3 ms"_s.arg(stamp).arg(before).arg(after)));
        QVERIFY(m.platform.messages.isEmpty());
    }
};

int main(int argc, char **argv)
{
    // Settings and caches of the test's own.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(u"data"_s)));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(u"cache"_s)));
    QApplication app(argc, argv);
    TestPlayback tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_playback.moc"
