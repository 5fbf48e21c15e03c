#include "mainwindow/KaraokePlayer.h"

#include "app/MainLayout.h"
#include "karaoke/StampTime.h"
#include "mainwindow/KaraokePanel.h"
#include "mainwindow/clsKaraokeEdition.h"
#include "platform/Platform.h"
#include "widgets/ButtonSize.h"
#include "widgets/Readability.h"
#include "widgets/VeskTimePicker.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>

#include <algorithm>
#include <climits>

using namespace Qt::StringLiterals;

namespace {
const QString kNoMusic = u"No music file for this song: choose a music folder in the Music window"_s;
const QString kSearching = u"Looking for this song's music file in the music folder\u2026"_s;
// A double click on a row's time plays the song from this far before it,
// so that the line is heard coming.
constexpr qint64 kLeadInMs = 2000;

QColor blend(const QColor &a, const QColor &b, double share)
{
    return QColor::fromRgbF(float(a.redF() * share + b.redF() * (1 - share)),
                            float(a.greenF() * share + b.greenF() * (1 - share)),
                            float(a.blueF() * share + b.blueF() * (1 - share)));
}
} // namespace

KaraokePlayer::KaraokePlayer(Platform &desktop, KaraokePanel &karaoke, QWidget &editorFrame)
    : QObject(&karaoke), platform(desktop), panel(karaoke), frame(editorFrame), edits(karaoke)
{
    createControls();
    // The keys are the editor's while the focus is in it, also over a tag
    // box or the window's own Ctrl+Z, which would otherwise take them first.
    qApp->installEventFilter(this);
    updateControls();
}

