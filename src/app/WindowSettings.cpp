#include "app/WindowSettings.h"

#include "app/Twips.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {
const QString kApplication = u"Vesk"_s;
const QString kSection = u"Config"_s;
} // namespace

QString formatTwips(float value)
{
    return QString::number(double(value), 'g', 7);
}

float parseTwips(const QString &text)
{
    bool ok = false;
    const float value = text.trimmed().toFloat(&ok);
    return ok && std::isfinite(value) ? value : 0.0f;
}

bool parseBoolean(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(u"True"_s, Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const double number = t.toDouble(&ok);
    return ok && number != 0.0;
}

WindowSettings readWindowSettings(Platform &platform)
{
    WindowSettings s;
    s.Stored = false;
    // A value missing from the store reads as its default; one there, even
    // empty, as what it says.
    auto number = [&](const QString &key, float fallback) {
        const QString stored = platform.readSetting(kApplication, kSection, key, QString());
        s.Stored = s.Stored || !stored.isNull();
        return stored.isNull() ? fallback : parseTwips(stored);
    };
    s.FrmTop = number(u"FrmTop"_s, s.FrmTop);
    s.FrmLeft = number(u"FrmLeft"_s, s.FrmLeft);
    s.FrmWidth = number(u"FrmWidth"_s, s.FrmWidth);
    s.FrmHeight = number(u"FrmHeight"_s, s.FrmHeight);
    s.SplitPos = number(u"SplitPos"_s, s.SplitPos);
    s.FrmMaximized = parseBoolean(platform.readSetting(kApplication, kSection, u"FrmMaximized"_s, u"False"_s));
    return s;
}

void writeWindowSettings(Platform &platform, const WindowSettings &s)
{
    platform.writeSetting(kApplication, kSection, u"FrmTop"_s, formatTwips(s.FrmTop));
    platform.writeSetting(kApplication, kSection, u"FrmLeft"_s, formatTwips(s.FrmLeft));
    platform.writeSetting(kApplication, kSection, u"FrmWidth"_s, formatTwips(s.FrmWidth));
    platform.writeSetting(kApplication, kSection, u"FrmHeight"_s, formatTwips(s.FrmHeight));
    platform.writeSetting(kApplication, kSection, u"SplitPos"_s, formatTwips(s.SplitPos));
    platform.writeSetting(kApplication, kSection, u"FrmMaximized"_s,
                          s.FrmMaximized ? u"True"_s : u"False"_s);
}

namespace {

// A million pixels each way is more than any desktop spans, and small enough
// that no sum of two such values overflows a pixel count.
constexpr float kFarthestTwips = 1.0e6f * float(Twips::PerPixel);

// The desktop's title bar and borders, which the stored size leaves out.
constexpr QSize kFrameRoom{16, 48};

// A hand-edited or damaged store can hold any number (1e30, -1e30): bring
// each value within what a screen could hold before it becomes pixels.
WindowSettings withinReach(WindowSettings s)
{
    for (float *value : {&s.FrmTop, &s.FrmLeft, &s.FrmWidth, &s.FrmHeight, &s.SplitPos})
        *value = std::isfinite(*value) ? std::clamp(*value, -kFarthestTwips, kFarthestTwips) : 0.0f;
    return s;
}

} // namespace

WindowPlacement placeWindow(const WindowSettings &stored, const QList<QRect> &screens)
{
    const WindowSettings s = withinReach(stored);
    const WindowSettings defaults;
    WindowPlacement placement;
    placement.Maximized = s.FrmMaximized;

    QSize size(Twips::toPixels(s.FrmWidth), Twips::toPixels(s.FrmHeight));
    if (size.width() < MinimumWindowSize.width() || size.height() < MinimumWindowSize.height())
        size = QSize(Twips::toPixels(defaults.FrmWidth), Twips::toPixels(defaults.FrmHeight));
    QSize largest;
    for (const QRect &screen : screens)
        largest = largest.expandedTo(screen.size());
    if (!screens.isEmpty())
        size = size.boundedTo(largest);
    if (!s.Stored && !screens.isEmpty())
        size = size.boundedTo((screens.first().size() - kFrameRoom).expandedTo(QSize(1, 1)));
    const double width = size.width() == Twips::toPixels(s.FrmWidth) ? double(s.FrmWidth)
                                                                     : Twips::fromPixels(size.width());

    QRect geometry(QPoint(Twips::toPixels(s.FrmLeft), Twips::toPixels(s.FrmTop)), size);
    // Enough of the window to grab it and see what it is.
    const QSize enough(qMin(size.width(), 120), qMin(size.height(), 60));
    bool visible = screens.isEmpty();
    for (const QRect &screen : screens) {
        const QRect shown = screen.intersected(geometry);
        visible = visible || (shown.width() >= enough.width() && shown.height() >= enough.height());
    }
    if (!visible) {
        const QRect first = screens.first();
        geometry.moveTopLeft(first.topLeft()
                             + QPoint(Twips::toPixels(defaults.FrmLeft), Twips::toPixels(defaults.FrmTop)));
        if (!first.contains(geometry))
            geometry.moveTopLeft(first.topLeft());
    }
    if (!s.Stored && !screens.isEmpty()) {
        const QRect room = screens.first().adjusted(0, 0, -kFrameRoom.width(), -kFrameRoom.height());
        if (!room.contains(geometry))
            geometry.moveTopLeft(room.topLeft());
    }
    placement.Geometry = geometry;

    // The splitter must lie inside the window; one that does not, or that
    // would leave no room for the tree, goes to a third of the width.
    const double split = s.SplitPos;
    placement.SplitPos = (split < width && split >= 0.1 * width) ? split : width / 3;
    return placement;
}
