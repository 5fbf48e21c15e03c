#pragma once

// A small control that shows and edits one karaoke stamp: minutes, seconds
// and tenths as mm:ss.t, and a tag of at most two characters. A scroll bar at
// its left changes the selected field; the arrow keys move between the
// fields and the tag box.

#include <QColor>
#include <QVariantMap>
#include <QWidget>

class QLabel;
class QLineEdit;
class QScrollBar;
class QWheelEvent;

class VeskTimePicker : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Minute READ Minute WRITE setMinute NOTIFY MinuteChanged)
    Q_PROPERTY(int Second READ Second WRITE setSecond NOTIFY SecondChanged)
    Q_PROPERTY(int Frame READ Frame WRITE setFrame NOTIFY FrameChanged)
    Q_PROPERTY(QString Text READ Text WRITE setText NOTIFY TextChanged)
    Q_PROPERTY(bool ShowTextBox READ ShowTextBox WRITE setShowTextBox NOTIFY ShowTextBoxChanged)
    Q_PROPERTY(QColor TxtForeColor READ TxtForeColor WRITE setTxtForeColor NOTIFY TxtForeColorChanged)

public:
    explicit VeskTimePicker(QWidget *parent = nullptr);
    ~VeskTimePicker() override;

    // Values outside a field's range (minute 0..13, second 0..59, frame 0..8
    // and even) are ignored. Setting a field never moves the scroll bar.
    int Minute() const;
    void setMinute(int value);
    int Second() const;
    void setSecond(int value);
    int Frame() const;
    void setFrame(int value);
    // At most two characters; longer text is ignored.
    QString Text() const;
    void setText(const QString &text);
    bool ShowTextBox() const;
    void setShowTextBox(bool show);
    QColor TxtForeColor() const;
    void setTxtForeColor(const QColor &color);

    // The persisted properties: "Minute", "Second", "Frame", "Text",
    // "ShowTextBox", "TxtForeColor", matched without regard to case; what is
    // missing takes its default (0, 0, 0, empty, true, black).
    void readProperties(const QVariantMap &bag);
    QVariantMap writeProperties() const;

    // The selected slot: -1 none yet, 0 minute, 1 second, 2 frame, 3 tag box.
    int currentField() const;
    // The frame drawn around the tag box, in pixels.
    QRect focusRect() const;

    // At least an editor row's designed size, more where the fonts need
    // room for their digits or the style for the scroll bar's arrows.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void MinuteChanged();
    void SecondChanged();
    void FrameChanged();
    void TextChanged();
    void ShowTextBoxChanged();
    void TxtForeColorChanged();
    // Any of the above, by property name.
    void propertyChanged(const QString &name);
    // The keyboard focus came into the control (its scroll bar or tag box).
    void focusReceived();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    class TagValidator;

    void SetFieldValue(int field, int value);
    void SelectField(int field);
    void HideSelection();
    void CalcFocusRect();

    // The parts' sizes from the fonts and the style, and where they stand
    // in a control of the current size.
    void measureFields();
    void arrangeFields();
    bool wheelOnField(int field, QWheelEvent *event);
    void showFieldSelected(int field, bool selected);
    void emitFieldChanged(int field);
    void emitTextChanged();
    void describe();
    void moveToSlot(int slot);
    bool scrollKeyPress(const QKeyEvent *event);
    void tagKeyPress(const QKeyEvent *event);
    void scrollValueChanged(int value);
    void scrollActionTriggered(int action);
    void syncScrollToField();
    void focusMoved(QWidget *now);
    bool holds(const QWidget *widget) const;

    QScrollBar *myScroll = nullptr;
    QLabel *myLabel[3] = {};
    QLabel *lblPoints = nullptr;
    QLineEdit *txtLyrics = nullptr;
    TagValidator *tagValidator = nullptr;

    int FieldValues[3] = {};
    int CurrentField = -1;
    bool SelectingField = false;
    bool showTextBox = true;
    QColor txtForeColor = Qt::black;
    QRect tagFrame;

    struct FieldGeometry
    {
        int scrollWidth = 0;
        int labelHeight = 0;
        int labelX[3] = {};
        int labelWidth[3] = {};
        int pointsX = 0;
        QSize tag;
        QSize minimum;
    };
    FieldGeometry fields;
    // Parts of a wheel notch not yet turned into a step.
    int wheelRemainder = 0;

    // Whether the keyboard focus is on this control or one of its children,
    // as far as this window is concerned.
    bool focusWithin = false;
    // A mouse button is held on the scroll bar's arrows or track.
    bool pressingScroll = false;
    QMetaObject::Connection focusTracking;
};
