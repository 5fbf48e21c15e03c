#include "mainwindow/KaraokePanel.h"

#include "library/SongNames.h"
#include "app/MainLayout.h"
#include "mainwindow/KaraokePlayer.h"
#include "mainwindow/clsKaraokeEdition.h"
#include "platform/Platform.h"
#include "widgets/ButtonSize.h"
#include "widgets/ImageList.h"
#include "widgets/VeskTimePicker.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QIcon>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWheelEvent>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
// The editor's own messages carry the program's short name.
const QString kKaraokeTitle = u"Stanzabox"_s;

// A wheel turned anywhere over the rows scrolls them: the rows keep it only
// over a time field, and hand it on everywhere else.
class RowsWheel : public QObject
{
public:
    RowsWheel(QScrollBar &scrollBar, QObject *parent) : QObject(parent), bar(scrollBar) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A wheel the bar does not take (at the end of its range) comes back
        // up here from the bar, its child; it goes on up from there.
        if (event->type() != QEvent::Wheel || forwarding || bar.isHidden())
            return QObject::eventFilter(watched, event);
        const auto *wheel = static_cast<QWheelEvent *>(event);
        QWheelEvent onBar(bar.mapFromGlobal(wheel->globalPosition()), wheel->globalPosition(),
                          wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(), wheel->modifiers(),
                          wheel->phase(), wheel->inverted(), Qt::MouseEventNotSynthesized,
                          wheel->pointingDevice());
        forwarding = true;
        QCoreApplication::sendEvent(&bar, &onBar);
        forwarding = false;
        event->setAccepted(onBar.isAccepted());
        return onBar.isAccepted();
    }

private:
    QScrollBar &bar;
    bool forwarding = false;
};
} // namespace

KaraokePanel::KaraokePanel(Platform &desktop, MainLayout &mainLayout, QWidget &window)
    : QObject(&window), platform(desktop), layout(mainLayout)
{
    frmKaraoke = new QGroupBox(u"Karaoke Editor"_s, &window);
    frmKaraoke->setObjectName(u"frmKaraoke"_s);
    frmKaraoke->setAccessibleName(u"Karaoke Editor"_s);
    frmKaraoke->hide();
}

QWidget &KaraokePanel::frame() const
{
    return *frmKaraoke;
}

clsKaraokeEdition &KaraokePanel::karaokeEdition()
{
    if (!KaraokeEdition)
        createControls();
    return *KaraokeEdition;
}

