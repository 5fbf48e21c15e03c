// The window values of Vesk.ini, as text, through the parsing and the
// placement on the screens: whatever is stored, the window opens whole and
// visible, and no value overflows on its way to pixels.

#include "app/Twips.h"
#include "app/WindowSettings.h"
#include "fuzz/FuzzSupport.h"

#include <QList>
#include <QRect>
#include <QString>

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Lines: FrmTop, FrmLeft, FrmWidth, FrmHeight, SplitPos, FrmMaximized,
    // then one screen per line as "x y width height".
    const QStringList lines = QString::fromUtf8(fuzzInput(data, size)).split(u'\n');
    auto line = [&](int i) { return i < lines.size() ? lines[i] : QString(); };
    WindowSettings s;
    s.FrmTop = parseTwips(line(0));
    s.FrmLeft = parseTwips(line(1));
    s.FrmWidth = parseTwips(line(2));
    s.FrmHeight = parseTwips(line(3));
    s.SplitPos = parseTwips(line(4));
    s.FrmMaximized = parseBoolean(line(5));

    QList<QRect> screens;
    for (int i = 6; i < lines.size() && screens.size() < 4; ++i) {
        const QStringList n = lines[i].split(u' ', Qt::SkipEmptyParts);
        if (n.size() != 4)
            continue;
        // Screens as a desktop reports them: within 100,000 pixels, and no
        // smaller than the smallest window that can be used.
        auto value = [&](int k, int low) { return std::clamp(n[k].toInt(), low, 100000); };
        screens.append(QRect(value(0, -100000), value(1, -100000), value(2, MinimumWindowSize.width()),
                             value(3, MinimumWindowSize.height())));
    }
    if (screens.isEmpty())
        screens.append(QRect(0, 0, 1280, 1024));

    const WindowPlacement p = placeWindow(s, screens);
    const QRect g = p.Geometry;
    // At least the smallest usable size, unless no screen is that large.
    QSize largest;
    for (const QRect &screen : screens)
        largest = largest.expandedTo(screen.size());
    FUZZ_CHECK(g.width() >= std::min(MinimumWindowSize.width(), largest.width()));
    FUZZ_CHECK(g.height() >= std::min(MinimumWindowSize.height(), largest.height()));
    FUZZ_CHECK(g.width() <= largest.width() && g.height() <= largest.height());
    FUZZ_CHECK(g.width() > 0 && g.height() > 0);
    bool visible = false;
    for (const QRect &screen : screens) {
        const QRect shown = screen.intersected(g);
        visible = visible
            || (shown.width() >= std::min(g.width(), 120) && shown.height() >= std::min(g.height(), 60));
    }
    FUZZ_CHECK(visible);
    const double width = Twips::fromPixels(g.width());
    FUZZ_CHECK(p.SplitPos >= 0 && p.SplitPos <= width + Twips::PerPixel);
    return 0;
}
