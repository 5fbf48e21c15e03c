// VeskTimePicker: where its fields stand, and what the wheel, the keys and
// its scroll bar do to them.

#include "widgets/VeskTimePicker.h"

#include "app/Twips.h"
#include "widgets/VeskTimePickerFields.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace VeskTimePickerFields;

void VeskTimePicker::CalcFocusRect()
{
    const int onePixel = Twips::toPixels(15);
    tagFrame = txtLyrics->geometry().adjusted(-onePixel, -onePixel, onePixel, onePixel);
    update();
}

void VeskTimePicker::measureFields()
{
    using Twips::toPixels;
    const int onePixel = toPixels(15);

    // Qt gives each arrow button the style's scroll bar extent, or half the
    // bar where the bar is shorter than two of them: the arrows are then
    // squeezed to slivers. The control is made tall enough for both.
    QStyleOptionSlider option;
    option.initFrom(myScroll);
    option.orientation = Qt::Vertical;
    const int arrow = myScroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, &option, myScroll);
    fields.scrollWidth = qMax(toPixels(180), arrow);

    // The labels were laid out for a font whose two digits fill 14 pixels
    // and whose point fits in a gap of two; Arial's stand-ins take more, at
    // a ratio of 2 more again, and a label clips what it cannot hold.
    const QFontMetricsF digits(myLabel[0]->font());
    qreal digit = 0;
    for (char16_t c = u'0'; c <= u'9'; ++c)
        digit = qMax(digit, digits.horizontalAdvance(QChar(c)));
    QFont pointsFont = lblPoints->font();
    pointsFont.setWordSpacing(0);
    const QFontMetricsF points(pointsFont);

    fields.labelHeight = qMax(toPixels(270), qCeil(qMax(digits.height(), points.height())));
    fields.labelWidth[0] = fields.labelWidth[1] = qMax(toPixels(210), qCeil(2 * digit));
    fields.labelWidth[2] = qMax(toPixels(105), qCeil(digit));
    fields.labelX[0] = fields.scrollWidth + onePixel;
    const int minutesEnd = fields.labelX[0] + fields.labelWidth[0];
    // The colon stands one pixel after the minutes, the point in the gap
    // between the seconds and the tenths; both gaps hold their character.
    fields.pointsX = minutesEnd + onePixel;
    fields.labelX[1] = qMax(minutesEnd + toPixels(75),
                            fields.pointsX + qCeil(points.horizontalAdvance(u':')));
    const int secondsEnd = fields.labelX[1] + fields.labelWidth[1];
    fields.labelX[2] = secondsEnd + qMax(toPixels(30), qCeil(points.horizontalAdvance(u'.')) + onePixel);
    const int timeEnd = fields.labelX[2] + fields.labelWidth[2];

    // The caption ":   ." puts its point where three spaces end; they are
    // widened until the point lands in the middle of its gap. Qt widens a
    // run of spaces once, not each space, so the effect of one unit is
    // measured rather than assumed.
    const qreal gapCentre = (secondsEnd + fields.labelX[2]) / 2.0 - fields.pointsX;
    const qreal pointLeft = gapCentre - points.tightBoundingRect(u"."_s).center().x();
    const qreal natural = points.horizontalAdvance(u":   "_s);
    QFont spaced = pointsFont;
    spaced.setWordSpacing(1);
    const qreal perUnit = QFontMetricsF(spaced).horizontalAdvance(u":   "_s) - natural;
    pointsFont.setWordSpacing(perUnit > 0 ? qMax<qreal>((pointLeft - natural) / perUnit, 0) : 0);
    lblPoints->setFont(pointsFont);

    // The tag box: two of the widest letters. At the designed height the
    // box has no room for a frame; without one the line edit still keeps a
    // two-pixel margin on each side, which is pulled back where the letters
    // need it, and the dotted frame drawn around the box marks its edge.
    const QFontMetricsF mono(txtLyrics->font());
    const qreal needed = mono.horizontalAdvance(u"WW"_s) + 1;
    fields.tag = QSize(toPixels(255), qMax(toPixels(240), qCeil(mono.height())));
    txtLyrics->resize(fields.tag);
    txtLyrics->setFrame(txtLyrics->sizeHint().height() <= fields.tag.height());
    if (txtLyrics->hasFrame()) {
        const int frame = txtLyrics->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, txtLyrics);
        fields.tag.setWidth(qMax(fields.tag.width(), qCeil(needed) + 4 + 2 * frame));
        txtLyrics->setTextMargins(0, 0, 0, 0);
    } else {
        fields.tag.setWidth(qMax(fields.tag.width(), qCeil(needed)));
        const int pull = qBound(0, qCeil((needed - (fields.tag.width() - 4)) / 2), 2);
        txtLyrics->setTextMargins(-pull, 0, -pull, 0);
    }

    fields.minimum = QSize(timeEnd + toPixels(1080 - 825) + fields.tag.width() + onePixel,
                           std::max({toPixels(270), 2 * arrow, fields.labelHeight,
                                     fields.tag.height() + 2 * onePixel}));
}

void VeskTimePicker::arrangeFields()
{
    const int h = height();
    myScroll->setGeometry(0, 0, fields.scrollWidth, h);
    const int labelTop = (h - fields.labelHeight) / 2;
    for (int k = 0; k < kTagSlot; ++k)
        myLabel[k]->setGeometry(fields.labelX[k], labelTop, fields.labelWidth[k], fields.labelHeight);
    lblPoints->setGeometry(fields.pointsX, labelTop, fields.labelX[2] - fields.pointsX, fields.labelHeight);
    // The tag box at the right end, one pixel in.
    txtLyrics->setGeometry(width() - fields.tag.width() - Twips::toPixels(15),
                           (h - fields.tag.height()) / 2, fields.tag.width(), fields.tag.height());
    CalcFocusRect();
}

