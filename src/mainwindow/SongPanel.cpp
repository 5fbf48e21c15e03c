#include "mainwindow/SongPanel.h"

#include "app/AppState.h"
#include "app/SongSelection.h"
#include "library/LibraryTree.h"
#include "library/LyricsInfo.h"
#include "app/MainLayout.h"
#include "platform/Platform.h"
#include "text/TextFile.h"
#include "widgets/DesignFonts.h"
#include "widgets/LinedLabel.h"
#include "widgets/Readability.h"
#include "widgets/SpokenLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {
const QString kNoPageInfo = u"No page information found"_s;
// What the lyrics box says while no song is shown.
const QString kNoSongHint = u"Select a song to see its lyrics"_s;
constexpr double kMegabyte = 1024.0 * 1024.0;
} // namespace

SongPanel::SongPanel(AppState &appState, Platform &desktop, QWidget &window)
    : QObject(&window), state(appState), platform(desktop)
{
    LblSong = new SpokenLabel(&window);
    LblSong->setObjectName(u"LblSong"_s);
    LblSong->setFont(DesignFonts::heading());
    LblSong->setAutoFillBackground(true);
    LblSong->setForegroundRole(QPalette::HighlightedText);
    LblSong->setBackgroundRole(QPalette::Mid);
    LblSong->setTextInteractionFlags(Qt::TextSelectableByMouse);

    picInfo = new QWidget(&window);
    picInfo->setObjectName(u"picInfo"_s);
    picInfo->setAccessibleName(u"Song information"_s);
    const QFont info = DesignFonts::info();
    lblInfoTitles = new LinedLabel(picInfo);
    lblInfoTitles->setLinePitch(Twips::toPixels(MainLayout::InfoLinePitch));
    lblInfoTitles->setObjectName(u"lblInfoTitles"_s);
    lblInfoTitles->setFont(info);
    lblInfoTitles->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblInfoTitles->setGeometry(MainLayout::InfoTitles.pixels());

    struct ValueLabel
    {
        QLabel **label;
        const char16_t *name;
        const char16_t *title; // its line of lblInfoTitles, said with the value
        double left;
    };
    const ValueLabel values[] = {
        {&lblArtist, u"lblArtist", u"Artist", 720},       {&lblSong2, u"lblSong2", u"Song", 720},
        {&lblKaraoke, u"lblKaraoke", u"Karaoke", 960},    {&lblWebsite, u"lblWebsite", u"Website", 960},
        {&lblBrowser, u"lblBrowser", u"Downloaded from", 1710}, {&lblFilter, u"lblFilter", u"Filter", 720},
    };
    double top = 0;
    for (const ValueLabel &v : values) {
        auto *label = new SpokenLabel(picInfo);
        label->setObjectName(QString::fromUtf16(v.name));
        label->setSpokenTitle(QString::fromUtf16(v.title));
        label->setFont(info);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->move(Twips::toPixels(v.left), Twips::toPixels(top));
        label->setFixedHeight(Twips::toPixels(MainLayout::InfoLinePitch));
        *v.label = label;
        top += MainLayout::InfoLinePitch;
    }

    lyrics = new QPlainTextEdit(&window);
    lyrics->setObjectName(u"lyrics"_s);
    lyrics->setAccessibleName(u"Lyrics"_s);
    lyrics->setFont(info);
    lyrics->setPlaceholderText(kNoSongHint);
    setEditable(false);
    lyrics->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    picDiskChange = new QWidget(&window);
    picDiskChange->setObjectName(u"picDiskChange"_s);
    picDiskChange->setAutoFillBackground(true);
    picDiskChange->setBackgroundRole(QPalette::ToolTipBase);
    auto *row = new QHBoxLayout(picDiskChange);
    row->setContentsMargins(6, 1, 2, 1);
    lblDiskChange = new QLabel(picDiskChange);
    lblDiskChange->setObjectName(u"lblDiskChange"_s);
    lblDiskChange->setForegroundRole(QPalette::ToolTipText);
    cmdReload = new QPushButton(u"Reload"_s, picDiskChange);
    cmdReload->setObjectName(u"cmdReload"_s);
    cmdReload->setToolTip(u"Show the file as it is on disk now; what was typed is dropped"_s);
    cmdKeep = new QPushButton(u"Keep my text"_s, picDiskChange);
    cmdKeep->setObjectName(u"cmdKeepMyText"_s);
    cmdKeep->setToolTip(u"Go on editing; saving writes this text over the file"_s);
    row->addWidget(lblDiskChange, 1);
    row->addWidget(cmdReload);
    row->addWidget(cmdKeep);
    picDiskChange->hide();
    connect(cmdReload, &QPushButton::clicked, this, &SongPanel::reloadChosen);
    connect(cmdKeep, &QPushButton::clicked, this, &SongPanel::keepChosen);
}

void SongPanel::showDiskChange(const QString &message, bool reloadable)
{
    lblDiskChange->setText(message);
    cmdReload->setVisible(reloadable);
    picDiskChange->show();
}

void SongPanel::hideDiskChange()
{
    picDiskChange->hide();
}

