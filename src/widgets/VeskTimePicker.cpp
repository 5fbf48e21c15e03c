#include "widgets/VeskTimePicker.h"

#include "app/Twips.h"
#include "text/Cp1252.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QValidator>
#include <QWheelEvent>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

struct FieldRange
{
    int maximum;
    int step;
};

// Minute, second and tenths; the tenths move two at a time, so only even
// values are ever stored.
constexpr FieldRange kRanges[3] = {{13, 1}, {59, 1}, {8, 2}};

constexpr QStringView kPropNames[3] = {u"Minute", u"Second", u"Frame"};

constexpr int kTagSlot = 3;
constexpr int kMaxTagLength = 2;

bool isTimeField(int field)
{
    return field >= 0 && field < kTagSlot;
}

bool fieldAccepts(int field, int value)
{
    const FieldRange &range = kRanges[field];
    return value >= 0 && value <= range.maximum && value % range.step == 0;
}

// A stored value from an old or hand-edited file: the nearest value the field
// can hold, rounding odd tenths down.
int clampToField(int field, int value)
{
    const FieldRange &range = kRanges[field];
    value = qBound(0, value, range.maximum);
    return value - value % range.step;
}

// The tag is written to an 8-bit Windows-1252 file, so a character that has
// no byte there would come back as '?'. Digits and punctuation are kept out
// because tags are letters, the point being the one exception.
bool typeableInTag(QChar c)
{
    if (c == u'.')
        return true;
    if (c.unicode() < u'A' || c.category() == QChar::Other_Control)
        return false;
    return Cp1252::canEncode(QStringView(&c, 1));
}

// What the Text property and the store accept: nothing the file could not
// hold, and never more than the box holds.
bool storableTag(const QString &text)
{
    return text.size() <= kMaxTagLength && Cp1252::canEncode(text);
}

QFont fieldFont()
{
    QFont font(u"Arial"_s);
    font.setPointSizeF(9.75);
    return font;
}

QVariant lookUp(const QVariantMap &bag, QStringView key)
{
    // The store has used "text" as well as "Text" over the years.
    for (auto it = bag.cbegin(); it != bag.cend(); ++it) {
        if (QStringView(it.key()).compare(key, Qt::CaseInsensitive) == 0)
            return it.value();
    }
    return {};
}

} // namespace

// Refuses typed and pasted text the tag may not hold. Text the program put in
// itself (a digit from an old file, say) may stay: refusing every later edit
// because of it would lock the box, and Qt stops validating altogether once
// the content is already invalid.
class VeskTimePicker::TagValidator : public QValidator
{
public:
    using QValidator::QValidator;

    void setKept(const QString &text) { kept = text; }

    State validate(QString &input, int &) const override
    {
        QString allowance = kept;
        for (QChar c : std::as_const(input)) {
            if (typeableInTag(c))
                continue;
            const qsizetype at = allowance.indexOf(c);
            if (at < 0)
                return Invalid;
            allowance.remove(at, 1);
        }
        return Acceptable;
    }

private:
    QString kept;
};

