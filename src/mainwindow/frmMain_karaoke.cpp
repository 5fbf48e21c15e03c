// frmMain: the karaoke editor panel beside the lyrics.

#include "mainwindow/frmMain.h"

#include "app/AppState.h"
#include "app/ImageList.h"
#include "karaoke/VeskTimePicker.h"
#include "karaoke/clsKaraokeEdition.h"
#include "library/SongNames.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QIcon>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWheelEvent>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
const QString kKaraokeTitle = u"Stanzabox"_s;

// The least size at which a button shows its picture and caption whole:
// Qt's four pixels between the two, and the margin and frame the style puts
// around a button's contents, without the wider minimum some styles add
// for looks.
QSize neededSize(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle *style = button->style();
    int margins = style->pixelMetric(QStyle::PM_ButtonMargin, &option, button)
                  + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
    if (button->autoDefault())
        margins += 2 * style->pixelMetric(QStyle::PM_ButtonDefaultIndicator, &option, button);
    const QFontMetricsF metrics(button->font());
    const QSize icon = button->icon().isNull() ? QSize(0, 0) : button->iconSize();
    const int spacing = icon.isEmpty() ? 0 : 4;
    return QSize(icon.width() + spacing + qCeil(metrics.horizontalAdvance(button->text())) + margins,
                 qMax(icon.height(), qCeil(metrics.height())) + margins);
}

// A wheel turned anywhere over the rows scrolls them: the rows keep it only
// over a time field, and hand it on everywhere else.
class RowsWheel : public QObject
{
public:
    RowsWheel(QScrollBar &bar, QObject *parent) : QObject(parent), bar(bar) {}

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
    QSize button = TwipsRect{0, 0, 495, 330}.pixels().size();
    for (const QPushButton *b : {cmdAdd, cmdDel, cmdSave})
        button = button.expandedTo(neededSize(b));
    cmdAdd->setGeometry(QRect(QPoint(0, 0), button));
    cmdDel->setGeometry(QRect(QPoint(button.width(), 0), button));
    cmdSave->setGeometry(QRect(QPoint(2 * button.width(), 0), button));
    const QSize strip(3 * button.width(),
                      std::max(TwipsRect{0, 0, 0, 345}.pixels().height(), button.height() + Twips::toPixels(15)));
    connect(cmdAdd, &QPushButton::clicked, this, &frmMain::cmdAdd_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmMain::cmdDel_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);

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
    connect(VScroll1, &QScrollBar::valueChanged, this, &frmMain::VScroll1_Change);
    picContainerKasEditModeOne->installEventFilter(new RowsWheel(*VScroll1, picContainerKasEditModeOne));

    KaraokeEdition = new clsKaraokeEdition(*picMoveable1, platform, this);

    // The strip and the rows are equally wide, as designed (1455 twips), or
    // as wide as the wider of them needs; the frame grows with them. The
    // rows' pitch follows their height, and the viewport stays its designed
    // distance below a taller strip.
    const int content = std::max({Twips::toPixels(1455), strip.width(), KaraokeEdition->rowSize().width()});
    KaraokeEdition->setRowWidth(content);
    Picture1->setGeometry(QRect(TwipsRect{120, 240, 0, 0}.pixels().topLeft(), QSize(content, strip.height())));
    picMoveable1->setGeometry(0, 0, content, Twips::toPixels(9000));
    layout.KaraokeContentWidth = Twips::fromPixels(content);
    layout.KaraokeRowPitch = Twips::fromPixels(KaraokeEdition->rowPitch());
    layout.picContainerKasEditModeOne.Top = std::max(720.0, 240 + Twips::fromPixels(strip.height()) + 135);
    layout.ArrangeHeights();
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
