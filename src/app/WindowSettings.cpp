#include "app/WindowSettings.h"

#include "platform/Platform.h"

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
    const WindowSettings defaults;
    auto number = [&](const QString &key, float fallback) {
        return parseTwips(platform.readSetting(kApplication, kSection, key, formatTwips(fallback)));
    };
    WindowSettings s;
    s.FrmTop = number(u"FrmTop"_s, defaults.FrmTop);
    s.FrmLeft = number(u"FrmLeft"_s, defaults.FrmLeft);
    s.FrmWidth = number(u"FrmWidth"_s, defaults.FrmWidth);
    s.FrmHeight = number(u"FrmHeight"_s, defaults.FrmHeight);
    s.SplitPos = number(u"SplitPos"_s, defaults.SplitPos);
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