bool VeskTimePicker::wheelOnField(int field, QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return false;
    // Turning the wheel over a field works it as the arrows would, and
    // selects it first, as a click would, so that what changes is shown.
    if (field != CurrentField || !focusWithin) {
        SelectField(field);
        wheelRemainder = 0;
    }
    // Fine-grained wheels send parts of a notch; a step is a whole one.
    wheelRemainder += delta;
    const int steps = wheelRemainder / QWheelEvent::DefaultDeltasPerStep;
    wheelRemainder -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0) {
        syncScrollToField();
        const FieldRange &range = kRanges[field];
        myScroll->setValue(qBound(0, FieldValues[field] + steps * range.step, range.maximum));
    }
    event->accept();
    return true;
}

void VeskTimePicker::showFieldSelected(int field, bool selected)
{
    QLabel *label = myLabel[field];
    label->setBackgroundRole(selected ? QPalette::Highlight : QPalette::Window);
    label->setForegroundRole(selected ? QPalette::HighlightedText : QPalette::WindowText);
}

void VeskTimePicker::emitFieldChanged(int field)
{
    switch (field) {
    case 0:
        emit MinuteChanged();
        break;
    case 1:
        emit SecondChanged();
        break;
    default:
        emit FrameChanged();
        break;
    }
    emit propertyChanged(kPropNames[field].toString());
    describe();
}

void VeskTimePicker::emitTextChanged()
{
    emit TextChanged();
    emit propertyChanged(u"Text"_s);
    describe();
}

void VeskTimePicker::describe()
{
    // What a screen reader says of the row: the time as shown, and the tag.
    const QString time = u"%1:%2.%3"_s.arg(FieldValues[0], 2, 10, QLatin1Char('0'))
                             .arg(FieldValues[1], 2, 10, QLatin1Char('0'))
                             .arg(FieldValues[2]);
    const QString tag = txtLyrics->text().trimmed();
    setAccessibleDescription(tag.isEmpty() ? time : time + u", "_s + tag);
}

void VeskTimePicker::moveToSlot(int slot)
{
    if (slot != kTagSlot) {
        SelectField(slot);
        return;
    }
    // Into the box first: disabling the scroll bar while it still holds the
    // focus would send the focus wherever Qt picks.
    txtLyrics->setFocus(Qt::OtherFocusReason);
    if (CurrentField != kTagSlot)
        SelectField(kTagSlot);
}

bool VeskTimePicker::scrollKeyPress(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Right:
        if (CurrentField < 2)
            moveToSlot(CurrentField + 1);
        else if (CurrentField == 2)
            moveToSlot(showTextBox ? kTagSlot : 0);
        else
            moveToSlot(0);
        return true;
    case Qt::Key_Left:
        if (CurrentField >= 1)
            moveToSlot(CurrentField - 1);
        else
            moveToSlot(showTextBox ? kTagSlot : 2);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        syncScrollToField();
        return false;
    default:
        return false;
    }
}

void VeskTimePicker::tagKeyPress(const QKeyEvent *event)
{
    if (event->key() == Qt::Key_Left && txtLyrics->cursorPosition() == 0)
        SelectField(2);
    else if (event->key() == Qt::Key_Right
             && txtLyrics->cursorPosition() == txtLyrics->text().size())
        SelectField(0);
}

void VeskTimePicker::scrollValueChanged(int value)
{
    if (SelectingField || !isTimeField(CurrentField))
        return;
    const int step = kRanges[CurrentField].step;
    if (value % step != 0) {
        // Dragging the handle can stop between two steps of the tenths.
        value -= value % step;
        if (!myScroll->isSliderDown()) {
            const QSignalBlocker quiet(myScroll);
            myScroll->setValue(value);
        }
    }
    SetFieldValue(CurrentField, value);
}

void VeskTimePicker::scrollActionTriggered(int action)
{
    // Qt leaves the arrow buttons and the track where they are when the
    // appearance is inverted: the top arrow still subtracts. Keys and the
    // wheel already go the right way, so only mouse presses are turned round.
    if (!pressingScroll || myScroll->isSliderDown() || !isTimeField(CurrentField))
        return;
    int delta = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        delta = -myScroll->singleStep();
        break;
    case QAbstractSlider::SliderSingleStepSub:
        delta = myScroll->singleStep();
        break;
    case QAbstractSlider::SliderPageStepAdd:
        delta = -myScroll->pageStep();
        break;
    case QAbstractSlider::SliderPageStepSub:
        delta = myScroll->pageStep();
        break;
    default:
        return;
    }
    myScroll->setSliderPosition(
        qBound(myScroll->minimum(), myScroll->value() + delta, myScroll->maximum()));
}

void VeskTimePicker::syncScrollToField()
{
    // Setting a field through its property leaves the bar where it was; a
    // step taken from there would jump from a value no longer shown.
    if (!isTimeField(CurrentField) || myScroll->value() == FieldValues[CurrentField])
        return;
    const QSignalBlocker quiet(myScroll);
    myScroll->setValue(FieldValues[CurrentField]);
}

void VeskTimePicker::focusMoved(QWidget *now)
{
    // Another window (a context menu, a dialog) taking the focus is not
    // leaving the control; the selection stays as the window shows it.
    if (!now || now->window() != window())
        return;
    const bool inside = holds(now);
    if (inside == focusWithin)
        return;
    focusWithin = inside;
    if (inside)
        emit focusReceived();
    else
        HideSelection();
}

bool VeskTimePicker::holds(const QWidget *widget) const
{
    return widget == this || isAncestorOf(widget);
}
