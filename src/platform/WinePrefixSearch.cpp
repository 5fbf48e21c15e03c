#include "platform/WinePrefixSearch.h"

#include "platform/WinePrefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// A Lutris game file is a few hundred bytes; its "prefix:" sits near the top.
constexpr qint64 kMaxGameFileRead = 1024 * 1024;

QString underHome(const QString &home, const QString &relative)
{
    return home.endsWith(u'/') ? home + relative : home + u'/' + relative;
}

bool isYamlNull(QStringView value)
{
    return value.isEmpty() || value == u"~" || value.compare(u"null", Qt::CaseInsensitive) == 0;
}

// The text of a "prefix:" value: quoted as YAML quotes it, or plain up to a
// comment. None when a quote does not close.
std::optional<QString> yamlScalar(QStringView value)
{
    if (value.startsWith(u'"')) {
        QString text;
        for (qsizetype i = 1; i < value.size(); ++i) {
            if (value[i] == u'"')
                return text;
            if (value[i] == u'\\' && i + 1 < value.size())
                ++i;
            text.append(value[i]);
        }
        return std::nullopt;
    }
    if (value.startsWith(u'\'')) {
        QString text;
        for (qsizetype i = 1; i < value.size(); ++i) {
            if (value[i] == u'\'') {
                if (i + 1 < value.size() && value[i + 1] == u'\'') {
                    text.append(u'\'');
                    ++i;
                    continue;
                }
                return text;
            }
            text.append(value[i]);
        }
        return std::nullopt;
    }
    // A '#' starts a comment only after a blank; "a#b" is a name.
    for (qsizetype i = 1; i < value.size(); ++i) {
        if (value[i] == u'#' && (value[i - 1] == u' ' || value[i - 1] == u'\t')) {
            value = value.first(i);
            break;
        }
    }
    if (isYamlNull(value.trimmed()))
        return std::nullopt;
    return value.trimmed().toString();
}

std::optional<QByteArray> readGameFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(kMaxGameFileRead);
}

// One pass of the search: what was looked at so far, in order.
class Search
{
public:
    explicit Search(const QString &homeFolder) : home(QDir::cleanPath(homeFolder)) {}

    // A folder that is a prefix if anything: listed whether it exists or not.
    void folder(const QString &relative) { lookAt(underHome(home, relative)); }

    // Every prefix folder directly inside a manager's folder.
    void pattern(const QString &relative)
    {
        const QString parent = underHome(home, relative);
        const QStringList names = QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        bool any = false;
        for (const QString &name : names) {
            const QString path = parent + u'/' + name;
            // Game and installer folders sit beside the prefixes (~/Games
            // above all): only folders with a registry count as looked at.
            const QFileInfo registry(path + u"/system.reg"_s);
            if (!registry.exists() && !registry.isSymLink())
                continue;
            any = true;
            lookAt(path);
        }
        if (!any)
            addPlace(homeShortened(parent, home) + u"/*"_s);
    }

    // The prefixes that Lutris's game files name.
    void lutris(const QString &relative)
    {
        const QString parent = underHome(home, relative);
        const QStringList names = QDir(parent).entryList({u"*.yml"_s}, QDir::Files, QDir::Name);
        bool any = false;
        for (const QString &name : names) {
            const std::optional<QByteArray> content = readGameFile(parent + u'/' + name);
            if (!content)
                continue;
            if (const std::optional<QString> prefix = lutrisGamePrefix(*content, home)) {
                any = true;
                lookAt(*prefix);
            }
        }
        if (!any)
            addPlace(homeShortened(parent, home) + u"/*.yml"_s);
    }

    WinePrefixSearch result;

private:
    void lookAt(const QString &path)
    {
        addPlace(homeShortened(path, home));
        // The same prefix reached twice (a Lutris game in ~/Games, a link)
        // is one choice.
        const QString canonical = QFileInfo(path).canonicalFilePath();
        const QString identity = canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
        if (seen.contains(identity))
            return;
        seen.insert(identity);
        if (prefixHasDownloader(path))
            result.found.append(path);
    }

    void addPlace(const QString &place)
    {
        if (!result.places.contains(place))
            result.places.append(place);
    }

    const QString home;
    QSet<QString> seen;
};

} // namespace

WinePrefixSearch searchWinePrefixes(const QString &home)
{
    Search search(home);
    search.folder(u".wine"_s);
    search.pattern(u".local/share/bottles/bottles"_s);
    search.pattern(u".var/app/com.usebottles.bottles/data/bottles/bottles"_s);
    search.lutris(u".config/lutris/games"_s);
    search.pattern(u"Games"_s);
    search.pattern(u".PlayOnLinux/wineprefix"_s);
    search.pattern(u".cxoffice"_s);
    return search.result;
}

bool prefixHasDownloader(const QString &folder)
{
    return WinePrefix(folder).machineValue(kDownloaderKey).has_value();
}

std::optional<QString> lutrisGamePrefix(QByteArrayView gameFile, const QString &home)
{
    const QString text = QString::fromUtf8(gameFile);
    const QString key = u"prefix:"_s;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).sliced(start, end - start).trimmed();
        start = end + 1;
        if (!line.startsWith(key))
            continue;
        std::optional<QString> value = yamlScalar(line.sliced(key.size()).trimmed());
        if (!value)
            continue;
        if (value->startsWith(u"~/"_s))
            value = QDir::cleanPath(home) + value->sliced(1);
        if (!QDir::isAbsolutePath(*value))
            continue;
        return QDir::cleanPath(*value);
    }
    return std::nullopt;
}

QString homeShortened(const QString &path, const QString &home)
{
    const QString base = QDir::cleanPath(home);
    if (base.isEmpty() || base == u"/"_s)
        return path;
    if (path == base)
        return u"~"_s;
    if (path.startsWith(base) && path.size() > base.size() && path[base.size()] == u'/')
        return u'~' + path.sliced(base.size());
    return path;
}