VeskTimePicker::VeskTimePicker(QWidget *parent)
    : QWidget(parent)
{
    // The scroll bar is disabled until a field is selected, so the control
    // itself is the tab stop and hands the focus on.
    setFocusPolicy(Qt::StrongFocus);

    // Created first so it comes first in the tab order.
    myScroll = new QScrollBar(Qt::Vertical, this);
    myScroll->setAccessibleName(u"Change the selected field"_s);
    myScroll->setObjectName(u"myScroll"_s);
    // The largest value sits at the top so that Up raises the field. Mouse
    // presses on the arrows are turned round in scrollActionTriggered, as Qt
    // keeps the arrow buttons in place when the appearance is inverted.
    myScroll->setInvertedAppearance(true);
    myScroll->setInvertedControls(false);
    myScroll->setFocusPolicy(Qt::StrongFocus);
    myScroll->setEnabled(false);
    myScroll->installEventFilter(this);

    const QFont digits = fieldFont();
    auto makeLabel = [this](const QString &name, const QString &caption, const QFont &font) {
        auto *label = new QLabel(caption, this);
        label->setObjectName(name);
        label->setFont(font);
        // All labels are equally high and centred, so the digits and the
        // points share one baseline.
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setTextFormat(Qt::PlainText);
        return label;
    };

    myLabel[0] = makeLabel(u"myLabel0"_s, u"00"_s, digits);
    QFont points = digits;
    points.setBold(true);
    lblPoints = makeLabel(u"lblPoints"_s, u":   ."_s, points);
    myLabel[1] = makeLabel(u"myLabel1"_s, u"00"_s, digits);
    myLabel[2] = makeLabel(u"myLabel2"_s, u"0"_s, digits);
    for (int k = 0; k < kTagSlot; ++k) {
        myLabel[k]->setAutoFillBackground(true);
        showFieldSelected(k, false);
        myLabel[k]->installEventFilter(this);
    }

    txtLyrics = new QLineEdit(this);
    txtLyrics->setAccessibleName(u"Tag"_s);
    txtLyrics->setObjectName(u"txtLyrics"_s);
    QFont mono(u"Courier New"_s);
    mono.setPointSizeF(9.75);
    mono.setStyleHint(QFont::TypeWriter);
    txtLyrics->setFont(mono);
    txtLyrics->setMaxLength(kMaxTagLength);
    tagValidator = new TagValidator(txtLyrics);
    txtLyrics->setValidator(tagValidator);
    {
        QPalette palette = txtLyrics->palette();
        palette.setColor(QPalette::Text, txtForeColor);
        txtLyrics->setPalette(palette);
    }
    txtLyrics->installEventFilter(this);
    connect(txtLyrics, &QLineEdit::textChanged, this, &VeskTimePicker::emitTextChanged);

    connect(myScroll, &QScrollBar::valueChanged, this, &VeskTimePicker::scrollValueChanged);
    connect(myScroll, &QScrollBar::actionTriggered, this, &VeskTimePicker::scrollActionTriggered);
    connect(myScroll, &QScrollBar::sliderReleased, this, &VeskTimePicker::syncScrollToField);

    focusTracking = connect(qApp, &QApplication::focusChanged, this,
                            [this](QWidget *, QWidget *now) { focusMoved(now); });

    measureFields();
    resize(qMax(Twips::toPixels(1350), fields.minimum.width()), fields.minimum.height());
    arrangeFields();
}

VeskTimePicker::~VeskTimePicker()
{
    // QWidget's destructor moves the focus away from the children it
    // deletes, when only the QWidget base of this object is left.
    disconnect(focusTracking);
}

int VeskTimePicker::Minute() const
{
    return FieldValues[0];
}

void VeskTimePicker::setMinute(int value)
{
    if (fieldAccepts(0, value))
        SetFieldValue(0, value);
}

int VeskTimePicker::Second() const
{
    return FieldValues[1];
}

void VeskTimePicker::setSecond(int value)
{
    if (fieldAccepts(1, value))
        SetFieldValue(1, value);
}

int VeskTimePicker::Frame() const
{
    return FieldValues[2];
}

void VeskTimePicker::setFrame(int value)
{
    if (fieldAccepts(2, value))
        SetFieldValue(2, value);
}

QString VeskTimePicker::Text() const
{
    return txtLyrics->text();
}

void VeskTimePicker::setText(const QString &text)
{
    if (!storableTag(text))
        return;
    tagValidator->setKept(text);
    if (text == txtLyrics->text())
        emitTextChanged();
    else
        txtLyrics->setText(text); // textChanged notifies
}

bool VeskTimePicker::ShowTextBox() const
{
    return showTextBox;
}

void VeskTimePicker::setShowTextBox(bool show)
{
    showTextBox = show;
    txtLyrics->setVisible(show);
    txtLyrics->setEnabled(show);
    update();
    emit ShowTextBoxChanged();
    emit propertyChanged(u"ShowTextBox"_s);
}

QColor VeskTimePicker::TxtForeColor() const
{
    return txtForeColor;
}

void VeskTimePicker::setTxtForeColor(const QColor &color)
{
    // An invalid colour would be saved as one and read back as black.
    if (!color.isValid())
        return;
    txtForeColor = color;
    QPalette palette = txtLyrics->palette();
    palette.setColor(QPalette::Text, color);
    txtLyrics->setPalette(palette);
    emit TxtForeColorChanged();
    emit propertyChanged(u"TxtForeColor"_s);
}

void VeskTimePicker::readProperties(const QVariantMap &bag)
{
    for (int field = 0; field < kTagSlot; ++field) {
        bool ok = false;
        const int stored = lookUp(bag, kPropNames[field]).toInt(&ok);
        SetFieldValue(field, ok ? clampToField(field, stored) : 0);
    }

    const QString text = lookUp(bag, u"Text").toString();
    setText(storableTag(text) ? text : QString());

    const QVariant show = lookUp(bag, u"ShowTextBox");
    const QColor color = lookUp(bag, u"TxtForeColor").value<QColor>();
    setTxtForeColor(color.isValid() ? color : QColor(Qt::black));
    setShowTextBox(show.isValid() ? show.toBool() : true);
}

