#include "musicwindow/frmMusic.h"

#include "app/AppState.h"
#include "app/MusicFolder.h"
#include "music/MusicLibrary.h"
#include "platform/Platform.h"
#include "widgets/Accessibility.h"
#include "widgets/ImageList.h"

#include <QAccessible>
#include <QDir>
#include <QHBoxLayout>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QStringListModel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString number(qsizetype n)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(qint64(n));
}

// "1 file", "2 files".
QString counted(qsizetype n, const QString &one, const QString &many)
{
    return number(n) + u' ' + (n == 1 ? one : many);
}

QListView *makeList(const QString &name, QStringListModel *rows, QWidget *parent)
{
    auto *view = new QListView(parent);
    view->setObjectName(name);
    view->setAccessibleName(name);
    view->setModel(rows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformItemSizes(true);
    return view;
}

QPushButton *makeButton(const QString &caption, const QString &objectName, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    return button;
}

} // namespace

frmMusic::frmMusic(const AppState &appState, Platform &desktop, ListsModel &listsModel, MusicLibrary &music,
                   QWidget *parent)
    : QWidget(parent, Qt::Window), state(appState), platform(desktop), lists(listsModel), library(music)
{
    Accessibility::install();
    setObjectName(u"frmMusic"_s);
    setWindowTitle(u"Music"_s);
    setWindowIcon(ImageList::picture(u"music"_s));
    createControls();
    resize(820, 520);

    connect(&library, &MusicLibrary::changed, this, &frmMusic::showLibrary);
    connect(&library, &MusicLibrary::readProgress, this, [this](int done, int total) {
        readProgressText = u"Reading the music files' tags: "_s + number(done) + u" of "_s + number(total)
            + u"\u2026"_s;
        showSummary();
    });
    connect(&library, &MusicLibrary::writeProgress, this, [this](int done, int total, const QString &entry) {
        prgWriting->setRange(0, total);
        prgWriting->setValue(done);
        lblStatus->setText(u"Putting lyrics into "_s + entry + u" ("_s + number(done + 1) + u" of "_s
                           + number(total) + u")"_s);
    });
    connect(&library, &MusicLibrary::writeFinished, this, &frmMusic::writeFinished);
    showLibrary();
}

frmMusic::~frmMusic() = default;

void frmMusic::createControls()
{
    lblFolder = new QLabel(this);
    lblFolder->setObjectName(u"lblMusicFolder"_s);
    lblFolder->setTextFormat(Qt::PlainText);
    cmdChooseFolder = makeButton(u"Choose music folder\u2026"_s, u"cmdChooseFolder"_s, this);
    connect(cmdChooseFolder, &QPushButton::clicked, this, &frmMusic::cmdChooseFolder_Click);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(u"lblSummary"_s);
    lblSummary->setAccessibleName(u"Music summary"_s);
    lblSummary->setTextFormat(Qt::PlainText);
    lblSummary->setWordWrap(true);

    withoutRows = new QStringListModel(this);
    withRows = new QStringListModel(this);
    lstWithout = makeList(u"Music without lyrics"_s, withoutRows, this);
    lstWith = makeList(u"Music with lyrics"_s, withRows, this);
    connect(lstWith, &QListView::activated, this, &frmMusic::lstWith_Activated);
    cmdMarkDownload = makeButton(u"Mark for download"_s, u"cmdMarkDownload"_s, this);
    cmdMarkDownload->setToolTip(u"Put the selected music (all of it, with none selected) on the redownload list"_s);
    connect(cmdMarkDownload, &QPushButton::clicked, this, &frmMusic::cmdMarkDownload_Click);
    cmdPutLyrics = makeButton(u"Put lyrics into files"_s, u"cmdPutLyrics"_s, this);
    cmdPutLyrics->setToolTip(
        u"Write the songs' lyrics into the selected music files (every file without lyrics, with none selected)"_s);
    connect(cmdPutLyrics, &QPushButton::clicked, this, &frmMusic::cmdPutLyrics_Click);

    prgWriting = new QProgressBar(this);
    prgWriting->setObjectName(u"prgWriting"_s);
    prgWriting->setAccessibleName(u"Writing lyrics"_s);
    cmdCancel = makeButton(u"Cancel"_s, u"cmdCancel"_s, this);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        library.cancelWriting();
        cmdCancel->setEnabled(false);
    });
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(u"lblStatus"_s);
    lblStatus->setTextFormat(Qt::PlainText);

    auto *top = new QHBoxLayout;
    top->addWidget(lblFolder, 1);
    top->addWidget(cmdChooseFolder);
    auto *columns = new QHBoxLayout;
    for (auto [view, button] : {std::pair{lstWithout, cmdMarkDownload}, std::pair{lstWith, cmdPutLyrics}}) {
        auto *column = new QVBoxLayout;
        auto *caption = new QLabel(view->accessibleName() + u':', this);
        caption->setBuddy(view);
        column->addWidget(caption);
        column->addWidget(view, 1);
        auto *row = new QHBoxLayout;
        row->addWidget(button);
        row->addStretch(1);
        column->addLayout(row);
        columns->addLayout(column, 1);
    }
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(prgWriting, 1);
    bottom->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lblSummary);
    layout->addLayout(columns, 1);
    layout->addLayout(bottom);
    layout->addWidget(lblStatus);
    showWriting(false);
}

void frmMusic::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    library.use();
    library.setShown(true);
}

void frmMusic::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    library.setShown(false);
}

void frmMusic::showWriting(bool writing)
{
    prgWriting->setVisible(writing);
    cmdCancel->setVisible(writing);
    cmdCancel->setEnabled(writing);
    cmdPutLyrics->setEnabled(!writing);
    cmdChooseFolder->setEnabled(!writing);
}

