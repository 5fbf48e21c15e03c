#include "widgets/VeskTimePicker.h"

#include "app/Twips.h"
#include "karaoke/TurnWheel.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The picker between two edits, so the focus has somewhere to leave to and
// come back from.
struct Harness
{
    std::unique_ptr<QWidget> window;
    QLineEdit *before = nullptr;
    VeskTimePicker *picker = nullptr;
    QLineEdit *after = nullptr;
    QScrollBar *scroll = nullptr;
    QLabel *label[3] = {};
    QLabel *points = nullptr;
    QLineEdit *tag = nullptr;
};

// The time properties by field index.
constexpr const char *kFieldProperty[3] = {"Minute", "Second", "Frame"};

std::unique_ptr<Harness> makeHarness()
{
    auto h = std::make_unique<Harness>();
    h->window = std::make_unique<QWidget>();
    h->window->resize(260, 40);
    h->before = new QLineEdit(h->window.get());
    h->before->setObjectName(u"before"_s);
    h->before->setGeometry(0, 0, 60, 22);
    h->picker = new VeskTimePicker(h->window.get());
    h->picker->setGeometry(QRect(QPoint(70, 2), h->picker->sizeHint()));
    h->after = new QLineEdit(h->window.get());
    h->after->setObjectName(u"after"_s);
    h->after->setGeometry(180, 0, 60, 22);
    h->scroll = h->picker->findChild<QScrollBar *>(u"myScroll"_s);
    for (int k = 0; k < 3; ++k)
        h->label[k] = h->picker->findChild<QLabel *>(u"myLabel%1"_s.arg(k));
    h->points = h->picker->findChild<QLabel *>(u"lblPoints"_s);
    h->tag = h->picker->findChild<QLineEdit *>(u"txtLyrics"_s);
    return h;
}

bool showActive(Harness &h)
{
    h.window->show();
    if (!QTest::qWaitForWindowExposed(h.window.get()))
        return false;
    h.window->activateWindow();
    return QTest::qWaitForWindowActive(h.window.get());
}

// Selects a slot the way a user does: a click on its label or on the box.
void clickSlot(const Harness &h, int slot)
{
    if (slot == 3)
        QTest::mouseClick(h.tag, Qt::LeftButton);
    else
        QTest::mouseClick(h.label[slot], Qt::LeftButton, {}, QPoint(2, h.label[slot]->height() - 3));
}

// Keys go where a user's would: to the widget holding the focus.
bool press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = QApplication::focusWidget();
    if (!target)
        return false;
    QTest::keyClick(target, key, modifiers);
    return true;
}

bool shownSelected(const QLabel *label)
{
    return label->backgroundRole() == QPalette::Highlight
           && label->foregroundRole() == QPalette::HighlightedText;
}

bool shownPlain(const QLabel *label)
{
    return label->backgroundRole() == QPalette::Window
           && label->foregroundRole() == QPalette::WindowText;
}

QMetaMethod notifierOf(const QObject *object, const char *property)
{
    const QMetaObject *meta = object->metaObject();
    return meta->property(meta->indexOfProperty(property)).notifySignal();
}

} // namespace