KaraokePlayer::~KaraokePlayer()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void KaraokePlayer::createControls()
{
    picPlayer = new QWidget(&frame);
    picPlayer->setObjectName(u"picPlayer"_s);
    auto makeButton = [this](const QString &name, const QString &caption) {
        auto *button = new QPushButton(caption, picPlayer);
        button->setObjectName(name);
        button->setAccessibleName(caption);
        return button;
    };
    cmdPlay = makeButton(u"cmdPlay"_s, u"Play"_s);
    cmdPlay->setCheckable(true);
    cmdPlay->setIcon(cmdPlay->style()->standardIcon(QStyle::SP_MediaPlay));
    cmdPlay->setIconSize(QSize(12, 12));
    cmdTap = makeButton(u"cmdTap"_s, u"Tap"_s);
    cmdEarlier = makeButton(u"cmdEarlier"_s, u"Earlier"_s);
    cmdLater = makeButton(u"cmdLater"_s, u"Later"_s);
    cmdEarlier->setToolTip(u"Every stamp 0.2 s earlier (Ctrl+Left in the editor)"_s);
    cmdLater->setToolTip(u"Every stamp 0.2 s later (Ctrl+Right in the editor)"_s);
    // As wide as the widest caption needs, and no less than the editor's
    // own buttons as designed.
    QSize button = KaraokeDesign::Button.pixels().size();
    for (const QPushButton *b : {cmdPlay, cmdTap, cmdEarlier, cmdLater})
        button = button.expandedTo(neededSize(b));
    for (QPushButton *b : {cmdPlay, cmdTap, cmdEarlier, cmdLater})
        b->setFixedSize(button);

    lblPosition = new QLabel(StampTime::positionText(0), picPlayer);
    lblPosition->setObjectName(u"lblPosition"_s);
    lblPosition->setAlignment(Qt::AlignCenter);
    lblPosition->setMinimumWidth(lblPosition->fontMetrics().horizontalAdvance(u"00:00.0"_s) + 4);
    sldPosition = new QSlider(Qt::Horizontal, picPlayer);
    sldPosition->setObjectName(u"sldPosition"_s);
    sldPosition->setAccessibleName(u"Position"_s);
    sldPosition->setSingleStep(1000);
    sldPosition->setPageStep(10000);
    sldPosition->setRange(0, 0);

    auto *rows = new QVBoxLayout(picPlayer);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(Twips::toPixels(60));
    auto *top = new QHBoxLayout;
    top->setSpacing(0);
    top->addWidget(cmdPlay);
    top->addWidget(lblPosition, 1);
    top->addWidget(cmdTap);
    rows->addLayout(top);
    rows->addWidget(sldPosition);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmdEarlier);
    bottom->addStretch(1);
    bottom->addWidget(cmdLater);
    rows->addLayout(bottom);

    connect(cmdPlay, &QPushButton::toggled, this, &KaraokePlayer::playToggled);
    connect(cmdTap, &QPushButton::clicked, this, &KaraokePlayer::tap);
    connect(cmdEarlier, &QPushButton::clicked, this, [this] { shiftAll(-1); });
    connect(cmdLater, &QPushButton::clicked, this, [this] { shiftAll(1); });
    // A drag goes to its place when let go; a click or a key at once.
    connect(sldPosition, &QSlider::valueChanged, this, [this](int value) {
        if (!sldPosition->isSliderDown())
            seekTo(value);
    });
    connect(sldPosition, &QSlider::sliderMoved, this,
            [this](int value) { lblPosition->setText(StampTime::positionText(value)); });
    connect(sldPosition, &QSlider::sliderReleased, this, [this] { seekTo(sldPosition->value()); });

    // Ctrl+P and Ctrl+T from anywhere in the window while the editor shows.
    auto makeKey = [this](const QKeySequence &keys) {
        auto *action = new QAction(picPlayer);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        picPlayer->addAction(action);
        return action;
    };
    playKey = makeKey(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(playKey, &QAction::triggered, cmdPlay, &QPushButton::toggle);
    tapKey = makeKey(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(tapKey, &QAction::triggered, this, &KaraokePlayer::tap);
}

void KaraokePlayer::chainTabOrder(QWidget *before, QWidget *after)
{
    QWidget *previous = before;
    for (QWidget *w : std::initializer_list<QWidget *>{cmdPlay, cmdTap, sldPosition, cmdEarlier, cmdLater, after}) {
        QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void KaraokePlayer::setMusic(const KaraokeMusic &songMusic)
{
    music = songMusic;
}

void KaraokePlayer::songLoaded(const QString &path)
{
    edits.forget();
    lyricsPath = path;
    mark(-1, false);
    useMusic(music.fileFor ? music.fileFor(path) : MusicFile());
}

void KaraokePlayer::songClosed()
{
    edits.forget();
    lyricsPath.clear();
    mark(-1, false);
    useMusic({});
}

void KaraokePlayer::musicFilesChanged()
{
    if (!lyricsPath.isEmpty() && music.fileFor)
        useMusic(music.fileFor(lyricsPath));
}

void KaraokePlayer::useMusic(const MusicFile &found)
{
    searching = found.searching && found.path.isEmpty();
    if (found.path != musicPath) {
        // Another song's music: this one stops and starts again at 0:00.0.
        musicPath = found.path;
        if (player)
            player->setFile(QString());
        playingChanged(false);
        const QSignalBlocker quiet(sldPosition);
        sldPosition->setRange(0, 0);
        lblPosition->setText(StampTime::positionText(0));
    }
    updateControls();
}

bool KaraokePlayer::ready()
{
    if (musicPath.isEmpty())
        return false;
    if (!player) {
        std::unique_ptr<SongPlayer> made = music.makePlayer ? music.makePlayer() : nullptr;
        if (!made)
            return false;
        player = made.release();
        player->setParent(this);
        player->setObjectName(u"songPlayer"_s);
        connect(player, &SongPlayer::positionChanged, this, &KaraokePlayer::positionChanged);
        connect(player, &SongPlayer::playingChanged, this, &KaraokePlayer::playingChanged);
        connect(player, &SongPlayer::durationChanged, this, [this](qint64 duration) {
            const QSignalBlocker quiet(sldPosition);
            sldPosition->setRange(0, int(std::min<qint64>(duration, INT_MAX)));
            updateControls();
        });
        // Told after the player's own signal has returned, of the file it was
        // playing then: the file is let go.
        connect(player, &SongPlayer::failed, this, [this](const QString &reason) {
            QMetaObject::invokeMethod(this, [this, file = player->file(), reason] { failed(file, reason); },
                                      Qt::QueuedConnection);
        });
    }
    if (player->file() != musicPath)
        player->setFile(musicPath);
    updateControls();
    return true;
}

void KaraokePlayer::updateControls()
{
    const bool known = !musicPath.isEmpty();
    const bool open = known && player && player->file() == musicPath;
    const QString why = searching ? kSearching : kNoMusic;
    cmdPlay->setEnabled(known);
    playKey->setEnabled(known);
    lblPosition->setEnabled(known);
    cmdTap->setEnabled(open);
    tapKey->setEnabled(open);
    sldPosition->setEnabled(open && sldPosition->maximum() > 0);
    cmdPlay->setToolTip(known ? u"Play the song, or pause it (Ctrl+P)"_s : why);
    lblPosition->setToolTip(known ? u"Where the song is"_s : why);
    const QString notYet = u"Press Play first"_s;
    cmdTap->setToolTip(!known ? why
                       : open ? u"The row's stamp is where the song is; on to the next row (Ctrl+T, Space in a row)"_s
                              : notYet);
    sldPosition->setToolTip(!known ? why : open ? u"Where the song is: move it to go elsewhere"_s : notYet);
}

void KaraokePlayer::playToggled(bool play)
{
    if (!play) {
        if (player)
            player->pause();
        return;
    }
    if (!ready()) {
        const QSignalBlocker quiet(cmdPlay);
        cmdPlay->setChecked(false);
        return;
    }
    player->play();
}

void KaraokePlayer::playingChanged(bool playing)
{
    const QSignalBlocker quiet(cmdPlay);
    cmdPlay->setChecked(playing);
    cmdPlay->setIcon(cmdPlay->style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
}

void KaraokePlayer::positionChanged(qint64 positionMs)
{
    if (!sldPosition->isSliderDown()) {
        const QSignalBlocker quiet(sldPosition);
        sldPosition->setValue(int(std::min<qint64>(positionMs, INT_MAX)));
        lblPosition->setText(StampTime::positionText(positionMs));
    }
    mark(rowAt(positionMs), true);
}

void KaraokePlayer::failed(const QString &file, const QString &reason)
{
    // Another song's music may have come meanwhile.
    if (file.isEmpty() || player->file() != file)
        return;
    // Let go, so that Play tries the file again.
    player->setFile(QString());
    playingChanged(false);
    updateControls();
    platform.showMessage(u"Couldn't play the music file %1\n\n%2"_s.arg(QDir::toNativeSeparators(file), reason),
                         u"Stanzabox"_s, MessageIcon::Stop);
}

void KaraokePlayer::seekTo(int positionMs)
{
    if (player && !musicPath.isEmpty() && player->file() == musicPath)
        player->seek(positionMs);
}

void KaraokePlayer::playFrom(qint64 positionMs)
{
    if (!ready())
        return;
    player->seek(std::max<qint64>(positionMs, 0));
    player->play();
}

int KaraokePlayer::rowAt(qint64 positionMs) const
{
    const clsKaraokeEdition &rows = panel.karaokeEdition();
    for (int i = 0; i <= rows.last(); ++i) {
        if (positionMs < StampTime::msOf(StampEdits::stepOf(*rows.row(i))))
            continue;
        if (i == rows.last() || positionMs < StampTime::msOf(StampEdits::stepOf(*rows.row(i + 1))))
            return i;
    }
    return -1;
}

void KaraokePlayer::mark(int row, bool scroll)
{
    VeskTimePicker *picker = panel.karaokeEdition().row(row);
    if (picker == marked)
        return;
    if (marked)
        marked->setPalette(QPalette());
    marked = picker;
    if (!picker)
        return;
    followPalette();
    if (scroll)
        panel.scrollRowIntoView(row);
}

void KaraokePlayer::followPalette()
{
    if (!marked)
        return;
    // The row's background tinted with the selection colour; its digits
    // kept readable on it.
    const QPalette around = frame.palette();
    const QColor tint = blend(around.color(QPalette::Highlight), around.color(QPalette::Window), 0.35);
    QPalette palette;
    palette.setColor(QPalette::Window, tint);
    palette.setColor(QPalette::WindowText, Readability::readableOn(around.color(QPalette::WindowText), tint, 4.5));
    marked->setPalette(palette);
}

int KaraokePlayer::rowOf(const QWidget *widget) const
{
    for (; widget && widget != &frame; widget = widget->parentWidget()) {
        const auto *picker = qobject_cast<const VeskTimePicker *>(widget);
        if (!picker)
            continue;
        const clsKaraokeEdition &rows = panel.karaokeEdition();
        for (int i = 0; i <= rows.last(); ++i) {
            if (rows.row(i) == picker)
                return i;
        }
        return -1;
    }
    return -1;
}

int KaraokePlayer::focusedRow() const
{
    // The row that last had the focus, which a shorter song may not have.
    return std::min(panel.currentStamp(), panel.karaokeEdition().last());
}

void KaraokePlayer::tap()
{
    if (!cmdTap->isEnabled())
        return;
    // Where the song is at the key press, not at the last notification.
    const qint64 at = player->position();
    const int next = edits.tap(focusedRow(), StampTime::stepsAt(at));
    panel.focusRow(next);
    mark(rowAt(at), false);
}

void KaraokePlayer::shiftAll(int steps)
{
    if (!edits.shiftAll(steps))
        platform.beep();
    else if (player)
        mark(rowAt(player->position()), false);
}

void KaraokePlayer::nudge(int steps)
{
    if (!edits.nudge(focusedRow(), steps))
        platform.beep();
    else if (player)
        mark(rowAt(player->position()), false);
}

void KaraokePlayer::undo()
{
    int focus = -1;
    if (!edits.undo(focus)) {
        platform.beep();
        return;
    }
    if (focus >= 0)
        panel.focusRow(focus);
    if (player)
        mark(rowAt(player->position()), false);
}

KaraokePlayer::Key KaraokePlayer::keyFor(const QKeyEvent *event, QWidget *focus) const
{
    if (event->matches(QKeySequence::Undo)) {
        // Typing in a tag box is taken back there first.
        const auto *edit = qobject_cast<const QLineEdit *>(focus);
        return edit && edit->isUndoAvailable() ? Key::None : Key::Undo;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Space:
        // The pickers take no spaces: the tap key while they have the focus.
        return modifiers == Qt::NoModifier && cmdTap->isEnabled() && rowOf(focus) >= 0 ? Key::Tap : Key::None;
    case Qt::Key_Left:
        return modifiers == Qt::ControlModifier ? Key::Earlier
               : modifiers == Qt::AltModifier   ? Key::NudgeEarlier
                                                : Key::None;
    case Qt::Key_Right:
        return modifiers == Qt::ControlModifier ? Key::Later
               : modifiers == Qt::AltModifier   ? Key::NudgeLater
                                                : Key::None;
    default:
        return Key::None;
    }
}

void KaraokePlayer::run(Key key)
{
    switch (key) {
    case Key::Tap:
        tap();
        break;
    case Key::Earlier:
        shiftAll(-1);
        break;
    case Key::Later:
        shiftAll(1);
        break;
    case Key::NudgeEarlier:
        nudge(-1);
        break;
    case Key::NudgeLater:
        nudge(1);
        break;
    case Key::Undo:
        undo();
        break;
    case Key::None:
        break;
    }
}

bool KaraokePlayer::timeDoubleClicked(QObject *watched)
{
    // The time's labels, not the tag box or the arrows.
    auto *label = qobject_cast<QLabel *>(watched);
    if (!label || musicPath.isEmpty() || !frame.isAncestorOf(label))
        return false;
    const int row = rowOf(label);
    if (row < 0)
        return false;
    playFrom(StampTime::msOf(StampEdits::stepOf(*panel.karaokeEdition().row(row))) - kLeadInMs);
    return true;
}

bool KaraokePlayer::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonDblClick) {
        timeDoubleClicked(watched);
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    auto *focus = qobject_cast<QWidget *>(watched);
    if (!focus || !frame.isVisible() || !frame.isAncestorOf(focus))
        return false;
    const auto *keyEvent = static_cast<QKeyEvent *>(event);
    const Key key = keyFor(keyEvent, focus);
    if (key == Key::None)
        return false;
    // Claimed before any shortcut, then done when the key comes; a held
    // Space taps once.
    event->accept();
    if (type == QEvent::KeyPress && !(key == Key::Tap && keyEvent->isAutoRepeat()))
        run(key);
    return true;
}
