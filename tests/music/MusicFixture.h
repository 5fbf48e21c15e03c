#pragma once

// The program started on a lyrics cache and a music folder of real audio
// files made by Debian's encoders, tagged in each format's convention; the
// Music window opened with Ctrl+M and driven by clicks. What a player reads
// from a file (python3-mutagen) and the decoded audio's digest (ffmpeg) are
// told by programs that share nothing with Stanzabox.

#include "app/AppState.h"
#include "mainwindow/frmMain.h"
#include "music/MusicLibrary.h"
#include "musicwindow/frmMusic.h"
#include "startup/Main.h"
#include "support/FakePlatform.h"
#include "support/LibraryBuilder.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace MusicFiles {

inline QString run(const QString &program, const QStringList &arguments, bool *ok = nullptr)
{
    QProcess p;
    p.start(program, arguments);
    const bool done = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok)
        *ok = done;
    if (!done)
        qWarning("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A tone in every format, 0.4 s long unless told; kind: mp3v23, mp3v24, mp3
// (no tags), mp3mono (22 kHz mono, tagged as mp3v23), flac, ogg, opus, m4a.
// lyrics: what the file holds already (m4a, flac).
inline bool make(const QString &kind, const QString &path, const QString &artist, const QString &title,
                 const QString &lyrics = {}, double seconds = 0.4)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString wav = path + QStringLiteral(".wav");
    bool ok = false;
    const bool mono = kind == u"mp3mono";
    run(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QString::fromLatin1(mono ? "22050" : "44100"), QStringLiteral("-c"),
                                QString::fromLatin1(mono ? "1" : "2"), QStringLiteral("-b"), QStringLiteral("16"), wav, QStringLiteral("synth"),
                                QString::number(seconds), QStringLiteral("sine"), QStringLiteral("440")},
        &ok);
    if (!ok)
        return false;
    const QString a = QStringLiteral("ARTIST=") + artist;
    const QString t = QStringLiteral("TITLE=") + title;
    const QString l = QStringLiteral("LYRICS=") + lyrics;
    QStringList ff{QStringLiteral("-loglevel"), QStringLiteral("quiet"), QStringLiteral("-y"), QStringLiteral("-i"), wav};
    auto meta = [&](QStringList &args) {
        args << QStringLiteral("-metadata") << QStringLiteral("artist=") + artist << QStringLiteral("-metadata")
             << QStringLiteral("title=") + title;
        if (!lyrics.isEmpty())
            args << QStringLiteral("-metadata") << QStringLiteral("lyrics=") + lyrics;
    };
    if (kind == u"mp3v23" || mono)
        run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("--id3v2-only"), QStringLiteral("--id3v2-utf16"),
                                     QStringLiteral("--ta"), artist, QStringLiteral("--tt"), title, wav, path}, &ok);
    else if (kind == u"mp3")
        run(QStringLiteral("lame"), {QStringLiteral("--quiet"), wav, path}, &ok);
    else if (kind == u"mp3v24") {
        meta(ff);
        run(QStringLiteral("ffmpeg"), ff << QStringLiteral("-c:a") << QStringLiteral("libmp3lame") << QStringLiteral("-id3v2_version")
                                         << QStringLiteral("4") << path, &ok);
    } else if (kind == u"flac") {
        QStringList args{QStringLiteral("--silent"), QStringLiteral("-T"), a, QStringLiteral("-T"), t};
        if (!lyrics.isEmpty())
            args << QStringLiteral("-T") << l;
        run(QStringLiteral("flac"), args << wav << QStringLiteral("-o") << path, &ok);
    } else if (kind == u"ogg")
        run(QStringLiteral("oggenc"), {QStringLiteral("-Q"), QStringLiteral("-a"), artist, QStringLiteral("-t"), title, wav,
                                       QStringLiteral("-o"), path}, &ok);
    else if (kind == u"opus")
        run(QStringLiteral("opusenc"), {QStringLiteral("--quiet"), QStringLiteral("--artist"), artist, QStringLiteral("--title"),
                                        title, wav, path}, &ok);
    else if (kind == u"m4a") {
        meta(ff);
        run(QStringLiteral("ffmpeg"), ff << QStringLiteral("-c:a") << QStringLiteral("aac") << path, &ok);
    }
    QFile::remove(wav);
    return ok;
}

