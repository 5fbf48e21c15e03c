#include "library/NodeText.h"

#include <QStringList>

#include <mutex>

namespace {

// Every tag text ever given, once; a tag is its place here, 0 for none.
struct TagTexts
{
    std::mutex lock;
    QStringList texts{QString()};
};

TagTexts &tagTexts()
{
    static TagTexts tags;
    return tags;
}

} // namespace

NodeTag::NodeTag(const QString &text)
{
    if (text.isEmpty())
        return;
    TagTexts &tags = tagTexts();
    const std::lock_guard<std::mutex> guard(tags.lock);
    qsizetype found = tags.texts.indexOf(text);
    if (found < 0) {
        tags.texts.append(text);
        found = tags.texts.size() - 1;
    }
    id = quint32(found);
}

QString NodeTag::toString() const
{
    TagTexts &tags = tagTexts();
    const std::lock_guard<std::mutex> guard(tags.lock);
    return tags.texts.value(id);
}
