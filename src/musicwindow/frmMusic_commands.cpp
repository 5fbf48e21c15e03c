// The Music window's commands: marking music for download, and putting the
// songs' lyrics into the music files.

#include "musicwindow/frmMusic.h"

#include "app/AppState.h"
#include "lists/ListsModel.h"
#include "music/LyricsWriter.h"
#include "music/MusicLibrary.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// The summary names at most this many files of a kind.
constexpr qsizetype kNamedInSummary = 15;

QString number(qsizetype n)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(qint64(n));
}

QString filesCount(qsizetype n)
{
    return number(n) + (n == 1 ? u" music file"_s : u" music files"_s);
}

// A part of the summary: its heading and one line per file.
QString summaryPart(const QString &heading, const QStringList &lines)
{
    if (lines.isEmpty())
        return {};
    QString text = u"\n\n"_s + heading;
    for (qsizetype i = 0; i < lines.size() && i < kNamedInSummary; ++i)
        text += u"\n   "_s + lines[i];
    if (lines.size() > kNamedInSummary)
        text += u"\n   \u2026 and "_s + number(lines.size() - kNamedInSummary) + u" more"_s;
    return text;
}

} // namespace

void frmMusic::cmdMarkDownload_Click()
{
    const std::vector<int> chosen = chosenTracks(lstWithout, withoutTracks);
    const QStringList &marked = lists.entries(ListsModel::Which::Redownload);
    QStringList entries;
    for (int t : chosen) {
        const QString entry = library.tracks()[size_t(t)].entry();
        // Once in the list is enough for the downloader.
        if (!marked.contains(entry) && !entries.contains(entry))
            entries << entry;
    }
    lists.insertAtTop(ListsModel::Which::Redownload, entries);
    lblStatus->setText(entries.isEmpty() ? u"These songs are on the redownload list already."_s
                                         : number(entries.size()) + (entries.size() == 1 ? u" song"_s : u" songs"_s)
                           + u" marked for download: they are on the redownload list."_s);
}

void frmMusic::cmdPutLyrics_Click()
{
    if (library.writing())
        return;
    std::vector<int> chosen;
    if (lstWith->selectionModel()->hasSelection()) {
        chosen = chosenTracks(lstWith, withTracks);
    } else {
        for (int t : withTracks) {
            if (!library.tracks()[size_t(t)].HasLyrics)
                chosen.push_back(t);
        }
    }
    if (chosen.empty()) {
        platform.showMessage(u"Every music file with lyrics in the cache holds lyrics already."_s, ProgramTitle,
                             MessageIcon::Information);
        return;
    }
    if (platform.showMessage(u"Put lyrics into "_s + filesCount(qsizetype(chosen.size())) + u'?', ProgramTitle,
                             MessageIcon::Question, MessageButtons::YesNo)
        != MessageAnswer::Yes)
        return;
    qsizetype holding = 0;
    for (int t : chosen)
        holding += library.tracks()[size_t(t)].HasLyrics ? 1 : 0;
    bool replace = false;
    if (holding > 0) {
        const QString which = holding == 1 ? u"1 of these music files holds"_s
                                           : number(holding) + u" of these music files hold"_s;
        replace = platform.showMessage(which + u" lyrics already. Replace them with the lyrics of the cache?"_s,
                                       ProgramTitle, MessageIcon::Question, MessageButtons::YesNo)
            == MessageAnswer::Yes;
    }
    showWriting(true);
    prgWriting->setRange(0, int(chosen.size()));
    prgWriting->setValue(0);
    library.putLyrics(chosen, replace, state.CachePath);
}

void frmMusic::writeFinished(const LyricsBatchReport &report)
{
    showWriting(false);
    QStringList unchanged;
    QStringList failed;
    qsizetype written = 0;
    for (const LyricsJobResult &r : report.Results) {
        switch (LyricsWrite::Status(r.Status)) {
        case LyricsWrite::Status::Written:
            ++written;
            break;
        case LyricsWrite::Status::Unchanged:
            unchanged << r.Entry + u": "_s + r.Reason;
            break;
        case LyricsWrite::Status::Failed:
            failed << r.Entry + u" ("_s + r.Path + u"): "_s + r.Reason;
            break;
        }
    }
    QString text = u"Lyrics put into "_s + filesCount(written) + u'.';
    if (report.Cancelled)
        text += u" Cancelled before the rest."_s;
    text += summaryPart(u"Unchanged:"_s, unchanged);
    text += summaryPart(u"Failed, each file left as it was:"_s, failed);
    lblStatus->setText(u"Lyrics put into "_s + filesCount(written) + u"; "_s + number(unchanged.size())
                       + u" unchanged, "_s + number(failed.size()) + u" failed."_s);
    platform.showMessage(text, ProgramTitle, failed.isEmpty() ? MessageIcon::Information : MessageIcon::Exclamation);
}