bool SongPanel::diskChangeShown() const
{
    return picDiskChange->isVisibleTo(picDiskChange->parentWidget());
}

void SongPanel::applyLayout(const MainLayout &l)
{
    LblSong->setGeometry(l.LblSong.pixels());
    picInfo->setGeometry(l.picInfo.pixels());
    lyrics->setGeometry(l.lyricsShown().pixels());
    picDiskChange->setGeometry(l.diskBar().pixels());
}

void SongPanel::applyColours()
{
    Readability::apply(LblSong, QPalette::HighlightedText, QPalette::Mid);
}

void SongPanel::setValue(QLabel *label, const QString &text)
{
    label->setText(text);
    label->adjustSize();
}

void SongPanel::clearSong()
{
    for (QLabel *label : {lblArtist, lblSong2, lblKaraoke, lblWebsite, lblBrowser, lblFilter})
        setValue(label, QString());
    lyrics->clear();
    lyrics->setExtraSelections({});
    lyrics->setPlaceholderText(kNoSongHint);
    wholeFileShown = false;
}

void SongPanel::showArtist(const LibraryNode &artist)
{
    LblSong->setText(u" "_s + artist.Text);
    lblInfoTitles->setText(u" %1 lyrics avaliable"_s.arg(artist.Children.size()));
    clearSong();
    shownArtist = artist.Key.toString();
}

void SongPanel::showNothing()
{
    LblSong->clear();
    lblInfoTitles->clear();
    clearSong();
    shownArtist.clear();
}

void SongPanel::showSongHeading()
{
    // An empty file shows as empty, not as the hint to pick a song.
    lyrics->setPlaceholderText(QString());
    shownArtist.clear();
    LblSong->setText(u" "_s + selectedEntry(state));
    lblInfoTitles->setText(u"Artist:\nSong:\nKaraoke:\nWebsite:\nDownloaded from:\nFilter:"_s);
}

LyricsInfo SongPanel::ShowLyrics()
{
    const WholeFile file = readWholeFile(state.SelectedPath);
    if (file.status == WholeFile::TooLarge) {
        platform.showMessage(u"This lyrics file is too large to show: %1 MB (up to %2 MB can be shown)\n\n%3"_s
                                 .arg(QString::number(double(file.size) / kMegabyte, 'f', 0),
                                      QString::number(double(WholeFileLimit) / kMegabyte, 'f', 0),
                                      state.SelectedPath),
                             ProgramTitle, MessageIcon::Stop);
    } else if (file.status != WholeFile::Read) {
        platform.showMessage(u"File wasn't found"_s, ProgramTitle, MessageIcon::Stop);
    }
    wholeFileShown = file.status == WholeFile::Read;
    const QString text = decodeText(file.bytes);
    // The box shows line breaks; the file's CR LF pairs come back on saving.
    QString shown = text;
    shown.replace(u"\r\n"_s, u"\n"_s);
    lyrics->setPlainText(shown);
    lyrics->setExtraSelections({});

    setValue(lblArtist, state.SelectedArtist);
    setValue(lblSong2, state.SelectedSong);
    setValue(lblKaraoke, state.HasTimestamps ? u"Timestamps found"_s
                                             : u"No timestamps found. Download or create them yourself"_s);

    const LyricsInfo info = parseLyrics(text);
    if (info.HasSource) {
        state.PageUrl = info.PageUrl;
        state.SiteName = info.SiteName;
        setValue(lblWebsite, state.SiteName);
        setValue(lblBrowser, state.PageUrl);
    } else {
        setValue(lblWebsite, kNoPageInfo);
        setValue(lblBrowser, kNoPageInfo);
    }
    setValue(lblFilter, info.FilterUsed ? u"Used"_s : u"Not Used"_s);
    return info;
}

void SongPanel::showLine(int line)
{
    const QTextBlock block = lyrics->document()->findBlockByNumber(line - 1);
    if (line < 1 || !block.isValid())
        return;
    QTextCursor cursor(block);
    lyrics->setTextCursor(cursor);
    lyrics->centerCursor();
    QTextEdit::ExtraSelection mark;
    mark.cursor = cursor;
    mark.format.setBackground(lyrics->palette().color(QPalette::Highlight));
    mark.format.setForeground(lyrics->palette().color(QPalette::HighlightedText));
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    lyrics->setExtraSelections({mark});
}

void SongPanel::setEditable(bool editable)
{
    lyrics->setReadOnly(!editable);
    // Read-only, the text can still be reached, scrolled and copied with
    // the keyboard.
    if (!editable)
        lyrics->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lyrics->setFocusPolicy(Qt::StrongFocus);
}

bool SongPanel::isEditable() const
{
    return !lyrics->isReadOnly();
}

QString SongPanel::editedText() const
{
    // The raw text keeps no-break spaces, which the plain-text view would
    // turn into spaces; paragraph ends become the file's CR LF again.
    QString text = lyrics->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u"\r\n"_s);
    text.replace(QChar::LineSeparator, u"\r\n"_s);
    return text;
}
