// frmMain: the karaoke editor panel beside the lyrics.

#include "mainwindow/frmMain.h"

#include "app/AppState.h"
#include "app/ImageList.h"
#include "karaoke/VeskTimePicker.h"
#include "karaoke/clsKaraokeEdition.h"
#include "library/SongNames.h"
#include "platform/Platform.h"

#include <QGroupBox>
#include <QIcon>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace {
const QString kKaraokeTitle = u"Stanzabox"_s;
constexpr double kRowPitch = 300;
} // namespace

clsKaraokeEdition &frmMain::karaokeEdition()
{
    if (!KaraokeEdition)
        createKaraokePanel();
    return *KaraokeEdition;
}

void frmMain::createKaraokePanel()
{
    Picture1 = new QWidget(frmKaraoke);
    Picture1->setObjectName(u"Picture1"_s);
    Picture1->setGeometry(TwipsRect{120, 240, 1455, 345}.pixels());
    auto makeButton = [this](const QString &name, const QString &caption, const QString &icon, double left) {
        auto *button = new QPushButton(ImageList::picture(icon), caption, Picture1);
        button->setObjectName(name);
        button->setIconSize(QSize(12, 12));
        button->setGeometry(TwipsRect{left, 0, 495, 330}.pixels());
        return button;
    };
    cmdAdd = makeButton(u"cmdAdd"_s, u"Add"_s, u"add"_s, 0);
    cmdDel = makeButton(u"cmdDel"_s, u"Del"_s, u"del"_s, 480);
    cmdSave = makeButton(u"cmdSave"_s, u"Save"_s, u"save"_s, 960);
    cmdAdd->setToolTip(u"Add a timestamp below the one last selected"_s);
    cmdDel->setToolTip(u"Delete the timestamp last selected"_s);
    cmdSave->setToolTip(u"Save the timestamps"_s);
    Picture1->setStyleSheet(u"QPushButton { padding: 0px; }"_s);
    connect(cmdAdd, &QPushButton::clicked, this, &frmMain::cmdAdd_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmMain::cmdDel_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);

    picContainerKasEditModeOne = new QWidget(frmKaraoke);
    picContainerKasEditModeOne->setObjectName(u"picContainerKasEditModeOne"_s);
    picMoveable1 = new QWidget(picContainerKasEditModeOne);
    picMoveable1->setObjectName(u"picMoveable1"_s);
    picMoveable1->setGeometry(TwipsRect{0, 0, 1455, 9000}.pixels());
    VScroll1 = new QScrollBar(Qt::Vertical, picContainerKasEditModeOne);
    VScroll1->setObjectName(u"VScroll1"_s);
    VScroll1->setAccessibleName(u"Timestamps scroll bar"_s);
    picContainerKasEditModeOne->setAccessibleName(u"Timestamps"_s);
    VScroll1->setSingleStep(100);
    VScroll1->setPageStep(400);
    VScroll1->setMinimum(0);
    VScroll1->hide();
    // The column follows the thumb while it is dragged, not only at the end.
    connect(VScroll1, &QScrollBar::valueChanged, this, &frmMain::VScroll1_Change);

    KaraokeEdition = new clsKaraokeEdition(*picMoveable1, platform, this);
    connect(KaraokeEdition, &clsKaraokeEdition::rowFocused, this, [this](int index) {
        CurrentStamp = index;
        scrollRowIntoView(index);
    });
    for (QWidget *w : {Picture1, picContainerKasEditModeOne, picMoveable1})
        w->show();
    applyKaraokeLayout();
}

void frmMain::arrangeKaraokeTabOrder()
{
    // Toolbar, the editor's buttons, its rows top to bottom, then the lyrics.
    QWidget::setTabOrder(cmdAdd, cmdDel);
    QWidget::setTabOrder(cmdDel, cmdSave);
    QWidget::setTabOrder(cmdSave, KaraokeEdition->row(0));
    KaraokeEdition->ArrangeTabOrder();
    QWidget::setTabOrder(KaraokeEdition->lastInTabOrder(), lyrics);
}

