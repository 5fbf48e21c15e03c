#include "app/ImageList.h"

#include <array>

using namespace Qt::StringLiterals;

// The pictures are compiled into a static library; a reference from code
// that is linked keeps them in the program.
static void initImageResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace ImageList {

QString resourcePath(int index)
{
    return u":/icons/%1.svg"_s.arg(index, 2, 10, QLatin1Char('0'));
}

QIcon icon(int index)
{
    if (index < 1 || index > Count)
        return {};
    static std::array<QIcon, Count> icons = [] {
        initImageResources();
        return std::array<QIcon, Count>{};
    }();
    QIcon &cached = icons[size_t(index - 1)];
    if (cached.isNull())
        cached = QIcon(resourcePath(index));
    return cached;
}

QIcon applicationIcon()
{
    static const bool loaded = (initImageResources(), true);
    Q_UNUSED(loaded);
    return QIcon(u":/icons/stanzabox.svg"_s);
}

} // namespace ImageList