void KaraokePanel::createControls()
{
    Picture1 = new QWidget(frmKaraoke);
    Picture1->setObjectName(u"Picture1"_s);
    auto makeButton = [this](const QString &name, const QString &caption, const QString &icon) {
        auto *button = new QPushButton(ImageList::picture(icon), caption, Picture1);
        button->setObjectName(name);
        button->setIconSize(QSize(12, 12));
        return button;
    };
    cmdAdd = makeButton(u"cmdAdd"_s, u"Add"_s, u"add"_s);
    cmdDel = makeButton(u"cmdDel"_s, u"Del"_s, u"del"_s);
    cmdSave = makeButton(u"cmdSave"_s, u"Save"_s, u"save"_s);
    cmdAdd->setToolTip(u"Add a timestamp below the one last selected"_s);
    cmdDel->setToolTip(u"Delete the timestamp last selected"_s);
    cmdSave->setToolTip(u"Save the timestamps"_s);
    // The designed buttons, 495 x 330 twips overlapping by one pixel, were
    // drawn for a smaller font: a picture and a caption in this one need
    // more. All three take the size the widest needs, side by side, so none
    // hides another's edge or caption.
    QSize button = KaraokeDesign::Button.pixels().size();
    for (const QPushButton *b : {cmdAdd, cmdDel, cmdSave})
        button = button.expandedTo(neededSize(b));
    cmdAdd->setGeometry(QRect(QPoint(0, 0), button));
    cmdDel->setGeometry(QRect(QPoint(button.width(), 0), button));
    cmdSave->setGeometry(QRect(QPoint(2 * button.width(), 0), button));
    const QSize strip(3 * button.width(),
                      std::max(KaraokeDesign::Strip.pixels().height(), button.height() + Twips::toPixels(15)));
    connect(cmdAdd, &QPushButton::clicked, this, &KaraokePanel::cmdAdd_Click);
    connect(cmdDel, &QPushButton::clicked, this, &KaraokePanel::cmdDel_Click);
    connect(cmdSave, &QPushButton::clicked, this, &KaraokePanel::cmdSave_Click);

    picContainerKasEditModeOne = new QWidget(frmKaraoke);
    picContainerKasEditModeOne->setObjectName(u"picContainerKasEditModeOne"_s);
    picMoveable1 = new QWidget(picContainerKasEditModeOne);
    picMoveable1->setObjectName(u"picMoveable1"_s);
    VScroll1 = new QScrollBar(Qt::Vertical, picContainerKasEditModeOne);
    VScroll1->setObjectName(u"VScroll1"_s);
    VScroll1->setAccessibleName(u"Timestamps scroll bar"_s);
    picContainerKasEditModeOne->setAccessibleName(u"Timestamps"_s);
    VScroll1->setSingleStep(100);
    VScroll1->setPageStep(400);
    VScroll1->setMinimum(0);
    VScroll1->hide();
    // The column follows the thumb while it is dragged, not only at the end.
    connect(VScroll1, &QScrollBar::valueChanged, this, &KaraokePanel::VScroll1_Change);
    picContainerKasEditModeOne->installEventFilter(new RowsWheel(*VScroll1, picContainerKasEditModeOne));

    KaraokeEdition = new clsKaraokeEdition(*picMoveable1, platform, this);
    player = new KaraokePlayer(platform, *this, *frmKaraoke);
    player->setMusic(music);
    const QSize playerStrip = player->strip().sizeHint();

    // The strips and the rows are equally wide, as designed (1455 twips), or
    // as wide as the widest of them needs; the frame grows with them. The
    // player's strip stands under the buttons; the rows' pitch follows their
    // height, and the viewport stays its designed distance below the strips.
    const int content = std::max({Twips::toPixels(KaraokeDesign::RowWidth), strip.width(), playerStrip.width(),
                                  KaraokeEdition->rowSize().width()});
    KaraokeEdition->setRowWidth(content);
    Picture1->setGeometry(QRect(KaraokeDesign::Strip.pixels().topLeft(), QSize(content, strip.height())));
    const int gap = Twips::toPixels(KaraokeDesign::GapBelowStrip);
    player->strip().setGeometry(QRect(Picture1->geometry().bottomLeft() + QPoint(0, 1 + gap),
                                      QSize(content, playerStrip.height())));
    picMoveable1->setGeometry(0, 0, content, Twips::toPixels(KaraokeDesign::RowAreaHeight));
    layout.KaraokeContentWidth = Twips::fromPixels(content);
    layout.KaraokeRowPitch = Twips::fromPixels(KaraokeEdition->rowPitch());
    layout.picContainerKasEditModeOne.Top =
        std::max(MainLayout().picContainerKasEditModeOne.Top,
                 Twips::fromPixels(player->strip().geometry().bottom() + 1) + KaraokeDesign::GapBelowStrip);
    layout.ArrangeHeights();
    connect(KaraokeEdition, &clsKaraokeEdition::rowFocused, this, [this](int index) {
        CurrentStamp = index;
        scrollRowIntoView(index);
    });
    for (QWidget *w : {Picture1, &player->strip(), picContainerKasEditModeOne, picMoveable1})
        w->show();
    applyLayout(layout);
}

void KaraokePanel::arrangeTabOrder()
{
    // Toolbar, the editor's buttons, its rows top to bottom, then the lyrics.
    QWidget::setTabOrder(cmdAdd, cmdDel);
    QWidget::setTabOrder(cmdDel, cmdSave);
    player->chainTabOrder(cmdSave, KaraokeEdition->row(0));
    KaraokeEdition->ArrangeTabOrder();
    if (afterRows)
        QWidget::setTabOrder(KaraokeEdition->lastInTabOrder(), afterRows);
}

void KaraokePanel::applyLayout(const MainLayout &l)
{
    frmKaraoke->setGeometry(l.frmKaraoke.pixels());
    if (!KaraokeEdition)
        return;
    picContainerKasEditModeOne->setGeometry(l.picContainerKasEditModeOne.pixels());
    VScroll1->setGeometry(l.VScroll1.pixels());
    picMoveable1->move(0, Twips::toPixels(l.MoveableTop));
}

void KaraokePanel::VScroll1_Change(int value)
{
    layout.MoveableTop = -value;
    picMoveable1->move(0, Twips::toPixels(layout.MoveableTop));
}

void KaraokePanel::scrollRowIntoView(int index)
{
    // Tabbing through the rows keeps the focused one in sight, and so does
    // the song as it plays.
    if (!VScroll1 || VScroll1->isHidden())
        return;
    const double pitch = layout.KaraokeRowPitch;
    const double top = index * pitch;
    const double viewport = layout.picContainerKasEditModeOne.Height;
    double offset = -layout.MoveableTop;
    if (top < offset)
        offset = top;
    else if (top + pitch > offset + viewport)
        offset = top + pitch - viewport;
    VScroll1->setValue(qRound(offset));
}

