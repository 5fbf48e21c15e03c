#include "karaoke/StampTime.h"

#include <algorithm>

namespace StampTime {

int steps(const Stamp &stamp)
{
    return stamp.Minute * 300 + stamp.Second * 5 + stamp.Frame / 2;
}

Stamp fromSteps(int value)
{
    const int t = std::clamp(value, 0, LastStep);
    return {t / 300, t % 300 / 5, t % 5 * 2};
}

int stepsAt(qint64 positionMs)
{
    return int(std::clamp<qint64>(positionMs / StepMs, 0, LastStep));
}

QString positionText(qint64 positionMs)
{
    const qint64 tenths = std::max<qint64>(positionMs, 0) / 100;
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

} // namespace StampTime