QVariantMap VeskTimePicker::writeProperties() const
{
    return {
        {u"Minute"_s, FieldValues[0]},
        {u"Second"_s, FieldValues[1]},
        {u"Frame"_s, FieldValues[2]},
        {u"Text"_s, txtLyrics->text()},
        {u"ShowTextBox"_s, showTextBox},
        {u"TxtForeColor"_s, txtForeColor},
    };
}

int VeskTimePicker::currentField() const
{
    return CurrentField;
}

QRect VeskTimePicker::focusRect() const
{
    return tagFrame;
}

QSize VeskTimePicker::sizeHint() const
{
    // The size of an editor row, or more where the fonts or the style need it.
    return fields.minimum.expandedTo({Twips::toPixels(1455), Twips::toPixels(270)});
}

QSize VeskTimePicker::minimumSizeHint() const
{
    return fields.minimum;
}

bool VeskTimePicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == myScroll) {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (scrollKeyPress(static_cast<QKeyEvent *>(event)))
                return true;
            break;
        case QEvent::MouseButtonPress:
            if (myScroll->isEnabled()
                && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
                syncScrollToField();
                pressingScroll = true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                pressingScroll = false;
            break;
        case QEvent::Wheel:
            // The arrows answer clicks and keys. A wheel turned over them is
            // meant for the rows around the control, and goes on to them.
            event->ignore();
            return true;
        default:
            break;
        }
    } else if (watched == txtLyrics) {
        if (event->type() == QEvent::FocusIn)
            SelectField(kTagSlot);
        else if (event->type() == QEvent::KeyPress)
            tagKeyPress(static_cast<QKeyEvent *>(event));
    } else {
        for (int k = 0; k < kTagSlot; ++k) {
            if (watched != myLabel[k])
                continue;
            if (event->type() == QEvent::MouseButtonPress
                && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                SelectField(k);
            else if (event->type() == QEvent::Wheel && wheelOnField(k, static_cast<QWheelEvent *>(event)))
                return true;
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void VeskTimePicker::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrangeFields();
}

void VeskTimePicker::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange) {
        measureFields();
        arrangeFields();
        updateGeometry();
    }
}

void VeskTimePicker::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!showTextBox)
        return;
    // The box has no frame of its own at this height; this one stands in.
    QPen pen(palette().color(QPalette::WindowText), 1);
    pen.setCosmetic(true);
    pen.setDashPattern({1.0, 1.0});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(tagFrame.adjusted(0, 0, -1, -1));
}

void VeskTimePicker::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);

    // Shift+Tab from the scroll bar or the tag box lands on the control
    // itself, which comes before them in the tab chain. Handing the focus
    // back to a field would trap it here, so it goes on backwards.
    if (event->reason() == Qt::BacktabFocusReason && focusWithin) {
        focusNextPrevChild(false);
        if (!hasFocus())
            return;
    }

    int field = CurrentField < 0 ? 0 : CurrentField;
    if (field == kTagSlot && !showTextBox)
        field = 0;
    if (field == kTagSlot) {
        // The tag slot needs the box itself to hold the focus; its FocusIn
        // selects the slot.
        txtLyrics->setFocus(event->reason());
        return;
    }
    SelectField(field);
}

void VeskTimePicker::SetFieldValue(int field, int value)
{
    if (!isTimeField(field))
        return;
    FieldValues[field] = value;
    const QString caption = QString::number(value);
    myLabel[field]->setText(field == 2 ? caption : caption.rightJustified(2, u'0'));
    emitFieldChanged(field);
}

void VeskTimePicker::SelectField(int field)
{
    if (field < 0 || field > kTagSlot)
        return;
    const bool wasSelecting = std::exchange(SelectingField, true);
    if (field != kTagSlot) {
        showFieldSelected(field, true);
        myScroll->setEnabled(true);
        myScroll->setFocus();
    }
    if (field != CurrentField) {
        if (isTimeField(CurrentField))
            showFieldSelected(CurrentField, false);
        if (field == kTagSlot) {
            pressingScroll = false;
            myScroll->setEnabled(false);
        } else {
            const FieldRange &range = kRanges[field];
            myScroll->setRange(0, range.maximum);
            myScroll->setSingleStep(range.step);
            myScroll->setPageStep(range.step);
            myScroll->setValue(FieldValues[field]);
        }
        CurrentField = field;
    }
    SelectingField = wasSelecting;
}

void VeskTimePicker::HideSelection()
{
    if (!isTimeField(CurrentField))
        return;
    showFieldSelected(CurrentField, false);
    pressingScroll = false;
    myScroll->setEnabled(false);
}

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
