#include "widgets/Accessibility.h"

#include "widgets/SpokenLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QMetaClassInfo>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// "&&" stands for "&"; a single "&" marks a mnemonic and is not read.
QString withoutMnemonics(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&')
                out += text[++i];
            continue;
        }
        out += text[i];
    }
    return out;
}

// A tool button that carries a checkable action, such as a toolbar's Edit.
// Qt's own toggle action flips the button without triggering the action, so
// the command behind it never runs and the two disagree. Here toggling is a
// click, as with the mouse: the action toggles and its command runs once.
class ActionButtonAccessible : public QAccessibleWidget
{
public:
    explicit ActionButtonAccessible(QToolButton *button) : QAccessibleWidget(button) {}

    QAccessible::Role role() const override
    {
        return button()->isCheckable() ? QAccessible::CheckBox : QAccessible::PushButton;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = button()->isCheckable();
        state.checked = button()->isChecked();
        state.pressed = button()->isDown();
        state.hotTracked = button()->autoRaise();
        return state;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            // What the button shows, so that a changed caption is heard.
            const QString name = button()->accessibleName();
            return name.isEmpty() ? withoutMnemonics(button()->text()) : name;
        }
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (button()->isEnabled())
            names.append(button()->isCheckable() ? toggleAction() : pressAction());
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (!button()->isEnabled())
            return;
        if (name == toggleAction() || name == pressAction()) {
            // The click comes after the button's short pressed look, as Qt
            // presses push buttons: the caller has its answer before a
            // message box the command opens holds up the program.
            button()->animateClick();
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    QToolButton *button() const { return static_cast<QToolButton *>(widget()); }
};

// Read as what it shows, in one line, with its title.
class SpokenLabelAccessible : public QAccessibleWidget
{
public:
    explicit SpokenLabelAccessible(SpokenLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<SpokenLabel *>(widget())->spokenText();
        return QAccessibleWidget::text(t);
    }
};

bool declaresWindow(const QMetaObject *meta)
{
    const int index = meta->indexOfClassInfo("accessibleRole");
    return index >= 0 && qstrcmp(meta->classInfo(index).value(), "window") == 0;
}

QAccessibleInterface *interfaceFor(const QString &classname, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    // Qt asks once for the object's own class and then for each base class;
    // only the first question is ours to answer. A widget being destroyed
    // has lost its own class by then and goes to Qt.
    const QMetaObject *meta = object->metaObject();
    if (classname != QLatin1StringView(meta->className()))
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);

    if (auto *label = qobject_cast<SpokenLabel *>(widget))
        return new SpokenLabelAccessible(label);
    if (auto *button = qobject_cast<QToolButton *>(widget)) {
        // A tool bar gives its button the action before anything can ask.
        const QAction *action = button->defaultAction();
        if (action && action->isCheckable() && !button->menu())
            return new ActionButtonAccessible(button);
        return nullptr;
    }
    // Qt reads a window made straight from QWidget as a filler panel;
    // screen readers announce frames, with their title, when they come up.
    if (widget->isWindow() && declaresWindow(meta))
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

namespace Accessibility {

void install()
{
    // Qt keeps a factory once, however often it is installed.
    QAccessible::installFactory(interfaceFor);
}

} // namespace Accessibility
