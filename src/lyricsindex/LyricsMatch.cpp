#include "lyricsindex/LyricsMatch.h"

#include <algorithm>

QString htmlWithBold(QStringView text, const std::vector<TextSpan> &spans)
{
    std::vector<TextSpan> sorted = spans;
    std::sort(sorted.begin(), sorted.end(), [](const TextSpan &a, const TextSpan &b) { return a.Start < b.Start; });
    QString html;
    qsizetype at = 0;
    for (const TextSpan &s : sorted) {
        const qsizetype start = std::clamp<qsizetype>(s.Start, at, text.size());
        const qsizetype end = std::clamp<qsizetype>(s.Start + s.Length, start, text.size());
        if (end == start)
            continue;
        html += text.mid(at, start - at).toString().toHtmlEscaped();
        html += QLatin1StringView("<b>") + text.mid(start, end - start).toString().toHtmlEscaped()
            + QLatin1StringView("</b>");
        at = end;
    }
    html += text.mid(at).toString().toHtmlEscaped();
    return html;
}
