#include "platform/WinePrefix.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringList>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

// Splits a Windows path into its components the way Windows does before it
// looks at the disk: empty components and "." vanish, ".." drops the one
// before it but never climbs above the first `keep` (the root).
QStringList normalizedComponents(QStringView path, qsizetype keep)
{
    QStringList components;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !isSeparator(path[i]))
            continue;
        const QStringView component = path.sliced(start, i - start);
        start = i + 1;
        if (component.isEmpty() || component == u".")
            continue;
        if (component == u"..") {
            if (components.size() > keep)
                components.removeLast();
            continue;
        }
        components.append(component.toString());
    }
    return components;
}

// The entry of folder that Wine would open for name: name itself when it
// exists, else the first (in sorted order) entry equal to it ignoring case.
std::optional<QString> matchEntry(const QString &folder, const QString &name)
{
    const QFileInfo exact(folder + u'/' + name);
    // A drive link whose target is gone is still an entry; accepting it here
    // saves listing the folder.
    if (exact.exists() || exact.isSymLink())
        return name;
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    std::optional<QString> best;
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0 && (!best || entry < *best))
            best = entry;
    }
    return best;
}

// Appends components to base, each in the letter case found on disk, until
// one is not found; from there on they stay as written.
QString resolveComponents(QString base, const QStringList &components)
{
    bool resolving = true;
    for (const QString &component : components) {
        QString name = component;
        if (resolving) {
            if (std::optional<QString> found = matchEntry(base, component))
                name = std::move(*found);
            else
                resolving = false;
        }
        base += u'/' + name;
    }
    return base;
}

} // namespace

WinePrefix::WinePrefix(QString folder)
    : folderPath(std::move(folder))
{
}

QString WinePrefix::defaultFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("WINEPREFIX");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QDir::homePath() + u"/.wine"_s;
}

QString WinePrefix::folder() const
{
    return folderPath;
}

std::optional<QString> WinePrefix::machineValue(const QString &keyPath) const
{
    // An empty folder would otherwise read system.reg from the current folder.
    if (folderPath.isEmpty())
        return std::nullopt;
    // isFile() keeps a folder or a FIFO named system.reg from being read.
    const QFileInfo info(joinPath(folderPath, u"system.reg"_s));
    if (!info.isFile() || info.size() > WineRegistry::kMaxRegistryFileSize)
        return std::nullopt;
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return WineRegistry::machineValue(file, keyPath);
}

QString WinePrefix::toNativePath(const QString &windowsPath) const
{
    QStringView path(windowsPath);
    // The downloader's paths are C strings; nothing after a NUL is part of them.
    const qsizetype nul = path.indexOf(QChar(0));
    if (nul >= 0)
        path = path.first(nul);
    if (path.isEmpty())
        return {};

    const QString devices = joinPath(folderPath, u"dosdevices"_s);
    const bool trailing = isSeparator(path.back());

    bool unc = false;
    // "\\?\" and "\\.\" only switch off Win32 path parsing; an ordinary path follows.
    if (path.startsWith(u"\\\\?\\") || path.startsWith(u"\\\\.\\")) {
        path = path.sliced(4);
        if (path.startsWith(u"UNC\\", Qt::CaseInsensitive)) {
            path = path.sliced(4);
            unc = true;
        }
    } else if (path.startsWith(u"\\\\")) {
        path = path.sliced(2);
        unc = true;
    }

    QString native;
    if (unc) {
        // Server and share form the root that ".." cannot leave.
        QStringList components = normalizedComponents(path, 2);
        components.prepend(u"unc"_s);
        native = resolveComponents(devices, components);
    } else if (path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == u':') {
        QStringList components = normalizedComponents(path.sliced(2), 0);
        components.prepend(path.first(2).toString().toLower());
        native = resolveComponents(devices, components);
    } else {
        // No drive: already native, or relative to a folder we do not know.
        native = path.toString();
        native.replace(u'\\', u'/');
        return native;
    }
    if (trailing && !native.endsWith(u'/'))
        native += u'/';
    return native;
}
