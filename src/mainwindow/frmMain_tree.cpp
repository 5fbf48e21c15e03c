// frmMain: the library tree's events and the display of the selected song.

#include "mainwindow/frmMain.h"

#include "app/AppState.h"
#include "app/ImageList.h"
#include "app/SongSelection.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "library/LibraryTreeModel.h"
#include "library/LyricsInfo.h"
#include "lists/ListsModel.h"
#include "mainwindow/LibraryTreeView.h"
#include "mainwindow/LinedLabel.h"
#include "platform/Platform.h"
#include "text/TextFile.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

namespace {
const QString kNoPageInfo = u"No page information found"_s;
const QString kFilterMark = u"] filter used"_s;
const QString kFilterChecked = u"filterchecked"_s;
} // namespace

void frmMain::setValueLabel(QLabel *label, const QString &text)
{
    label->setText(text);
    label->adjustSize();
}

void frmMain::clearValueLabels()
{
    for (QLabel *label : {lblArtist, lblSong2, lblKaraoke, lblWebsite, lblBrowser, lblFilter})
        setValueLabel(label, QString());
}

void frmMain::lista_NodeClick(LibraryNode *node)
{
    if (!node)
        return;
    if (node->hasChildren())
        onArtistClick(node);
    else
        onSongClick(node);
    leaveEditMode();
}

void frmMain::leaveEditMode()
{
    // Every click leaves edit mode without writing anything.
    QAction *edit = toolbarButton(Edit);
    edit->setChecked(false);
    edit->setIcon(ImageList::icon(1));
    setLyricsEditable(false);
}

void frmMain::onArtistClick(LibraryNode *node)
{
    LblSong->setText(u" "_s + node->Text);
    lblInfoTitles->setText(u" %1 lyrics avaliable"_s.arg(node->Children.size()));
    if (lista->mouseIsDown()) {
        const QModelIndex index = model->indexOf(node);
        lista->setExpanded(index, !lista->isExpanded(index));
    }
    clearSongDisplay();
}

void frmMain::clearSongDisplay()
{
    clearValueLabels();
    state.SelectedPath.clear();
    for (int b : {Edit, Delete, MarkRedownload, OpenInBrowser, VisitSite, SearchKaraoke})
        toolbarButton(b)->setEnabled(false);
    toolbarButton(MarkRedownload)->setChecked(false);
    ShowKaraokeEditionFrame(false);
    lyrics->clear();
    lyrics->setPlaceholderText(NoSongHint);
}

void frmMain::showNothingSelected()
{
    LblSong->clear();
    lblInfoTitles->clear();
    clearSongDisplay();
    leaveEditMode();
}

void frmMain::onSongClick(LibraryNode *node)
{
    SelectSong(state, *node);
    // An empty file shows as empty, not as the hint to pick a song.
    lyrics->setPlaceholderText(QString());
    LblSong->setText(u" "_s + state.SelectedArtist + u" - "_s + state.SelectedSong);
    lblInfoTitles->setText(u"Artist:\nSong:\nKaraoke:\nWebsite:\nDownloaded from:\nFilter:"_s);
    ShowLyrics();
    for (int b : {Edit, Delete, MarkRedownload})
        toolbarButton(b)->setEnabled(true);
    toolbarButton(MarkRedownload)->setChecked(false);

    const QString entry = state.SelectedArtist + u" - "_s + state.SelectedSong;
    const QStringList &redownload = lists.entries(ListsModel::Which::Redownload);
    int matched = -1;
    for (int i = 0; i < redownload.size(); ++i) {
        if (redownload[i] == entry)
            matched = i;
    }
    if (matched >= 0) {
        toolbarButton(MarkRedownload)->setChecked(true);
        Q_EMIT redownloadEntryMatched(matched);
    }
    toolbarButton(SearchKaraoke)->setEnabled(true);
}

void frmMain::ShowLyrics()
{
    QString text;
    if (const std::optional<QString> read = readTextFile(state.SelectedPath)) {
        text = *read;
    } else {
        platform.showMessage(u"File wasn't found"_s, u"Wordhive Stanzabox"_s, MessageIcon::Stop);
    }
    // The box shows line breaks; the file's CR LF pairs come back on saving.
    QString shown = text;
    shown.replace(u"\r\n"_s, u"\n"_s);
    lyrics->setPlainText(shown);

    setValueLabel(lblArtist, state.SelectedArtist);
    setValueLabel(lblSong2, state.SelectedSong);

    if (state.HasTimestamps) {
        setValueLabel(lblKaraoke, u"Timestamps found"_s);
        LoadTimestamps();
    } else {
        setValueLabel(lblKaraoke, u"No timestamps found. Download or create them yourself"_s);
        ShowKaraokeEditionFrame(false);
    }

    const LyricsInfo info = parseLyrics(text);
    if (info.HasSource) {
        state.PageUrl = info.PageUrl;
        state.SiteName = info.SiteName;
        setValueLabel(lblWebsite, state.SiteName);
        setValueLabel(lblBrowser, state.PageUrl);
    } else {
        setValueLabel(lblWebsite, kNoPageInfo);
        setValueLabel(lblBrowser, kNoPageInfo);
    }
    toolbarButton(OpenInBrowser)->setEnabled(info.HasSource);
    toolbarButton(VisitSite)->setEnabled(info.HasSource);

    setValueLabel(lblFilter, info.FilterUsed ? u"Used"_s : u"Not Used"_s);
}

void frmMain::lista_Expand(LibraryNode *node)
{
    if (!node || node->Tag == kFilterChecked)
        return;
    tree->setTag(node, kFilterChecked);
    // The artist's own songs, wherever they stand in the collection. A file
    // that cannot be read keeps its song's picture.
    for (LibraryNode *song : node->Children) {
        if (song->Image == NodeImage::SongWithTimestamps)
            continue;
        const std::optional<QString> text = readTextFile(state.CachePath + song->Key);
        if (text && !text->contains(kFilterMark))
            tree->setImage(song, NodeImage::UnfilteredSong);
    }
}

void frmMain::lista_NodeCheck(LibraryNode *node)
{
    if (!node)
        return;
    for (LibraryNode *song : node->Children)
        tree->setChecked(song, node->Checked);
}

void frmMain::lista_KeyUp(int key)
{
    if (key != Qt::Key_F5)
        return;
    tree->clear();
    ScanLibrary();
    // A search in effect applies to the new tree too, so that the tree, the
    // results line and the search box agree.
    if (!LastSearchText.isEmpty())
        applySearch(LastSearchText);
}
