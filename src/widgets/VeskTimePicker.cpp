#include "widgets/VeskTimePicker.h"

#include "app/Twips.h"
#include "text/Cp1252.h"
#include "widgets/VeskTimePickerFields.h"

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
using namespace VeskTimePickerFields;

namespace {
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