void frmMusic::showSummary()
{
    const MusicMatches &m = library.matches();
    const MusicReadReport *report = library.report();
    QString text;
    if (report && report->RootMissing) {
        text = u"The music folder was not found. Choose one with \u201cChoose music folder\u2026\u201d."_s;
    } else if (report) {
        const qsizetype files = qsizetype(m.With.size() + m.Without.size());
        text = counted(files, u"music file"_s, u"music files"_s) + u": "_s + number(qsizetype(m.With.size()))
            + u" with lyrics in the cache, "_s + number(qsizetype(m.Without.size())) + u" without; "_s
            + number(m.HoldLyrics) + (m.HoldLyrics == 1 ? u" holds"_s : u" hold"_s) + u" lyrics in the file"_s;
        QStringList skipped;
        if (m.Unreadable > 0)
            skipped << counted(m.Unreadable, u"file that is not readable music"_s, u"files that are not readable music"_s);
        if (m.Nameless > 0)
            skipped << counted(m.Nameless, u"file without artist and title"_s, u"files without artist and title"_s);
        if (report->UnreadableFolders > 0)
            skipped << counted(report->UnreadableFolders, u"folder that could not be read"_s,
                               u"folders that could not be read"_s);
        if (report->LinkLoops > 0)
            skipped << counted(report->LinkLoops, u"folder reached again through a link"_s,
                               u"folders reached again through links"_s);
        if (!skipped.isEmpty())
            text += u". Skipped: "_s + skipped.join(u", "_s);
        text += u'.';
    }
    if (library.reading() && !readProgressText.isEmpty())
        text += (text.isEmpty() ? QString() : u"\n"_s) + readProgressText;
    else if (library.reading() && !report)
        text = u"Reading the music folder\u2026"_s;
    lblSummary->setText(text);
    // Screen readers find the label by its name; the text is its description.
    lblSummary->setAccessibleDescription(text);
}

void frmMusic::showLibrary()
{
    // The home folder as "~", as a shell shows it.
    QString shown = library.folder();
    if (const QString home = QDir::homePath(); shown.startsWith(home + u'/'))
        shown = u'~' + shown.mid(home.size());
    lblFolder->setText(u"Music folder: "_s + shown);
    if (!library.reading())
        readProgressText.clear();
    // What was selected stays selected, by file.
    auto selectedPaths = [this](QListView *view, const std::vector<int> &rowTracks) {
        QSet<QString> paths;
        for (const QModelIndex &i : view->selectionModel()->selectedRows())
            paths.insert(library.tracks().size() > size_t(rowTracks[size_t(i.row())])
                             ? library.tracks()[size_t(rowTracks[size_t(i.row())])].Path
                             : QString());
        return paths;
    };
    const QSet<QString> keepWithout = selectedPaths(lstWithout, withoutTracks);
    const QSet<QString> keepWith = selectedPaths(lstWith, withTracks);

    const MusicMatches &m = library.matches();
    const std::vector<MusicTrack> &tracks = library.tracks();
    QStringList without;
    withoutTracks.clear();
    for (int t : m.Without) {
        without << tracks[size_t(t)].entry();
        withoutTracks.push_back(t);
    }
    QStringList with;
    withTracks.clear();
    for (const MusicMatches::Matched &match : m.With) {
        const MusicTrack &track = tracks[size_t(match.Track)];
        QString row = track.entry() + (track.HasLyrics ? u" \u2014 lyrics in the file"_s : u" \u2014 no lyrics in the file"_s);
        if (match.Candidates > 1)
            row += u" ("_s + number(match.Candidates) + u" songs could match; this is "_s
                + match.SongKey.section(u'/', -1) + u')';
        with << row;
        withTracks.push_back(match.Track);
    }
    auto refill = [&tracks](QListView *view, QStringListModel *rows, const QStringList &texts,
                            const std::vector<int> &rowTracks, const QSet<QString> &keep) {
        rows->setStringList(texts);
        QItemSelection selection;
        for (size_t r = 0; r < rowTracks.size() && !keep.isEmpty(); ++r) {
            if (keep.contains(tracks[size_t(rowTracks[r])].Path))
                selection.select(rows->index(int(r)), rows->index(int(r)));
        }
        view->selectionModel()->select(selection, QItemSelectionModel::Select);
    };
    refill(lstWithout, withoutRows, without, withoutTracks, keepWithout);
    refill(lstWith, withRows, with, withTracks, keepWith);
    showSummary();
}

std::vector<int> frmMusic::chosenTracks(QListView *view, const std::vector<int> &rowTracks) const
{
    QModelIndexList rows = view->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return rowTracks;
    std::sort(rows.begin(), rows.end());
    std::vector<int> chosen;
    for (const QModelIndex &i : rows)
        chosen.push_back(rowTracks[size_t(i.row())]);
    return chosen;
}

void frmMusic::lstWith_Activated(const QModelIndex &index)
{
    if (!index.isValid() || size_t(index.row()) >= withTracks.size())
        return;
    const int track = withTracks[size_t(index.row())];
    for (const MusicMatches::Matched &m : library.matches().With) {
        if (m.Track == track) {
            Q_EMIT songChosen(m.SongKey);
            return;
        }
    }
}

void frmMusic::cmdChooseFolder_Click()
{
    const QString folder = platform.chooseFolder(u"Choose the music folder"_s, library.folder());
    if (folder.isEmpty())
        return;
    rememberMusicFolder(platform, folder);
    library.setFolder(folder);
}