void KaraokePanel::UpdateKaraokeScroll()
{
    // Before the editor is made it has its one designed row.
    const int maximum = layout.UpdateKaraokeScroll(KaraokeEdition ? KaraokeEdition->last() + 1 : 1);
    const bool wanted = maximum > 0;
    if (!VScroll1) {
        Q_EMIT layoutChanged();
        return;
    }
    if (wanted)
        VScroll1->setMaximum(maximum);
    if (wanted == VScroll1->isHidden()) {
        VScroll1->setVisible(wanted);
        layout.ArrangeColumns();
    }
    VScroll1->setValue(qRound(-layout.MoveableTop));
    Q_EMIT layoutChanged();
}

void KaraokePanel::ShowKaraokeEditionFrame(bool show)
{
    layout.KaraokeVisible = show;
    frmKaraoke->setVisible(show);
    if (!show && player)
        player->songClosed();
    if (show)
        UpdateKaraokeScroll();
    layout.ArrangeColumns();
    layout.ArrangeRightWidths();
    Q_EMIT layoutChanged();
}

void KaraokePanel::LoadTimestamps(const QString &path)
{
    lyricsPath = path;
    switch (karaokeEdition().LoadKasFile(kasPathFor(path))) {
    case clsKaraokeEdition::LoadResult::Loaded:
        arrangeTabOrder();
        ShowKaraokeEditionFrame(true);
        player->songLoaded(path);
        break;
    case clsKaraokeEdition::LoadResult::Unreadable:
    case clsKaraokeEdition::LoadResult::NotATimestampFile:
        // Without its rows on screen the file cannot be saved over by mistake.
        ShowKaraokeEditionFrame(false);
        platform.showMessage(u"Karaoke timestamps could not be read"_s, kKaraokeTitle, MessageIcon::Stop);
        break;
    }
}

void KaraokePanel::rearrangeAfterRowChange()
{
    arrangeTabOrder();
    layout.ArrangeHeights();
    UpdateKaraokeScroll();
    layout.ArrangeColumns();
    layout.ArrangeRightWidths();
    Q_EMIT layoutChanged();
}

void KaraokePanel::cmdAdd_Click()
{
    if (KaraokeEdition->last() < CurrentStamp)
        CurrentStamp = KaraokeEdition->last();
    KaraokeEdition->Add(CurrentStamp + 1);
    rearrangeAfterRowChange();
    player->rowsRearranged();
}

void KaraokePanel::cmdDel_Click()
{
    KaraokeEdition->Del(CurrentStamp);
    rearrangeAfterRowChange();
    player->rowsRearranged();
}

void KaraokePanel::cmdSave_Click()
{
    saveTimestamps();
}

bool KaraokePanel::saveTimestamps()
{
    if (lyricsPath.isEmpty())
        return false;
    if (!KaraokeEdition->SaveKasFile(kasPathFor(lyricsPath))) {
        platform.showMessage(u"Karaoke timestamps could not be saved"_s, kKaraokeTitle, MessageIcon::Stop);
        return false;
    }
    player->saved();
    // Saved, but not whole: the rows stay on screen for a tag.
    if (const int untagged = KaraokeEdition->untaggedRows(); untagged > 0) {
        platform.showMessage(untagged == 1
                                 ? u"1 row without a tag was not saved: type a tag for it"_s
                                 : u"%1 rows without a tag were not saved: type a tag for them"_s.arg(untagged),
                             kKaraokeTitle, MessageIcon::Exclamation);
        return false;
    }
    platform.showMessage(u"Karaoke timestamps succesfully saved"_s, kKaraokeTitle, MessageIcon::Information);
    return true;
}

bool KaraokePanel::hasUnsavedChanges() const
{
    return layout.KaraokeVisible && KaraokeEdition && KaraokeEdition->isModified();
}

void KaraokePanel::forgetChanges()
{
    if (KaraokeEdition)
        KaraokeEdition->setModified(false);
}

void KaraokePanel::followPalette()
{
    if (KaraokeEdition)
        KaraokeEdition->followPalette();
    if (player)
        player->followPalette();
}

void KaraokePanel::setMusic(const KaraokeMusic &songMusic)
{
    music = songMusic;
    if (player)
        player->setMusic(music);
}

void KaraokePanel::musicFilesChanged()
{
    if (player)
        player->musicFilesChanged();
}

void KaraokePanel::appendRow()
{
    KaraokeEdition->Add(KaraokeEdition->last() + 1);
    rearrangeAfterRowChange();
}

void KaraokePanel::dropLastRow()
{
    if (KaraokeEdition->last() == 0)
        return;
    KaraokeEdition->Del(KaraokeEdition->last());
    rearrangeAfterRowChange();
}

void KaraokePanel::focusRow(int index)
{
    if (VeskTimePicker *row = KaraokeEdition->row(index))
        row->setFocus(Qt::OtherFocusReason);
}
