// frmMain: the toolbar's commands on the selected song and the library.

#include "mainwindow/frmMain.h"

#include "app/AppState.h"
#include "app/ImageList.h"
#include "app/WebPage.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "library/LibraryTreeModel.h"
#include "library/SearchFilter.h"
#include "library/SongNames.h"
#include "lists/ListsModel.h"
#include "mainwindow/LibraryTreeView.h"
#include "platform/Platform.h"
#include "text/Cp1252.h"
#include "text/TextFile.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {

const QString kTitle = u"Wordhive Stanzabox"_s;

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// The characters of text the 8-bit code page has no byte for, each once.
QString unencodableCharacters(const QString &text)
{
    QString found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, length);
        if (!Cp1252::canEncode(c) && !found.contains(c))
            found += c + u' ';
        i += length - 1;
    }
    return found.trimmed();
}

} // namespace

void frmMain::tlbMain_ButtonClick(const QString &key)
{
    if (key == u"Edit")
        Edit_Click();
    else if (key == u"Delete")
        Delete_Click();
    else if (key == u"Lists")
        Q_EMIT listsWindowRequested();
    else if (key == u"MarkRedownload")
        MarkRedownload_Click();
    else if (key == u"OpenInBrowser")
        OpenWebPage(platform, state.PageUrl);
    else if (key == u"VisitSite")
        OpenWebPage(platform, u"http://"_s + state.SiteName);
    else if (key == u"SearchKaraoke")
        OpenWebPage(platform, karaokeSearchAddress(vendorSite(platform), state.SelectedArtist,
                                                   state.SelectedSong));
    else if (key == u"Help")
        OpenWebPage(platform, helpAddress(vendorSite(platform)));
    else if (key == u"JoinLyrics")
        JoinLyrics_Click();
}

void frmMain::tlbMain_ButtonMenuClick(const QString &key)
{
    if (key == u"MR")
        state.RedownloadListActive = true;
    else if (key == u"DI")
        state.RedownloadListActive = false;
    else
        return;
    Q_EMIT listsWindowRequested();
}

QString frmMain::lyricsBoxText() const
{
    // The raw text keeps no-break spaces, which the plain-text view would
    // turn into spaces; paragraph ends become the file's CR LF again.
    QString text = lyrics->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u"\r\n"_s);
    text.replace(QChar::LineSeparator, u"\r\n"_s);
    return text;
}

void frmMain::Edit_Click()
{
    QAction *edit = toolbarButton(Edit);
    const bool leaving = !edit->isChecked() && !lyrics->isReadOnly();
    // A song whose file is gone cannot be edited; text already typed is
    // still saved, the file made again.
    if (!leaving && !fileExists(state.SelectedPath)) {
        platform.beep();
        edit->setChecked(false);
        return;
    }
    if (edit->isChecked()) {
        edit->setIcon(ImageList::icon(8));
        setLyricsEditable(true);
        return;
    }
    const QString text = lyricsBoxText() + u"\r\n"_s;
    const WriteResult written = writeTextFile(state.SelectedPath, text);
    if (written != WriteResult::Written) {
        // The text stays in the box, still editable, until it can be saved.
        QString message = u"Couldn't save the lyrics file"_s;
        if (written == WriteResult::Unencodable)
            message += u"\n\nThe file cannot hold these characters: "_s + unencodableCharacters(text);
        platform.showMessage(message, kTitle, MessageIcon::Stop);
        edit->setChecked(true);
        return;
    }
    edit->setIcon(ImageList::icon(1));
    setLyricsEditable(false);
}