// What a player reads as the file's lyrics (for MP3 also the tag's version,
// the frame's language, the count of frames and their text encoding).
inline QString playerLyrics(const QString &path)
{
    return run(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral(STANZABOX_TESTS_DIR "/music/player-lyrics.py"), path});
}

// The decoded audio's MD5, as ffmpeg gives it.
inline QString audioDigest(const QString &path)
{
    return run(QStringLiteral("ffmpeg"), {QStringLiteral("-loglevel"), QStringLiteral("quiet"), QStringLiteral("-i"), path,
                                          QStringLiteral("-map"), QStringLiteral("0:a"), QStringLiteral("-f"),
                                          QStringLiteral("md5"), QStringLiteral("-")});
}

} // namespace MusicFiles

// The program on a cache of songs and a music folder.
struct MusicMachine
{
    QTemporaryDir dir;
    QString programFolder = dir.filePath(QStringLiteral("program"));
    LibraryBuilder lyrics{dir.filePath(QStringLiteral("lyrics"))};
    QString music = dir.filePath(QStringLiteral("music"));
    FakePlatform platform;
    std::unique_ptr<Main> program;

    MusicMachine()
    {
        QDir().mkpath(programFolder);
        QDir().mkpath(music);
        platform.folder = programFolder;
    }
    ~MusicMachine()
    {
        if (program && program->mainWindow())
            program->mainWindow()->close();
    }

    QString track(const QString &name) const { return music + u'/' + name; }

    void start()
    {
        program = std::make_unique<Main>(platform);
        program->keepMusicCacheIn(dir.filePath(QStringLiteral("music.sqlite")));
        StartOptions options;
        options.cacheFolder = lyrics.cachePath();
        options.musicFolder = music;
        program->run(options);
        QVERIFY(QTest::qWaitForWindowExposed(program->mainWindow()));
    }

    // Ctrl+M on the main window; the tracks read and matched.
    frmMusic *openMusic()
    {
        QTest::keyClick(program->mainWindow(), Qt::Key_M, Qt::ControlModifier);
        frmMusic *w = &program->musicWindow();
        if (!QTest::qWaitForWindowExposed(w))
            return nullptr;
        if (!QTest::qWaitFor([this] { return !library().reading() && library().report(); }, 30000))
            return nullptr;
        return w;
    }
    MusicLibrary &library() { return program->musicLibrary(); }
    template<typename T> T *in(const QString &name) { return program->musicWindow().findChild<T *>(name); }
    QListView *list(const QString &name) { return in<QListView>(name); }
    QString summary() { return in<QLabel>(QStringLiteral("lblSummary"))->text(); }
    QStringList rows(const QString &listName)
    {
        QStringList out;
        QAbstractItemModel *m = list(listName)->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, 0).data().toString();
        return out;
    }
    // Clicks the row that starts with text (Ctrl held to add it to the selection).
    bool clickRow(const QString &listName, const QString &text, Qt::KeyboardModifiers keys = {}, bool twice = false)
    {
        QListView *view = list(listName);
        const QStringList all = rows(listName);
        for (int r = 0; r < all.size(); ++r) {
            if (!all[r].startsWith(text))
                continue;
            const QModelIndex i = view->model()->index(r, 0);
            view->scrollTo(i);
            const QPoint at = view->visualRect(i).center();
            // A double click arrives as a click, then a second press as a double click.
            QTest::mouseClick(view->viewport(), Qt::LeftButton, keys, at);
            if (twice)
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, keys, at);
            return true;
        }
        return false;
    }
    void press(const QString &buttonName) { QTest::mouseClick(in<QPushButton>(buttonName), Qt::LeftButton); }
    // "Put lyrics into files" pressed and its batch done.
    bool putLyrics()
    {
        const qsizetype before = platform.messages.size();
        press(QStringLiteral("cmdPutLyrics"));
        return QTest::qWaitFor([&] {
            for (qsizetype i = before; i < platform.messages.size(); ++i) {
                if (platform.messages[i].text.startsWith(QStringLiteral("Lyrics put into")))
                    return !library().reading();
            }
            return false;
        }, 60000);
    }
    QString lastMessage() const { return platform.messages.isEmpty() ? QString() : platform.messages.last().text; }
};
