#include "widgets/SpokenLabel.h"

#include <QAccessible>

using namespace Qt::StringLiterals;

SpokenLabel::SpokenLabel(QWidget *parent) : QLabel(parent)
{
    // Names from files may look like markup; they are shown as they are.
    setTextFormat(Qt::PlainText);
}

void SpokenLabel::setSpokenTitle(const QString &newTitle)
{
    if (title == newTitle)
        return;
    title = newTitle;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

QString SpokenLabel::spokenText() const
{
    // Line breaks and the spaces that indent a caption are layout; a
    // screen reader would read them as pauses or not at all.
    QStringList parts;
    for (const QString &line : text().split(u'\n')) {
        const QString part = line.trimmed();
        if (!part.isEmpty())
            parts.append(part);
    }
    const QString shown = parts.join(u", "_s);
    if (shown.isEmpty() || title.isEmpty())
        return shown;
    return title + u": "_s + shown;
}