void frmMain::applyKaraokeLayout()
{
    if (!KaraokeEdition)
        return;
    picContainerKasEditModeOne->setGeometry(layout.picContainerKasEditModeOne.pixels());
    VScroll1->setGeometry(layout.VScroll1.pixels());
    picMoveable1->move(0, Twips::toPixels(layout.MoveableTop));
}

void frmMain::VScroll1_Change(int value)
{
    layout.MoveableTop = -value;
    picMoveable1->move(0, Twips::toPixels(layout.MoveableTop));
}

void frmMain::scrollRowIntoView(int index)
{
    // Tabbing through the rows keeps the focused one in sight.
    if (VScroll1->isHidden())
        return;
    const double top = index * kRowPitch;
    const double viewport = layout.picContainerKasEditModeOne.Height;
    double offset = -layout.MoveableTop;
    if (top < offset)
        offset = top;
    else if (top + kRowPitch > offset + viewport)
        offset = top + kRowPitch - viewport;
    VScroll1->setValue(qRound(offset));
}

void frmMain::UpdateKaraokeScroll()
{
    // Before the editor is made it has its one designed row.
    const int maximum = layout.UpdateKaraokeScroll(KaraokeEdition ? KaraokeEdition->last() + 1 : 1);
    const bool wanted = maximum > 0;
    if (!VScroll1) {
        applyLayout();
        return;
    }
    if (wanted)
        VScroll1->setMaximum(maximum);
    if (wanted == VScroll1->isHidden()) {
        VScroll1->setVisible(wanted);
        layout.ArrangeColumns();
    }
    VScroll1->setValue(qRound(-layout.MoveableTop));
    applyLayout();
}

void frmMain::ShowKaraokeEditionFrame(bool show)
{
    layout.KaraokeVisible = show;
    frmKaraoke->setVisible(show);
    if (show)
        UpdateKaraokeScroll();
    layout.ArrangeColumns();
    layout.ArrangeRightWidths();
    applyLayout();
}

void frmMain::LoadTimestamps()
{
    switch (karaokeEdition().LoadKasFile(kasPathFor(state.SelectedPath))) {
    case clsKaraokeEdition::LoadResult::Loaded:
        arrangeKaraokeTabOrder();
        ShowKaraokeEditionFrame(true);
        break;
    case clsKaraokeEdition::LoadResult::Unreadable:
    case clsKaraokeEdition::LoadResult::NotATimestampFile:
        // Without its rows on screen the file cannot be saved over by mistake.
        ShowKaraokeEditionFrame(false);
        platform.showMessage(u"Karaoke timestamps could not be read"_s, kKaraokeTitle, MessageIcon::Stop);
        break;
    }
}

void frmMain::rearrangeAfterRowChange()
{
    arrangeKaraokeTabOrder();
    layout.ArrangeHeights();
    UpdateKaraokeScroll();
    layout.ArrangeColumns();
    layout.ArrangeRightWidths();
    applyLayout();
}

void frmMain::cmdAdd_Click()
{
    if (KaraokeEdition->last() < CurrentStamp)
        CurrentStamp = KaraokeEdition->last();
    KaraokeEdition->Add(CurrentStamp + 1);
    rearrangeAfterRowChange();
}

void frmMain::cmdDel_Click()
{
    KaraokeEdition->Del(CurrentStamp);
    rearrangeAfterRowChange();
}

void frmMain::cmdSave_Click()
{
    if (state.SelectedPath.isEmpty())
        return;
    if (KaraokeEdition->SaveKasFile(kasPathFor(state.SelectedPath)))
        platform.showMessage(u"Karaoke timestamps succesfully saved"_s, kKaraokeTitle, MessageIcon::Information);
    else
        platform.showMessage(u"Karaoke timestamps could not be saved"_s, kKaraokeTitle, MessageIcon::Stop);
}
