#include "library/LyricsInfo.h"

#include "library/SongNames.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {
constexpr QStringView kSourceTag = u"* Downloaded from:";
constexpr QStringView kFilterMark = u"] filter used";
} // namespace

QString siteNameOf(QStringView pageUrl)
{
    const qsizetype http = pageUrl.indexOf(u"http://");
    // 0-based start: just after "http://", or the seventh character.
    const qsizetype start = http < 0 ? 6 : http + 7;
    if (start >= pageUrl.size())
        return {};
    const qsizetype slash = pageUrl.indexOf(u'/', start);
    return trimSpaces(slash < 0 ? pageUrl.mid(start) : pageUrl.mid(start, slash - start));
}

LyricsInfo parseLyrics(QStringView text)
{
    LyricsInfo info;
    info.FilterUsed = text.contains(kFilterMark);

    const qsizetype tag = text.lastIndexOf(kSourceTag);
    if (tag < 0)
        return info;
    info.HasSource = true;
    const qsizetype valueStart = tag + kSourceTag.size();
    const qsizetype lineEnd = text.indexOf(u"\r\n", valueStart);
    if (lineEnd >= 0) {
        info.PageUrl = trimSpaces(text.mid(valueStart, lineEnd - valueStart));
    } else {
        // The last line of the file: skip the one separator after the colon,
        // take the rest as it stands.
        info.PageUrl = valueStart + 1 <= text.size() ? text.mid(valueStart + 1).toString() : QString();
    }
    info.SiteName = siteNameOf(info.PageUrl);
    return info;
}

QString lyricsWithoutDownloaderLines(QStringView text)
{
    QStringList kept;
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.contains(kSourceTag) || line.contains(kFilterMark))
            continue;
        kept.append(line.toString());
    }
    auto blank = [](const QString &line) { return line.trimmed().isEmpty(); };
    while (!kept.isEmpty() && blank(kept.constFirst()))
        kept.removeFirst();
    while (!kept.isEmpty() && blank(kept.constLast()))
        kept.removeLast();
    return kept.join(u'\n');
}
