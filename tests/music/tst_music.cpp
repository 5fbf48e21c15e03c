// The Music window through the user's hand: Ctrl+M, rows clicked where they
// are drawn, its own buttons; what the files hold afterwards read by
// mutagen, their audio by ffmpeg.

#include "music/MusicFixture.h"

#include "lists/ListsModel.h"
#include "music/MusicReader.h"

#include <QApplication>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kSongFile = "First line, \xe9t\xe9\r\nSecond line\r\n\r\n* Downloaded from: http://example.com/x\r\n"
                             "[Wordhive] filter used\r\n";
const QString kLyrics = u"First line, \u00e9t\u00e9\nSecond line"_s;

} // namespace

class TestMusic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every format's convention, names that differ from the cache's in
    // accents, case and the characters a file name cannot hold: matched,
    // written, read back by a player, audio untouched.
    void putLyricsIntoEveryFormat()
    {
        MusicMachine m;
        struct Track
        {
            QString kind, file, artist, title, song;
        };
        const QList<Track> tracks = {
            {u"mp3v23"_s, u"a/night.mp3"_s, u"Kestrel Road"_s, u"Night Bus - Live"_s, u"K/Kestrel Road - Night Bus - Live.txt"_s},
            {u"mp3v24"_s, u"b/halo.mp3"_s, u"Beyonc\u00e9"_s, u"Halo"_s, u"B/Beyonce - Halo.txt"_s},
            {u"flac"_s, u"c/who.flac"_s, u"AC/DC"_s, u"Who?"_s, u"A/ACDC - Who.txt"_s},
            {u"ogg"_s, u"d/boat.ogg"_s, u"THE TIDEMILLS"_s, u"boat"_s, u"T/The Tidemills - Boat.txt"_s},
            {u"opus"_s, u"e/ete.opus"_s, u"\u00c9mile"_s, u"\u00c9t\u00e9"_s, u"E/Emile - Ete.txt"_s},
            {u"m4a"_s, u"f/stone.m4a"_s, u"Pumice Choir"_s, u"Floating Stone"_s, u"P/Pumice Choir - Floating Stone.txt"_s},
        };
        QMap<QString, QString> digests;
        for (const Track &t : tracks) {
            QVERIFY2(MusicFiles::make(t.kind, m.track(t.file), t.artist, t.title, t.kind == u"m4a" ? u"Old words"_s : QString()),
                     qPrintable(t.kind));
            m.lyrics.song(t.song.left(1), t.song.mid(2), kSongFile);
            digests[t.file] = MusicFiles::audioDigest(m.track(t.file));
        }
        QVERIFY(MusicFiles::make(u"mp3"_s, m.track(u"Unknown Band - Lost Song.mp3"_s), {}, {}));
        // Two songs for one track: the one named as the track is taken.
        m.lyrics.song(u"B"_s, u"Beyoncé - Halo.txt"_s, kSongFile);
        m.start();
        QVERIFY(m.openMusic());
        QCOMPARE(m.summary(), u"7 music files: 6 with lyrics in the cache, 1 without; 1 holds lyrics in the file."_s);
        QCOMPARE(m.rows(u"Music without lyrics"_s), QStringList{u"Unknown Band - Lost Song"_s});
        QCOMPARE(m.rows(u"Music with lyrics"_s).size(), 6);
        QVERIFY(m.rows(u"Music with lyrics"_s).contains(
            u"Beyoncé - Halo — no lyrics in the file (2 songs could match; this is Beyoncé - Halo.txt)"_s));

        // Nothing selected: every file without lyrics; then the one that has some is asked about.
        m.platform.answers = {MessageAnswer::Yes};
        QVERIFY(m.putLyrics());
        QCOMPARE(m.platform.messages[m.platform.messages.size() - 2].text, u"Put lyrics into 5 music files?"_s);
        QCOMPARE(m.lastMessage(), u"Lyrics put into 5 music files."_s);
        // Now the m4a alone, selected, replacing what it held.
        QVERIFY(m.clickRow(u"Music with lyrics"_s, u"Pumice Choir"_s));
        m.platform.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
        QVERIFY(m.putLyrics());
        QVERIFY(m.platform.messages[m.platform.messages.size() - 2].text.startsWith(u"1 of these music files holds lyrics"_s));
        QCOMPARE(m.lastMessage(), u"Lyrics put into 1 music file."_s);

        for (const Track &t : tracks) {
            const QString read = MusicFiles::playerLyrics(m.track(t.file));
            QVERIFY2(read.endsWith(kLyrics), qPrintable(t.kind + u": "_s + read));
            QCOMPARE(MusicFiles::audioDigest(m.track(t.file)), digests[t.file]);
        }
        // The MP3s keep their versions, one frame each, in the language "eng";
        // ID3v2.3 in UTF-16 (encoding 1), ID3v2.4 in UTF-8 (3).
        QVERIFY(MusicFiles::playerLyrics(m.track(u"a/night.mp3"_s)).startsWith(u"v2.3 b'eng' 1 1\n"_s));
        QVERIFY(MusicFiles::playerLyrics(m.track(u"b/halo.mp3"_s)).startsWith(u"v2.4 b'eng' 1 3\n"_s));
        QTRY_COMPARE(m.summary(), u"7 music files: 6 with lyrics in the cache, 1 without; 6 hold lyrics in the file."_s);
    }

    // Marking for download, opening a track's song, and the lists following
    // the disk and the cache.
    void marksOpensAndFollows()
    {
        MusicMachine m;
        m.lyrics.song(u"K"_s, u"Kestrel Road - Night Bus.txt"_s, kSongFile);
        QVERIFY(MusicFiles::make(u"ogg"_s, m.track(u"bus.ogg"_s), u"Kestrel Road"_s, u"Night Bus"_s));
        QVERIFY(MusicFiles::make(u"mp3"_s, m.track(u"Lumen Pike - Glow.mp3"_s), {}, {}));
        QVERIFY(MusicFiles::make(u"mp3"_s, m.track(u"Ketterly Yards - Freight.mp3"_s), {}, {}));
        m.start();
        QVERIFY(m.openMusic());
        QCOMPARE(m.rows(u"Music without lyrics"_s), (QStringList{u"Ketterly Yards - Freight"_s, u"Lumen Pike - Glow"_s}));

        QVERIFY(m.clickRow(u"Music without lyrics"_s, u"Lumen Pike"_s));
        m.press(u"cmdMarkDownload"_s);
        QCOMPARE(m.program->lists().entries(ListsModel::Which::Redownload), QStringList{u"Lumen Pike - Glow"_s});
        QCOMPARE(LibraryBuilder::bytes(m.programFolder + u"/redownload.txt"_s), QByteArray("Lumen Pike - Glow\r\n"));
        // Again with nothing selected: the other one, not the first twice.
        QTest::keyClick(m.list(u"Music without lyrics"_s), Qt::Key_Space, Qt::ControlModifier);
        m.press(u"cmdMarkDownload"_s);
        QCOMPARE(m.program->lists().entries(ListsModel::Which::Redownload),
                 (QStringList{u"Ketterly Yards - Freight"_s, u"Lumen Pike - Glow"_s}));

        QVERIFY(m.clickRow(u"Music with lyrics"_s, u"Kestrel Road - Night Bus"_s, {}, true));
        QCOMPARE(m.program->state().SelectedPath, m.lyrics.cachePath() + u"K/Kestrel Road - Night Bus.txt"_s);
        QCOMPARE(m.library().musicFileForSong(u"K/Kestrel Road - Night Bus.txt"_s), m.track(u"bus.ogg"_s));

        // A song that comes into the cache takes its track over; a track
        // that comes into the folder shows; one retagged in place moves.
        m.lyrics.song(u"L"_s, u"Lumen Pike - Glow.txt"_s, kSongFile);
        QTRY_VERIFY_WITH_TIMEOUT(m.rows(u"Music with lyrics"_s).join(u'|').contains(u"Lumen Pike - Glow"_s), 10000);
        QVERIFY(MusicFiles::make(u"flac"_s, m.track(u"new/n.flac"_s), u"New Band"_s, u"New Song"_s));
        QTRY_VERIFY_WITH_TIMEOUT(m.rows(u"Music without lyrics"_s).contains(u"New Band - New Song"_s), 10000);
        QVERIFY(MusicFiles::run(u"metaflac"_s, {u"--remove-tag=TITLE"_s, u"--set-tag=TITLE=Night Bus"_s,
                                                u"--remove-tag=ARTIST"_s, u"--set-tag=ARTIST=Kestrel Road"_s,
                                                m.track(u"new/n.flac"_s)}).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!m.rows(u"Music without lyrics"_s).contains(u"New Band - New Song"_s), 10000);
        // Two tracks may have one song.
        QCOMPARE(m.rows(u"Music with lyrics"_s).filter(u"Kestrel Road - Night Bus"_s).size(), 2);
    }

    // Damaged, vanishing and looping files: each told in the summaries, none
    // changed but the one that could be written.
    void faultsLeaveFilesWhole()
    {
        MusicMachine m;
        for (const QString &name : {u"Cut Band - Cut"_s, u"Zero Band - Nothing"_s, u"Gone Band - Away"_s,
                                   u"Broken Band - Header"_s})
            m.lyrics.song(name.left(1), name + u".txt"_s, kSongFile);
        QVERIFY(MusicFiles::make(u"mp3v23"_s, m.track(u"cut.mp3"_s), u"Cut Band"_s, u"Cut"_s));
        QFile cut(m.track(u"cut.mp3"_s));
        QVERIFY(cut.resize(cut.size() / 2));
        const QString cutDigest = MusicFiles::audioDigest(cut.fileName());
        QFile zero(m.track(u"Zero Band - Nothing.mp3"_s));
        QVERIFY(zero.open(QIODevice::WriteOnly));
        zero.close();
        QVERIFY(MusicFiles::make(u"flac"_s, m.track(u"gone.flac"_s), u"Gone Band"_s, u"Away"_s));
        QVERIFY(MusicFiles::make(u"flac"_s, m.track(u"broken.flac"_s), u"Broken Band"_s, u"Header"_s));
        QFile broken(m.track(u"broken.flac"_s));
        QVERIFY(broken.open(QIODevice::ReadWrite));
        broken.seek(4);
        broken.write("ÿÿÿ");
        broken.close();
        const QByteArray brokenBytes = LibraryBuilder::bytes(broken.fileName());
        QVERIFY(QFile::link(m.music, m.track(u"loop"_s)));
        m.start();
        QVERIFY(m.openMusic());
        QCOMPARE(m.summary(), u"3 music files: 3 with lyrics in the cache, 0 without; 0 hold lyrics in the file. "
                              u"Skipped: 1 file that is not readable music, 1 folder reached again through a link."_s);
        // The file goes while the user is asked.
        m.platform.onEvent = [&m](const QString &line) {
            if (line.startsWith(u"message Put lyrics"_s))
                QFile::remove(m.track(u"gone.flac"_s));
        };
        m.platform.answers = {MessageAnswer::Yes};
        QVERIFY(m.putLyrics());
        QCOMPARE(m.lastMessage(), u"Lyrics put into 1 music file.\n\nFailed, each file left as it was:\n"
                                  u"   Gone Band - Away (%1): the file is no longer there\n"
                                  u"   Zero Band - Nothing (%2): no MPEG audio frames were found; "
                                  u"the file was left as it was"_s.arg(m.track(u"gone.flac"_s), zero.fileName()));
        QCOMPARE(m.platform.messages.last().icon, MessageIcon::Exclamation);
        QVERIFY(MusicFiles::playerLyrics(cut.fileName()).endsWith(kLyrics));
        QCOMPARE(MusicFiles::audioDigest(cut.fileName()), cutDigest);
        QCOMPARE(QFileInfo(zero.fileName()).size(), 0);
        QCOMPARE(LibraryBuilder::bytes(broken.fileName()), brokenBytes);
        QCOMPARE(QDir(m.music).entryList(QDir::Hidden | QDir::Files).filter(u".part"_s), QStringList());
    }

    // A second start reads only what changed; a copy left by a killed
    // program is removed, one a running writer holds is not.
    void cacheAndLeftovers()
    {
        QTemporaryDir dir;
        const QString music = dir.filePath(u"music"_s);
        const QString cache = dir.filePath(u"music.sqlite"_s);
        QVERIFY(MusicFiles::make(u"opus"_s, music + u"/one.opus"_s, u"A"_s, u"One"_s));
        QVERIFY(MusicFiles::make(u"flac"_s, music + u"/two.flac"_s, u"A"_s, u"Two"_s));
        QFile left(music + u"/.stanzabox-lyrics-abc123.part"_s);
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.close();
        auto pass = [&] {
            MusicReader reader(cache);
            QSignalSpy done(&reader, &MusicReader::readFinished);
            reader.read(music);
            return done.wait(30000) ? done.first().first().value<MusicReadReportPtr>() : MusicReadReportPtr();
        };
        MusicReadReportPtr first = pass();
        QVERIFY(first);
        QCOMPARE(first->ReadNow, 2);
        QCOMPARE(first->LeftoversRemoved, 1);
        QVERIFY(!left.exists());
        MusicReadReportPtr second = pass();
        QCOMPARE(second->ReadNow, 0);
        QCOMPARE(second->Tracks.size(), size_t(2));
        QVERIFY(MusicFiles::run(u"metaflac"_s, {u"--set-tag=TITLE=Deux"_s, music + u"/two.flac"_s}).isEmpty());
        MusicReadReportPtr third = pass();
        QCOMPARE(third->ReadNow, 1);
    }
};

int runMusicTests(int argc, char **argv)
{
    TestMusic t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_music.moc"
