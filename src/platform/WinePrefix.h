#pragma once

// The Wine prefix the downloader runs in: its machine registry file, where the
// downloader records its install folder, and the drive links that turn the
// downloader's Windows paths into native ones.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

class QIODevice;

class WinePrefix
{
public:
    // The prefix folder, e.g. /home/u/.wine.
    explicit WinePrefix(QString folder);

    // $WINEPREFIX when set and not empty, else ~/.wine, as Wine itself picks it.
    static QString defaultFolder();

    QString folder() const;

    // First value (in file order) of keyPath under HKEY_LOCAL_MACHINE, given
    // like u"Software\\Quorvane\\Wordhive". The 32-bit view
    // (Software\Wow6432Node\...) is asked first because the downloader is a
    // 32-bit program; the key itself serves 32-bit prefixes. None when the
    // prefix, the file, the key or a text value is missing, or the file is
    // not a Wine registry.
    std::optional<QString> machineValue(const QString &keyPath) const;

    // A path as the downloader writes it (drive letter, backslashes) as a
    // native path with '/' separators, resolving letter case the way Wine
    // does. A trailing separator is kept.
    QString toNativePath(const QString &windowsPath) const;

private:
    QString folderPath;
};

namespace WineRegistry {

// A machine hive is a few megabytes; anything far larger is not one, and
// reading it whole would only cost memory.
inline constexpr qint64 kMaxRegistryFileSize = qint64(256) * 1024 * 1024;

// The first value of exactly keyPath (compared case-insensitively) in the
// content of a Wine registry file, when that value is text.
std::optional<QString> firstValue(QByteArrayView fileContent, QStringView keyPath);

// What WinePrefix::machineValue answers for a machine registry file, read
// from registry in blocks up to where the answer is known; none for a file
// larger than any machine hive.
std::optional<QString> machineValue(QIODevice &registry, const QString &keyPath);

// The value of a hexadecimal digit, or -1.
inline int hexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// A registry string body (what stands between the quotes) with its escapes
// resolved.
QString unescape(QStringView escaped);

} // namespace WineRegistry