void frmMain::Delete_Click()
{
    // The command's target, taken once: what the tree does while the song
    // leaves it must not change which song this is.
    const QString path = state.SelectedPath;
    const QString entry = state.SelectedArtist + u" - "_s + state.SelectedSong;
    if (!fileExists(path)) {
        platform.beep();
        return;
    }
    // The file goes first; the tree, the counts and the list follow only
    // when it is gone.
    const TrashResult trashed = platform.moveToTrash(path);
    bool gone = trashed.status == TrashResult::Trashed;
    if (trashed.status == TrashResult::NoTrash) {
        if (platform.showMessage(u"The file cannot be moved to the trash. Delete it permanently?"_s, kTitle,
                                 MessageIcon::Exclamation, MessageButtons::YesNo) != MessageAnswer::Yes)
            return;
        gone = QFile::remove(path);
    }
    if (!gone) {
        platform.showMessage(u"Couldn't delete file. File was not found"_s, kTitle, MessageIcon::Stop);
        return;
    }

    --state.LyricsCount;
    if (KasFileExists(path))
        --state.TimestampsCount;
    lblCount->setText(countsCaption(state.LyricsCount, state.TimestampsCount));
    toolbarButton(Delete)->setEnabled(false);

    // The song's node by its key: a search or a rescan since the click may
    // have moved it to another position, or out of the tree.
    const QString songKey = path.mid(state.CachePath.size());
    int artistIndex = state.SelectedArtistIndex;
    if (LibraryNode *song = tree->find(songKey); song && !song->hasChildren()) {
        LibraryNode *artist = song->Parent;
        artistIndex = artist ? artist->Index : song->Index;
        if (artist && artist->Children.size() <= 1)
            tree->remove(artist);
        else
            tree->remove(song);
    }
    dropFromSnapshot(songKey);
    if (lblSearchResults->isVisible())
        lblSearchResults->setText(searchResultsCaption(countTree(*tree)));

    if (LibraryNode *next = tree->node(artistIndex)) {
        lista->setCurrentIndex(model->indexOf(next));
        lista_NodeClick(next);
    } else {
        // Nothing took the song's place: the panel must not go on showing
        // a song that is gone, with commands that would act on it.
        lista->setCurrentIndex(QModelIndex());
        showNothingSelected();
    }

    lists.insertAtTop(ListsModel::Which::Deleted, entry);
    if (state.LyricsCount == 0) {
        toolbarButton(JoinLyrics)->setEnabled(false);
        txtSearch->setEnabled(false);
    }
}

void frmMain::dropFromSnapshot(const QString &songKey)
{
    TreeNodeRecords &records = state.TreeSnapshot;
    const auto song = std::find_if(records.begin(), records.end(),
                                   [&](const TreeNodeRecord &r) { return r.IsLeaf && r.Key == songKey; });
    if (song == records.end())
        return;
    std::vector<int> gone{int(song - records.begin())};
    if (song->ParentRecord >= 0 && size_t(song->ParentRecord) < records.size()) {
        // An artist left without songs would come back as an empty node.
        TreeNodeRecord &artist = records[size_t(song->ParentRecord)];
        if (--artist.ChildCount <= 0)
            gone.insert(gone.begin(), song->ParentRecord);
    }
    // Later records move up; so do the artists they point to.
    auto shift = [&](int index) {
        return index - int(std::count_if(gone.begin(), gone.end(), [&](int g) { return g < index; }));
    };
    TreeNodeRecords kept;
    kept.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        if (std::find(gone.begin(), gone.end(), int(i)) != gone.end())
            continue;
        TreeNodeRecord r = std::move(records[i]);
        if (r.ParentRecord >= 0)
            r.ParentRecord = shift(r.ParentRecord);
        kept.push_back(std::move(r));
    }
    records.swap(kept);
}

void frmMain::MarkRedownload_Click()
{
    const QString entry = state.SelectedArtist + u" - "_s + state.SelectedSong;
    if (toolbarButton(MarkRedownload)->isChecked())
        lists.insertAtTop(ListsModel::Which::Redownload, entry);
    else
        lists.removeAll(ListsModel::Which::Redownload, entry);
}

void frmMain::releaseMarkRedownload()
{
    toolbarButton(MarkRedownload)->setChecked(false);
}