class TestTimePicker : public QObject
{
    Q_OBJECT

private:
    // The selected slot shows as such and holds the keyboard focus.
    void verifySelected(const Harness &h, int slot)
    {
        QCOMPARE(h.picker->currentField(), slot);
        for (int k = 0; k < 3; ++k)
            QVERIFY2(k == slot ? shownSelected(h.label[k]) : shownPlain(h.label[k]),
                     qPrintable(u"label %1"_s.arg(k)));
        QCOMPARE(h.scroll->isEnabled(), slot != 3);
        QCOMPARE(QApplication::focusWidget(), slot == 3 ? static_cast<QWidget *>(h.tag)
                                                        : static_cast<QWidget *>(h.scroll));
    }

private Q_SLOTS:
    void childControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("scroll bar") << u"myScroll"_s << QByteArray("QScrollBar") << QRect(0, 0, 180, 270);
        QTest::newRow("minutes") << u"myLabel0"_s << QByteArray("QLabel") << QRect(195, 0, 210, 270);
        QTest::newRow("points") << u"lblPoints"_s << QByteArray("QLabel") << QRect(420, 0, 300, 240);
        QTest::newRow("seconds") << u"myLabel1"_s << QByteArray("QLabel") << QRect(480, 0, 210, 270);
        QTest::newRow("tenths") << u"myLabel2"_s << QByteArray("QLabel") << QRect(720, 0, 105, 270);
    }

    void childControls()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, kind);
        QFETCH(QRect, twips);
        VeskTimePicker picker;
        picker.resize(picker.sizeHint());
        auto *child = picker.findChild<QWidget *>(name);
        QVERIFY(child);
        QVERIFY(child->inherits(kind.constData()));
        // The designed place and size are the least a part gets: parts grow
        // for their fonts and arrows, and those after them move right.
        const QRect designed = Twips::toPixels(twips.x(), twips.y(), twips.width(), twips.height());
        QVERIFY2(child->x() >= designed.x() && child->width() >= designed.width()
                     && child->height() >= designed.height(),
                 qPrintable(u"%1 at %2,%3 %4x%5"_s.arg(name).arg(child->x()).arg(child->y())
                                .arg(child->width()).arg(child->height())));
        QVERIFY(picker.rect().contains(child->geometry()));
    }

    void initialState()
    {
        VeskTimePicker picker;
        QCOMPARE(picker.Minute(), 0);
        QCOMPARE(picker.Second(), 0);
        QCOMPARE(picker.Frame(), 0);
        QCOMPARE(picker.Text(), QString());
        QCOMPARE(picker.ShowTextBox(), true);
        QCOMPARE(picker.TxtForeColor(), QColor(Qt::black));
        QCOMPARE(picker.currentField(), -1);
        QCOMPARE(picker.sizeHint(),
                 picker.minimumSizeHint().expandedTo({Twips::toPixels(1455), Twips::toPixels(270)}));
        QVERIFY(picker.focusPolicy() & Qt::TabFocus);

        const QStringList captions{u"00"_s, u"00"_s, u"0"_s};
        for (int k = 0; k < 3; ++k) {
            auto *label = picker.findChild<QLabel *>(u"myLabel%1"_s.arg(k));
            QVERIFY(label);
            QCOMPARE(label->text(), captions[k]);
            QVERIFY(label->autoFillBackground());
            QVERIFY(shownPlain(label));
        }
        auto *points = picker.findChild<QLabel *>(u"lblPoints"_s);
        QVERIFY(points);
        QCOMPARE(points->text(), u":   ."_s);
        QVERIFY(points->font().bold());

        auto *scroll = picker.findChild<QScrollBar *>(u"myScroll"_s);
        QVERIFY(scroll);
        QCOMPARE(scroll->orientation(), Qt::Vertical);
        QVERIFY(!scroll->isEnabled());
        // First in the control's own tab order.
        QCOMPARE(picker.nextInFocusChain(), static_cast<QWidget *>(scroll));

        auto *tag = picker.findChild<QLineEdit *>(u"txtLyrics"_s);
        QVERIFY(tag);
        QCOMPARE(tag->maxLength(), 2);
        QVERIFY(tag->isEnabled());
        QVERIFY(tag->isVisibleTo(&picker));
        QCOMPARE(tag->palette().color(QPalette::Text), QColor(Qt::black));
    }

    void captions_data()
    {
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("frame");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("03:07.4") << 3 << 7 << 4 << QStringList{u"03"_s, u"07"_s, u"4"_s};
        QTest::newRow("13:59.8") << 13 << 59 << 8 << QStringList{u"13"_s, u"59"_s, u"8"_s};
        QTest::newRow("10:00.2") << 10 << 0 << 2 << QStringList{u"10"_s, u"00"_s, u"2"_s};
        QTest::newRow("00:05.6") << 0 << 5 << 6 << QStringList{u"00"_s, u"05"_s, u"6"_s};
    }

    void captions()
    {
        QFETCH(int, minute);
        QFETCH(int, second);
        QFETCH(int, frame);
        QFETCH(QStringList, captions);
        VeskTimePicker picker;
        QVERIFY(picker.setProperty("Minute", minute));
        QVERIFY(picker.setProperty("Second", second));
        QVERIFY(picker.setProperty("Frame", frame));
        QCOMPARE(picker.Minute(), minute);
        QCOMPARE(picker.Second(), second);
        QCOMPARE(picker.Frame(), frame);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(picker.findChild<QLabel *>(u"myLabel%1"_s.arg(k))->text(), captions[k]);
    }

    void pointShowsBetweenSecondsAndTenths()
    {
        // The seconds' label lies over the middle of the points' caption; the
        // point has to fall in the gap after it to be seen at all.
        VeskTimePicker picker;
        picker.resize(picker.sizeHint());
        picker.setSecond(0);
        const QImage image = picker.grab().toImage();
        const QColor background = picker.palette().color(QPalette::Window);
        const int gapLeft = picker.findChild<QLabel *>(u"myLabel1"_s)->geometry().right() + 1;
        const int gapRight = picker.findChild<QLabel *>(u"myLabel2"_s)->x() - 1;
        QVERIFY(gapLeft <= gapRight);
        int inked = 0;
        for (int x = gapLeft; x <= gapRight; ++x) {
            for (int y = 0; y < picker.height(); ++y)
                inked += image.pixelColor(x, y) != background;
        }
        QVERIFY(inked > 0);
    }

    void wheelOverAFieldStepsIt_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("notches");
        QTest::addColumn<int>("expected");
        QTest::newRow("minute up") << 0 << 5 << 1 << 6;
        QTest::newRow("minute stays at 0") << 0 << 0 << -1 << 0;
        QTest::newRow("second down two") << 1 << 30 << -2 << 28;
        QTest::newRow("second stops at 59") << 1 << 58 << 3 << 59;
        QTest::newRow("frame up one step") << 2 << 4 << 1 << 6;
        QTest::newRow("frame stays at 8") << 2 << 8 << 1 << 8;
    }

    void wheelOverAFieldStepsIt()
    {
        QFETCH(int, field);
        QFETCH(int, start);
        QFETCH(int, notches);
        QFETCH(int, expected);
        auto h = makeHarness();
        h->picker->setProperty(kFieldProperty[field], start);
        QVERIFY(showActive(*h));
        QVERIFY(turnWheel(h->label[field], notches));
        QCOMPARE(h->picker->property(kFieldProperty[field]).toInt(), expected);
        QCOMPARE(h->label[field]->text().toInt(), expected);
        // The field turned is the one selected, as after a click on it, and
        // the keys go on from the value shown.
        verifySelected(*h, field);
        QVERIFY(press(Qt::Key_Down));
        QCOMPARE(h->picker->property(kFieldProperty[field]).toInt(),
                 qMax(0, expected - (field == 2 ? 2 : 1)));
    }

    void wheelElsewhereGoesOn()
    {
        // Over the arrows, the tag box or between the fields the wheel is
        // not the picker's: it goes on to whatever holds the picker (the
        // editor's rows scroll with it) and changes no value.
        auto h = makeHarness();
        h->picker->setMinute(5);
        h->picker->setSecond(30);
        h->picker->setFrame(4);
        QVERIFY(showActive(*h));
        const QRect gap(h->label[1]->geometry().topRight() + QPoint(1, 0), h->label[2]->geometry().bottomLeft());
        QVERIFY(!turnWheel(h->scroll, 1));
        QVERIFY(!turnWheel(h->tag, 1));
        QVERIFY(!turnWheel(h->picker, gap.center(), -1));
        clickSlot(*h, 1);
        QVERIFY(h->scroll->isEnabled());
        QVERIFY(!turnWheel(h->scroll, 2));
        QVERIFY(!turnWheel(h->scroll, -2));
        QCOMPARE(h->picker->Minute(), 5);
        QCOMPARE(h->picker->Second(), 30);
        QCOMPARE(h->picker->Frame(), 4);
        QCOMPARE(h->scroll->value(), 30);
    }

    void refusedTimeValues_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<int>("value");
        QTest::newRow("minute 14") << QByteArray("Minute") << 14;
        QTest::newRow("minute -1") << QByteArray("Minute") << -1;
        QTest::newRow("second 60") << QByteArray("Second") << 60;
        QTest::newRow("second -1") << QByteArray("Second") << -1;
        QTest::newRow("frame 3") << QByteArray("Frame") << 3;
        QTest::newRow("frame 10") << QByteArray("Frame") << 10;
        QTest::newRow("frame -2") << QByteArray("Frame") << -2;
    }

    void refusedTimeValues()
    {
        QFETCH(QByteArray, property);
        QFETCH(int, value);
        VeskTimePicker picker;
        picker.setMinute(5);
        picker.setSecond(30);
        picker.setFrame(6);
        const QVariantMap saved = picker.writeProperties();
        QStringList captions;
        for (int k = 0; k < 3; ++k)
            captions << picker.findChild<QLabel *>(u"myLabel%1"_s.arg(k))->text();

        QSignalSpy notified(&picker, notifierOf(&picker, property.constData()));
        QSignalSpy anyChange(&picker, &VeskTimePicker::propertyChanged);
        picker.setProperty(property.constData(), value);

        QCOMPARE(picker.writeProperties(), saved);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(picker.findChild<QLabel *>(u"myLabel%1"_s.arg(k))->text(), captions[k]);
        QCOMPARE(notified.count(), 0);
        QCOMPARE(anyChange.count(), 0);
    }

    void acceptedValuesNotifyOnce_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("minute") << QByteArray("Minute") << QVariant(13);
        QTest::newRow("second") << QByteArray("Second") << QVariant(59);
        QTest::newRow("frame") << QByteArray("Frame") << QVariant(8);
        QTest::newRow("text") << QByteArray("Text") << QVariant(u"ab"_s);
        QTest::newRow("show text box") << QByteArray("ShowTextBox") << QVariant(false);
        QTest::newRow("text colour") << QByteArray("TxtForeColor") << QVariant(QColor(Qt::red));
    }

    void acceptedValuesNotifyOnce()
    {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        VeskTimePicker picker;
        QSignalSpy notified(&picker, notifierOf(&picker, property.constData()));
        QSignalSpy anyChange(&picker, &VeskTimePicker::propertyChanged);
        QVERIFY(notified.isValid());
        QVERIFY(picker.setProperty(property.constData(), value));
        QCOMPARE(picker.property(property.constData()), value);
        QCOMPARE(notified.count(), 1);
        QCOMPARE(anyChange.count(), 1);
        QCOMPARE(anyChange.at(0).at(0).toString(), QString::fromLatin1(property));
    }

    void textProperty_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("three characters") << u"abc"_s << false;
        QTest::newRow("two characters") << u"ab"_s << true;
        QTest::newRow("two spaces") << u"  "_s << true;
        QTest::newRow("one character") << u"X"_s << true;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("euro sign") << u"\u20AC"_s << true;
        QTest::newRow("outside Windows-1252") << u"\u0141"_s << false;
    }

    void textProperty()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        VeskTimePicker picker;
        picker.setText(u"zz"_s);
        QSignalSpy notified(&picker, &VeskTimePicker::TextChanged);
        QSignalSpy anyChange(&picker, &VeskTimePicker::propertyChanged);
        picker.setText(text);
        QCOMPARE(picker.Text(), accepted ? text : u"zz"_s);
        QCOMPARE(picker.findChild<QLineEdit *>(u"txtLyrics"_s)->text(), picker.Text());
        QCOMPARE(notified.count(), accepted ? 1 : 0);
        QCOMPARE(anyChange.count(), accepted ? 1 : 0);
        if (accepted)
            QCOMPARE(anyChange.at(0).at(0).toString(), u"Text"_s);
    }

    void invalidColourIgnored()
    {
        VeskTimePicker picker;
        picker.setTxtForeColor(Qt::blue);
        QSignalSpy notified(&picker, &VeskTimePicker::TxtForeColorChanged);
        picker.setTxtForeColor(QColor());
        QCOMPARE(picker.TxtForeColor(), QColor(Qt::blue));
        QCOMPARE(picker.findChild<QLineEdit *>(u"txtLyrics"_s)->palette().color(QPalette::Text),
                 QColor(Qt::blue));
        QCOMPARE(notified.count(), 0);
    }

    void stepKeys_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("start");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("expected");
        QTest::newRow("minute up") << 0 << 4 << Qt::Key_Up << 1 << 5;
        QTest::newRow("minute down") << 0 << 4 << Qt::Key_Down << 1 << 3;
        QTest::newRow("minute page up") << 0 << 4 << Qt::Key_PageUp << 1 << 5;
        QTest::newRow("minute page down") << 0 << 4 << Qt::Key_PageDown << 1 << 3;
        QTest::newRow("minute 13 up stays") << 0 << 13 << Qt::Key_Up << 1 << 13;
        QTest::newRow("minute 0 down stays") << 0 << 0 << Qt::Key_Down << 1 << 0;
        QTest::newRow("second up twice") << 1 << 20 << Qt::Key_Up << 2 << 22;
        QTest::newRow("second 59 up stays") << 1 << 59 << Qt::Key_Up << 1 << 59;
        QTest::newRow("second 0 down stays") << 1 << 0 << Qt::Key_Down << 1 << 0;
        QTest::newRow("frame up") << 2 << 4 << Qt::Key_Up << 1 << 6;
        QTest::newRow("frame page down") << 2 << 6 << Qt::Key_PageDown << 1 << 4;
        QTest::newRow("frame 8 up stays") << 2 << 8 << Qt::Key_Up << 1 << 8;
        QTest::newRow("frame 0 down stays") << 2 << 0 << Qt::Key_Down << 1 << 0;
    }

    void stepKeys()
    {
        QFETCH(int, field);
        QFETCH(int, start);
        QFETCH(Qt::Key, key);
        QFETCH(int, presses);
        QFETCH(int, expected);
        auto h = makeHarness();
        // The other fields sit away from their ends, so a carry would show.
        const int others[3] = {6, 30, 4};
        for (int k = 0; k < 3; ++k)
            h->picker->setProperty(kFieldProperty[k], k == field ? start : others[k]);
        QVERIFY(showActive(*h));
        clickSlot(*h, field);
        verifySelected(*h, field);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(h->scroll->value(), start);

        for (int i = 0; i < presses; ++i)
            QVERIFY(press(key));

        QCOMPARE(h->picker->property(kFieldProperty[field]).toInt(), expected);
        QCOMPARE(h->scroll->value(), expected);
        QCOMPARE(h->label[field]->text().toInt(), expected);
        for (int k = 0; k < 3; ++k) {
            if (k != field)
                QCOMPARE(h->picker->property(kFieldProperty[k]).toInt(), others[k]);
        }
        QCOMPARE(h->picker->currentField(), field);
    }

    void frameStepsStayEven()
    {
        auto h = makeHarness();
        QVERIFY(showActive(*h));
        clickSlot(*h, 2);
        QCOMPARE(h->picker->currentField(), 2);
        for (int expected : {2, 4, 6, 8, 8}) {
            QVERIFY(press(Qt::Key_Up));
            QCOMPARE(h->picker->Frame(), expected);
            QCOMPARE(h->label[2]->text(), QString::number(expected));
        }
        for (int expected : {6, 4, 2, 0, 0}) {
            QVERIFY(press(Qt::Key_Down));
            QCOMPARE(h->picker->Frame(), expected);
        }
        QVERIFY(press(Qt::Key_End));
        QCOMPARE(h->picker->Frame(), 8);
    }

    void oddBarValueNeverReachesFrame_data()
    {
        QTest::addColumn<int>("barValue");
        QTest::addColumn<int>("expected");
        QTest::newRow("1") << 1 << 0;
        QTest::newRow("3") << 3 << 2;
        QTest::newRow("5") << 5 << 4;
        QTest::newRow("7") << 7 << 6;
        QTest::newRow("6") << 6 << 6;
    }

    void oddBarValueNeverReachesFrame()
    {
        // What dragging the handle would do: any value of the bar's range.
        QFETCH(int, barValue);
        QFETCH(int, expected);
        auto h = makeHarness();
        h->picker->setFrame(8);
        QVERIFY(showActive(*h));
        clickSlot(*h, 2);
        QCOMPARE(h->picker->currentField(), 2);
        h->scroll->setValue(barValue);
        QCOMPARE(h->picker->Frame(), expected);
        QCOMPARE(h->label[2]->text(), QString::number(expected));
    }

    void arrowButtons_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("topArrow");
        QTest::addColumn<int>("expected");
        QTest::newRow("minute top raises") << 0 << 5 << true << 6;
        QTest::newRow("minute bottom lowers") << 0 << 5 << false << 4;
        QTest::newRow("minute 13 top stays") << 0 << 13 << true << 13;
        QTest::newRow("minute 0 bottom stays") << 0 << 0 << false << 0;
        QTest::newRow("minute 0 top raises") << 0 << 0 << true << 1;
        QTest::newRow("second top raises") << 1 << 30 << true << 31;
        QTest::newRow("second 59 top stays") << 1 << 59 << true << 59;
        QTest::newRow("frame top raises by two") << 2 << 4 << true << 6;
        QTest::newRow("frame bottom lowers by two") << 2 << 4 << false << 2;
        QTest::newRow("frame 8 top stays") << 2 << 8 << true << 8;
        QTest::newRow("frame 0 bottom stays") << 2 << 0 << false << 0;
    }

    void arrowButtons()
    {
        QFETCH(int, field);
        QFETCH(int, start);
        QFETCH(bool, topArrow);
        QFETCH(int, expected);
        auto h = makeHarness();
        h->picker->setProperty(kFieldProperty[field], start);
        QVERIFY(showActive(*h));
        clickSlot(*h, field);
        QCOMPARE(h->picker->currentField(), field);
        QVERIFY(h->scroll->isEnabled());

        const int x = h->scroll->width() / 2;
        const QPoint end = topArrow ? QPoint(x, 1) : QPoint(x, h->scroll->height() - 2);
        QTest::mouseClick(h->scroll, Qt::LeftButton, {}, end);

        QCOMPARE(h->picker->property(kFieldProperty[field]).toInt(), expected);
        QCOMPARE(h->label[field]->text().toInt(), expected);
        QCOMPARE(h->scroll->value(), expected);
    }

    void moveBetweenFields_data()
    {
        QTest::addColumn<bool>("showTextBox");
        QTest::addColumn<int>("from");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("to");
        QTest::newRow("right minute to second") << true << 0 << Qt::Key_Right << 1;
        QTest::newRow("right second to frame") << true << 1 << Qt::Key_Right << 2;
        QTest::newRow("right frame to tag") << true << 2 << Qt::Key_Right << 3;
        QTest::newRow("right frame to minute, no tag") << false << 2 << Qt::Key_Right << 0;
        QTest::newRow("left frame to second") << true << 2 << Qt::Key_Left << 1;
        QTest::newRow("left second to minute") << true << 1 << Qt::Key_Left << 0;
        QTest::newRow("left minute to tag") << true << 0 << Qt::Key_Left << 3;
        QTest::newRow("left minute to frame, no tag") << false << 0 << Qt::Key_Left << 2;
    }

    void moveBetweenFields()
    {
        QFETCH(bool, showTextBox);
        QFETCH(int, from);
        QFETCH(Qt::Key, key);
        QFETCH(int, to);
        auto h = makeHarness();
        h->picker->setShowTextBox(showTextBox);
        h->picker->setMinute(7);
        h->picker->setSecond(45);
        h->picker->setFrame(2);
        QVERIFY(showActive(*h));
        clickSlot(*h, from);
        verifySelected(*h, from);
        if (QTest::currentTestFailed())
            return;

        QVERIFY(press(key));
        verifySelected(*h, to);
        if (QTest::currentTestFailed())
            return;
        // The key moved the selection, not a value.
        QCOMPARE(h->picker->Minute(), 7);
        QCOMPARE(h->picker->Second(), 45);
        QCOMPARE(h->picker->Frame(), 2);
        if (to != 3) {
            const int values[3] = {7, 45, 2};
            QCOMPARE(h->scroll->value(), values[to]);
        }
    }

    void keysCycleThroughSlots_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QList<int>>("sequence");
        QTest::newRow("right") << Qt::Key_Right << QList<int>{1, 2, 3, 0, 1};
        QTest::newRow("left") << Qt::Key_Left << QList<int>{3, 2, 1, 0, 3};
    }

    void keysCycleThroughSlots()
    {
        QFETCH(Qt::Key, key);
        QFETCH(QList<int>, sequence);
        auto h = makeHarness();
        QVERIFY(showActive(*h));
        clickSlot(*h, 0);
        for (int slot : sequence) {
            QVERIFY(press(key));
            verifySelected(*h, slot);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void tagArrowKeys_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("slot");
        QTest::newRow("left at start") << u"AB"_s << 0 << Qt::Key_Left << 2;
        QTest::newRow("right at end") << u"AB"_s << 2 << Qt::Key_Right << 0;
        QTest::newRow("left inside") << u"AB"_s << 1 << Qt::Key_Left << 3;
        QTest::newRow("right inside") << u"AB"_s << 1 << Qt::Key_Right << 3;
        QTest::newRow("right before end") << u"AB"_s << 0 << Qt::Key_Right << 3;
        QTest::newRow("left on empty") << QString() << 0 << Qt::Key_Left << 2;
        QTest::newRow("right on empty") << QString() << 0 << Qt::Key_Right << 0;
    }

    void tagArrowKeys()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(Qt::Key, key);
        QFETCH(int, slot);
        auto h = makeHarness();
        h->picker->setText(text);
        QVERIFY(showActive(*h));
        clickSlot(*h, 3);
        verifySelected(*h, 3);
        if (QTest::currentTestFailed())
            return;
        h->tag->setCursorPosition(caret);
        QVERIFY(press(key));
        verifySelected(*h, slot);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(h->picker->Text(), text);
    }

    void typingIntoTag_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("inserted");
        QTest::newRow("digit") << Qt::Key_5 << u"5"_s << false;
        QTest::newRow("space") << Qt::Key_Space << u" "_s << false;
        QTest::newRow("at sign, just below A") << Qt::Key_At << u"@"_s << false;
        QTest::newRow("comma") << Qt::Key_Comma << u","_s << false;
        QTest::newRow("capital A") << Qt::Key_A << u"A"_s << true;
        QTest::newRow("small z") << Qt::Key_Z << u"z"_s << true;
        QTest::newRow("full stop") << Qt::Key_Period << u"."_s << true;
        QTest::newRow("e acute") << Qt::Key_Eacute << u"\u00E9"_s << true;
        QTest::newRow("euro sign") << Qt::Key_unknown << u"\u20AC"_s << true;
        QTest::newRow("L with stroke") << Qt::Key_unknown << u"\u0141"_s << false;
        QTest::newRow("Cyrillic") << Qt::Key_unknown << u"\u0416"_s << false;
    }

    void typingIntoTag()
    {
        QFETCH(Qt::Key, key);
        QFETCH(QString, typed);
        QFETCH(bool, inserted);
        auto h = makeHarness();
        QVERIFY(showActive(*h));
        clickSlot(*h, 3);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(h->tag));
        QSignalSpy notified(h->picker, &VeskTimePicker::TextChanged);
        QSignalSpy anyChange(h->picker, &VeskTimePicker::propertyChanged);

        QTest::sendKeyEvent(QTest::Click, h->tag, key, typed, Qt::NoModifier);

        QCOMPARE(h->picker->Text(), inserted ? typed : QString());
        QCOMPARE(notified.count(), inserted ? 1 : 0);
        QCOMPARE(anyChange.count(), inserted ? 1 : 0);
    }

    void tagHoldsTwoCharacters()
    {
        auto h = makeHarness();
        QVERIFY(showActive(*h));
        clickSlot(*h, 3);
        QTest::keyClicks(h->tag, u"ABC"_s);
        QCOMPARE(h->picker->Text(), u"AB"_s);
        QTest::keyClick(h->tag, Qt::Key_Backspace);
        QCOMPARE(h->picker->Text(), u"A"_s);
    }

    void storedDigitStaysEditable()
    {
        // A digit put in through the property must not lock the box, nor
        // open it to typed digits.
        auto h = makeHarness();
        h->picker->setText(u"1"_s);
        QVERIFY(showActive(*h));
        clickSlot(*h, 3);
        h->tag->setCursorPosition(1);
        QTest::keyClick(h->tag, '2');
        QCOMPARE(h->picker->Text(), u"1"_s);
        QTest::keyClick(h->tag, 'a');
        QCOMPARE(h->picker->Text(), u"1a"_s);
        QTest::keyClick(h->tag, Qt::Key_Backspace);
        QCOMPARE(h->picker->Text(), u"1"_s);
        QTest::keyClick(h->tag, Qt::Key_Backspace);
        QCOMPARE(h->picker->Text(), QString());
    }

    void pasteObeysFilter_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("expected");
        QTest::newRow("letters") << u"ab"_s << u"ab"_s;
        QTest::newRow("letter and point") << u"a."_s << u"a."_s;
        QTest::newRow("letter and digit") << u"a1"_s << QString();
        QTest::newRow("space and letter") << u" a"_s << QString();
        QTest::newRow("outside Windows-1252") << u"\u0141"_s << QString();
        QTest::newRow("control character") << u"a\u007F"_s << QString();
    }

    void pasteObeysFilter()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, expected);
        auto h = makeHarness();
        QVERIFY(showActive(*h));
        clickSlot(*h, 3);
        QGuiApplication::clipboard()->setText(clipboard);
        QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
        QTest::keyClick(h->tag, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(h->picker->Text(), expected);
    }

    void leaveAndReturn_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("byTab");
        for (int slot = 0; slot < 4; ++slot) {
            QTest::addRow("slot %d, Tab", slot) << slot << true;
            QTest::addRow("slot %d, click", slot) << slot << false;
        }
    }

    void leaveAndReturn()
    {
        QFETCH(int, slot);
        QFETCH(bool, byTab);
        auto h = makeHarness();
        QVERIFY(showActive(*h));
        clickSlot(*h, slot);
        verifySelected(*h, slot);
        if (QTest::currentTestFailed())
            return;

        QTest::mouseClick(h->after, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(h->after));
        QCOMPARE(h->picker->currentField(), slot);
        QVERIFY(!h->scroll->isEnabled());
        for (QLabel *label : h->label)
            QVERIFY(shownPlain(label));

        if (byTab) {
            QTest::mouseClick(h->before, Qt::LeftButton);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(h->before));
            QTest::keyClick(h->before, Qt::Key_Tab);
        } else {
            // Bare background between the tenths and the tag box.
            QTest::mouseClick(h->picker, Qt::LeftButton, {}, QPoint(62, 9));
        }
        verifySelected(*h, slot);
    }

    void shiftTabLeavesControl_data()
    {
        QTest::addColumn<bool>("showTextBox");
        QTest::addColumn<int>("slot");
        QTest::newRow("from the scroll bar") << true << 1;
        QTest::newRow("from the tag box") << true << 3;
        QTest::newRow("from the scroll bar, no tag box") << false << 0;
    }

    void shiftTabLeavesControl()
    {
        QFETCH(bool, showTextBox);
        QFETCH(int, slot);
        auto h = makeHarness();
        h->picker->setShowTextBox(showTextBox);
        QVERIFY(showActive(*h));
        clickSlot(*h, slot);
        verifySelected(*h, slot);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(press(Qt::Key_Tab, Qt::ShiftModifier));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(h->before));
        QVERIFY(!h->scroll->isEnabled());
        QCOMPARE(h->picker->currentField(), slot);
    }

    void tabWalksThroughControl_data()
    {
        QTest::addColumn<bool>("showTextBox");
        QTest::addColumn<QStringList>("stops");
        QTest::newRow("with tag box") << true << QStringList{u"myScroll"_s, u"txtLyrics"_s, u"after"_s};
        QTest::newRow("without tag box") << false << QStringList{u"myScroll"_s, u"after"_s};
    }

    void tabWalksThroughControl()
    {
        QFETCH(bool, showTextBox);
        QFETCH(QStringList, stops);
        auto h = makeHarness();
        h->picker->setShowTextBox(showTextBox);
        QVERIFY(showActive(*h));
        h->before->setFocus();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(h->before));
        for (const QString &stop : stops) {
            QVERIFY(press(Qt::Key_Tab));
            QCOMPARE(QApplication::focusWidget()->objectName(), stop);
        }
    }

    void focusReceivedFromOutsideOnly_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Tab") << u"tab"_s;
        QTest::newRow("click on a label") << u"label"_s;
        QTest::newRow("click on the tag box") << u"tag"_s;
        QTest::newRow("click on the background") << u"background"_s;
    }

    void focusReceivedFromOutsideOnly()
    {
        QFETCH(QString, way);
        auto h = makeHarness();
        QVERIFY(showActive(*h));
        h->before->setFocus();
        QSignalSpy received(h->picker, &VeskTimePicker::focusReceived);
        QCOMPARE(received.count(), 0);

        if (way == u"tab")
            QTest::keyClick(h->before, Qt::Key_Tab);
        else if (way == u"label")
            clickSlot(*h, 1);
        else if (way == u"tag")
            clickSlot(*h, 3);
        else
            QTest::mouseClick(h->picker, Qt::LeftButton, {}, QPoint(62, 9));
        QCOMPARE(received.count(), 1);

        // Moving about inside is not coming in.
        QVERIFY(press(Qt::Key_Left));
        QVERIFY(press(Qt::Key_Left));
        clickSlot(*h, 2);
        clickSlot(*h, 3);
        clickSlot(*h, 0);
        QCOMPARE(received.count(), 1);

        QTest::mouseClick(h->after, Qt::LeftButton);
        QCOMPARE(received.count(), 1);
        clickSlot(*h, 2);
        QCOMPARE(received.count(), 2);
    }

    void labelColoursFollowSelection()
    {
        auto h = makeHarness();
        QVERIFY(showActive(*h));
        const QColor highlight = h->picker->palette().color(QPalette::Highlight);
        const QColor window = h->picker->palette().color(QPalette::Window);
        QVERIFY(highlight != window);
        // The bottom row of each label is below its text.
        auto pixelOf = [&h](int field) {
            const QImage image = h->picker->grab().toImage();
            const QRect r = h->label[field]->geometry();
            return image.pixelColor(r.left() + 1, r.bottom());
        };
        QCOMPARE(pixelOf(1), window);
        clickSlot(*h, 1);
        QCOMPARE(pixelOf(1), highlight);
        QCOMPARE(pixelOf(0), window);
        QVERIFY(press(Qt::Key_Left));
        QCOMPARE(pixelOf(0), highlight);
        QCOMPARE(pixelOf(1), window);
        QTest::mouseClick(h->after, Qt::LeftButton);
        QCOMPARE(pixelOf(0), window);
    }

    void propertyWhileSelectedKeepsBar_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("afterUp");
        QTest::newRow("minute") << 0 << 2 << 9 << 10;
        QTest::newRow("second") << 1 << 20 << 40 << 41;
        QTest::newRow("frame") << 2 << 2 << 6 << 8;
    }

    void propertyWhileSelectedKeepsBar()
    {
        QFETCH(int, field);
        QFETCH(int, start);
        QFETCH(int, set);
        QFETCH(int, afterUp);
        auto h = makeHarness();
        h->picker->setProperty(kFieldProperty[field], start);
        QVERIFY(showActive(*h));
        clickSlot(*h, field);
        QCOMPARE(h->scroll->value(), start);

        QVERIFY(h->picker->setProperty(kFieldProperty[field], set));
        QCOMPARE(h->picker->property(kFieldProperty[field]).toInt(), set);
        QCOMPARE(h->label[field]->text().toInt(), set);
        QCOMPARE(h->scroll->value(), start);

        // The next step starts from the value shown, not from the bar's.
        QVERIFY(press(Qt::Key_Up));
        QCOMPARE(h->picker->property(kFieldProperty[field]).toInt(), afterUp);
        QCOMPARE(h->label[field]->text().toInt(), afterUp);
    }

    void tagBoxFollowsWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("design") << Twips::toPixels(1350);
        QTest::newRow("editor row") << Twips::toPixels(1455);
        QTest::newRow("wider") << 130;
    }

    void tagBoxFollowsWidth()
    {
        QFETCH(int, width);
        VeskTimePicker picker;
        picker.resize(width, Twips::toPixels(270));
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        auto *tag = picker.findChild<QLineEdit *>(u"txtLyrics"_s);
        const QRect designed = Twips::toPixels(1080, 15, 255, 240);
        const QRect expected(width - designed.width() - 1, designed.y(), designed.width(),
                             designed.height());
        QCOMPARE(tag->geometry(), expected);
        QCOMPARE(picker.focusRect(), QRect(QPoint(expected.left() - 1, 0),
                                           QPoint(expected.right() + 1, Twips::toPixels(270) - 1)));
    }

    void focusFrameDrawn_data()
    {
        QTest::addColumn<bool>("showTextBox");
        QTest::newRow("shown") << true;
        QTest::newRow("hidden") << false;
    }

    void focusFrameDrawn()
    {
        QFETCH(bool, showTextBox);
        VeskTimePicker picker;
        picker.resize(picker.sizeHint());
        picker.setShowTextBox(showTextBox);
        const QImage image = picker.grab().toImage();
        const QColor background = picker.palette().color(QPalette::Window);
        const QRect frame = picker.focusRect();
        int marked = 0;
        int total = 0;
        for (int x = frame.left(); x <= frame.right(); ++x) {
            for (int y : {frame.top(), frame.bottom()}) {
                ++total;
                marked += image.pixelColor(x, y) != background;
            }
        }
        if (showTextBox) {
            // Dotted: marked and unmarked pixels take turns.
            QVERIFY(marked >= total / 3);
            QVERIFY(marked < total);
        } else {
            QCOMPARE(marked, 0);
        }
    }

    void showTextBoxTogglesBox()
    {
        auto h = makeHarness();
        QVERIFY(showActive(*h));
        h->picker->setShowTextBox(false);
        QVERIFY(!h->tag->isVisible());
        QVERIFY(!h->tag->isEnabled());
        h->picker->setShowTextBox(true);
        QVERIFY(h->tag->isVisible());
        QVERIFY(h->tag->isEnabled());
    }

    void textColour()
    {
        VeskTimePicker picker;
        picker.setTxtForeColor(QColor(0x12, 0x34, 0x56));
        QCOMPARE(picker.findChild<QLineEdit *>(u"txtLyrics"_s)->palette().color(QPalette::Text),
                 QColor(0x12, 0x34, 0x56));
    }

    void storedDefaults()
    {
        VeskTimePicker picker;
        picker.setMinute(5);
        picker.setSecond(6);
        picker.setFrame(8);
        picker.setText(u"Qx"_s);
        picker.setShowTextBox(false);
        picker.setTxtForeColor(Qt::red);

        picker.readProperties({});
        QCOMPARE(picker.Minute(), 0);
        QCOMPARE(picker.Second(), 0);
        QCOMPARE(picker.Frame(), 0);
        QCOMPARE(picker.Text(), QString());
        QCOMPARE(picker.ShowTextBox(), true);
        QCOMPARE(picker.TxtForeColor(), QColor(Qt::black));
        auto *tag = picker.findChild<QLineEdit *>(u"txtLyrics"_s);
        QVERIFY(tag->isVisibleTo(&picker));
        QVERIFY(tag->isEnabled());
        QCOMPARE(picker.findChild<QLabel *>(u"myLabel0"_s)->text(), u"00"_s);

        const QStringList keys = picker.writeProperties().keys();
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()),
                 (QSet<QString>{u"Minute"_s, u"Second"_s, u"Frame"_s, u"Text"_s, u"ShowTextBox"_s,
                                u"TxtForeColor"_s}));
    }

    void storedRoundTrip_data()
    {
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("frame");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("showTextBox");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("03:07.4") << 3 << 7 << 4 << u"AB"_s << true << QColor(Qt::red);
        QTest::newRow("13:59.8 hidden box") << 13 << 59 << 8 << QString() << false << QColor(Qt::blue);
        QTest::newRow("accents") << 0 << 1 << 2 << u"\u00E9."_s << true << QColor(1, 2, 3);
    }

    void storedRoundTrip()
    {
        QFETCH(int, minute);
        QFETCH(int, second);
        QFETCH(int, frame);
        QFETCH(QString, text);
        QFETCH(bool, showTextBox);
        QFETCH(QColor, colour);
        VeskTimePicker source;
        source.setMinute(minute);
        source.setSecond(second);
        source.setFrame(frame);
        source.setText(text);
        source.setShowTextBox(showTextBox);
        source.setTxtForeColor(colour);
        const QVariantMap bag = source.writeProperties();

        VeskTimePicker loaded;
        loaded.readProperties(bag);
        QCOMPARE(loaded.Minute(), minute);
        QCOMPARE(loaded.Second(), second);
        QCOMPARE(loaded.Frame(), frame);
        QCOMPARE(loaded.Text(), text);
        QCOMPARE(loaded.ShowTextBox(), showTextBox);
        QCOMPARE(loaded.TxtForeColor(), colour);
        auto *tag = loaded.findChild<QLineEdit *>(u"txtLyrics"_s);
        QCOMPARE(tag->isVisibleTo(&loaded), showTextBox);
        QCOMPARE(tag->isEnabled(), showTextBox);
        QCOMPARE(tag->palette().color(QPalette::Text), colour);
        QCOMPARE(loaded.writeProperties(), bag);
    }

    void storedKeysIgnoreCase_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QByteArray>("property");
        QTest::newRow("text") << u"text"_s << QVariant(u"Hi"_s) << QByteArray("Text");
        QTest::newRow("TEXT") << u"TEXT"_s << QVariant(u"Yo"_s) << QByteArray("Text");
        QTest::newRow("minute") << u"minute"_s << QVariant(5) << QByteArray("Minute");
        QTest::newRow("sEcOnD") << u"sEcOnD"_s << QVariant(9) << QByteArray("Second");
        QTest::newRow("FRAME") << u"FRAME"_s << QVariant(6) << QByteArray("Frame");
        QTest::newRow("showtextbox") << u"showtextbox"_s << QVariant(false) << QByteArray("ShowTextBox");
        QTest::newRow("txtforecolor") << u"txtforecolor"_s << QVariant(QColor(Qt::green))
                                      << QByteArray("TxtForeColor");
    }

    void storedKeysIgnoreCase()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QByteArray, property);
        VeskTimePicker picker;
        picker.readProperties({{key, stored}});
        QCOMPARE(picker.property(property.constData()), stored);
    }

    void storedValuesOutOfRange_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("minute 20") << u"Minute"_s << QVariant(20) << 13;
        QTest::newRow("minute -3") << u"Minute"_s << QVariant(-3) << 0;
        QTest::newRow("minute not a number") << u"Minute"_s << QVariant(u"x"_s) << 0;
        QTest::newRow("second 75") << u"Second"_s << QVariant(75) << 59;
        QTest::newRow("second as text") << u"Second"_s << QVariant(u"42"_s) << 42;
        QTest::newRow("frame 5") << u"Frame"_s << QVariant(5) << 4;
        QTest::newRow("frame 9") << u"Frame"_s << QVariant(9) << 8;
        QTest::newRow("frame 12") << u"Frame"_s << QVariant(12) << 8;
        QTest::newRow("frame -1") << u"Frame"_s << QVariant(-1) << 0;
    }

    void storedValuesOutOfRange()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(int, expected);
        VeskTimePicker picker;
        picker.readProperties({{key, stored}});
        QCOMPARE(picker.property(key.toLatin1().constData()).toInt(), expected);
        const int field = QStringList{u"Minute"_s, u"Second"_s, u"Frame"_s}.indexOf(key);
        QCOMPARE(picker.findChild<QLabel *>(u"myLabel%1"_s.arg(field))->text().toInt(), expected);
    }

    void storedTagThatDoesNotFit_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("three characters") << u"ABC"_s;
        QTest::newRow("outside Windows-1252") << u"\u0141"_s;
    }

    void storedTagThatDoesNotFit()
    {
        QFETCH(QString, stored);
        VeskTimePicker picker;
        picker.setText(u"Zz"_s);
        picker.readProperties({{u"Text"_s, stored}});
        QCOMPARE(picker.Text(), QString());
    }
};

int runTimePickerTests(int argc, char **argv)
{
    TestTimePicker tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_timepicker.moc"
