// Reading Wine's registry files: the text format regedit writes (REGEDIT4),
// its escapes and hex values, one key's values out of a file of many.

#include "platform/WinePrefix.h"

#include <QFile>
#include <QIODevice>
#include <QStringList>

#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr QByteArrayView kRegistryHeader = "WINE REGISTRY Version 2";

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ: the types that hold text.
bool isStringType(quint32 type)
{
    return type == 1 || type == 2 || type == 7;
}

// CR counts as blank so that files that went through a Windows editor
// (CR LF line ends) read the same.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

QByteArrayView trimmedStart(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return text.sliced(i);
}

QByteArrayView trimmedEnd(QByteArrayView text)
{
    qsizetype n = text.size();
    while (n > 0 && isBlank(text[n - 1]))
        --n;
    return text.first(n);
}

class LineReader
{
public:
    explicit LineReader(QByteArrayView text)
        : content(text)
    {
    }

    bool next(QByteArrayView &line)
    {
        if (pos >= content.size())
            return false;
        qsizetype end = content.indexOf('\n', pos);
        if (end < 0)
            end = content.size();
        line = content.sliced(pos, end - pos);
        pos = end + 1;
        return true;
    }

private:
    QByteArrayView content;
    qsizetype pos = 0;
};

// Index of the first unescaped `close` at or after `from`, or -1. Only the
// character after a backslash matters here, so octal and hex escapes need no
// special care.
qsizetype findClosing(QByteArrayView text, qsizetype from, char close)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == close)
            return i;
    }
    return -1;
}

// The data part of a value line ("name"=data or @=data), or none when the
// line is not a well-formed value line.
std::optional<QByteArrayView> valueData(QByteArrayView line)
{
    qsizetype i = 0;
    if (line.startsWith('@')) {
        i = 1;
    } else if (line.startsWith('"')) {
        const qsizetype close = findClosing(line, 1, '"');
        if (close < 0)
            return std::nullopt;
        i = close + 1;
    } else {
        return std::nullopt;
    }
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i >= line.size() || line[i] != '=')
        return std::nullopt;
    return trimmedStart(line.sliced(i + 1));
}

// Text up to the first NUL. A Windows program reads its strings as C
// strings, and a NUL must never reach a file name.
QString beforeNul(QString text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

std::optional<QString> nonEmpty(QString text)
{
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

// body starts just after the opening quote.
std::optional<QString> quotedText(QByteArrayView body)
{
    const qsizetype close = findClosing(body, 0, '"');
    if (close < 0)
        return std::nullopt;
    return nonEmpty(beforeNul(WineRegistry::unescape(QString::fromLatin1(body.first(close)))));
}

// Parses the hex type number of "str(N)" / "hex(N)"; text starts after the
// '('. On success `used` is the length up to and including the ')'.
std::optional<quint32> typeNumber(QByteArrayView text, qsizetype &used)
{
    quint32 type = 0;
    qsizetype i = 0;
    // Eight digits fill the 32 bits of a registry type; more is not a type.
    while (i < text.size() && i < 8) {
        const int digit = WineRegistry::hexDigitValue(char16_t(static_cast<unsigned char>(text[i])));
        if (digit < 0)
            break;
        type = type * 16 + quint32(digit);
        ++i;
    }
    if (i == 0 || i >= text.size() || text[i] != ')')
        return std::nullopt;
    used = i + 1;
    return type;
}

// Comma-separated hex bytes, following ",\" continuation lines the way Wine
// wraps long values. None when the data is malformed or ends mid-value.
std::optional<QByteArray> hexBytes(QByteArrayView data, LineReader &reader)
{
    QByteArray bytes;
    QByteArrayView rest = data;
    qsizetype i = 0;
    for (;;) {
        while (i < rest.size() && isBlank(rest[i]))
            ++i;
        if (i >= rest.size())
            return bytes;
        if (rest[i] == '\\') {
            if (!trimmedEnd(rest.sliced(i + 1)).isEmpty() || !reader.next(rest))
                return std::nullopt;
            i = 0;
            continue;
        }
        int value = 0;
        int digits = 0;
        while (digits < 2 && i < rest.size()) {
            const int digit = WineRegistry::hexDigitValue(char16_t(static_cast<unsigned char>(rest[i])));
            if (digit < 0)
                break;
            value = value * 16 + digit;
            ++digits;
            ++i;
        }
        if (digits == 0)
            return std::nullopt;
        bytes.append(char(value));
        while (i < rest.size() && isBlank(rest[i]))
            ++i;
        if (i < rest.size()) {
            if (rest[i] == ',')
                ++i;
            else if (rest[i] != '\\')
                return std::nullopt;
        }
    }
}

QString utf16LeText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = char16_t(static_cast<unsigned char>(bytes[i])
                                       | (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

// The text of a value line, consuming its continuation lines when it wraps.
std::optional<QString> valueText(QByteArrayView line, LineReader &reader)
{
    const std::optional<QByteArrayView> found = valueData(line);
    if (!found)
        return std::nullopt;
    const QByteArrayView data = *found;

    if (data.startsWith('"'))
        return quotedText(data.sliced(1));
    if (data.startsWith("str:\""))
        return quotedText(data.sliced(5));

    const bool isStr = data.startsWith("str(");
    if (isStr || data.startsWith("hex(")) {
        qsizetype used = 0;
        const std::optional<quint32> type = typeNumber(data.sliced(4), used);
        if (!type || !isStringType(*type))
            return std::nullopt;
        const QByteArrayView rest = data.sliced(4 + used);
        if (isStr)
            return rest.startsWith(":\"") ? quotedText(rest.sliced(2)) : std::nullopt;
        if (!rest.startsWith(':'))
            return std::nullopt;
        const std::optional<QByteArray> bytes = hexBytes(rest.sliced(1), reader);
        if (!bytes)
            return std::nullopt;
        return nonEmpty(utf16LeText(*bytes));
    }
    // dword:, hex: and anything unknown: not text.
    return std::nullopt;
}

// True when a value line's hex data goes on in the next line.
bool wrapsToNextLine(QByteArrayView line)
{
    const std::optional<QByteArrayView> data = valueData(line);
    return data && data->startsWith("hex") && trimmedEnd(*data).endsWith('\\');
}

// Whether a "[path] time" line names keyPath. A line whose path does not
// close names no key at all.
bool keyLineNames(QByteArrayView line, QStringView keyPath)
{
    const qsizetype close = findClosing(line, 1, ']');
    if (close < 0)
        return false;
    const QString path = WineRegistry::unescape(QString::fromLatin1(line.sliced(1, close - 1)));
    return path.compare(keyPath, Qt::CaseInsensitive) == 0;
}

// "Software\X" as a 32-bit program on a 64-bit prefix stores it:
// "Software\Wow6432Node\X". Empty when the key lies outside Software.
QString wow64Path(const QString &keyPath)
{
    const QString software = u"Software\\"_s;
    if (!keyPath.startsWith(software, Qt::CaseInsensitive) || keyPath.size() == software.size())
        return {};
    const QString rest = keyPath.sliced(software.size());
    if (rest.startsWith(u"Wow6432Node\\"_s, Qt::CaseInsensitive))
        return {};
    return software + u"Wow6432Node\\"_s + rest;
}

} // namespace

namespace WineRegistry {

std::optional<QString> firstValue(QByteArrayView fileContent, QStringView keyPath)
{
    LineReader reader(fileContent);
    QByteArrayView line;
    if (!reader.next(line) || trimmedEnd(line) != kRegistryHeader)
        return std::nullopt;

    bool inKey = false;
    bool continuation = false;
    while (reader.next(line)) {
        // Wrapped hex data: its lines carry no meaning of their own.
        if (continuation) {
            continuation = trimmedEnd(line).endsWith('\\');
            continue;
        }
        line = trimmedStart(line);
        if (line.isEmpty())
            continue;
        switch (line.front()) {
        case '[':
            inKey = keyLineNames(line, keyPath);
            break;
        case '@':
        case '"':
            // Only the key's first value counts, usable or not.
            if (inKey)
                return valueText(line, reader);
            continuation = wrapsToNextLine(line);
            break;
        default:
            // "#time=", "#class=", "#link", comments and unknown lines.
            break;
        }
    }
    return std::nullopt;
}

namespace {

// Keeps, of a registry file read line by line, the header and the sections
// of the keys asked for, with the continuation lines of their wrapped values:
// what firstValue needs to answer for those keys, and nothing of the
// thousands of other keys of a machine hive.
class SectionFilter
{
public:
    SectionFilter(QString wow64KeyName, QString keyName)
        : wow64Key(std::move(wow64KeyName)), key(std::move(keyName))
    {
    }

    enum class Next { More, Stop };

    Next line(QByteArrayView line)
    {
        if (!headerSeen) {
            headerSeen = true;
            if (trimmedEnd(line) != kRegistryHeader)
                return Next::Stop;
            keep(line);
            return Next::More;
        }
        // Wrapped hex data: its lines carry no meaning of their own, even
        // one that starts like a key.
        if (continuation) {
            continuation = trimmedEnd(line).endsWith('\\');
            if (keeping)
                keep(line);
            return Next::More;
        }
        const QByteArrayView start = trimmedStart(line);
        if (start.startsWith('[')) {
            // The 32-bit view is asked first: once one of its sections is
            // complete and gives a value, the rest of the file cannot change
            // the answer.
            if (inWow64Section && (found = WineRegistry::firstValue(kept, wow64Key)))
                return Next::Stop;
            inWow64Section = !wow64Key.isEmpty() && keyLineNames(start, wow64Key);
            keeping = inWow64Section || keyLineNames(start, key);
        } else if (start.startsWith('@') || start.startsWith('"')) {
            continuation = wrapsToNextLine(start);
        }
        if (keeping)
            keep(line);
        return Next::More;
    }

    std::optional<QString> result() const
    {
        if (found)
            return found;
        if (!headerSeen)
            return std::nullopt;
        if (!wow64Key.isEmpty()) {
            if (std::optional<QString> value = WineRegistry::firstValue(kept, wow64Key))
                return value;
        }
        return WineRegistry::firstValue(kept, key);
    }

private:
    void keep(QByteArrayView line)
    {
        kept.append(line);
        kept.append('\n');
    }

    const QString wow64Key;
    const QString key;
    QByteArray kept;
    std::optional<QString> found;
    bool headerSeen = false;
    bool continuation = false;
    bool keeping = false;
    bool inWow64Section = false;
};

} // namespace

std::optional<QString> machineValue(QIODevice &registry, const QString &keyPath)
{
    // Read in blocks, so that a hive of tens of megabytes never sits in
    // memory whole and the read stops where the answer is known.
    constexpr qint64 kBlock = 64 * 1024;
    SectionFilter filter(wow64Path(keyPath), keyPath);
    QByteArray pending;
    qint64 total = 0;
    bool firstLineRead = false;
    for (;;) {
        const QByteArray block = registry.read(kBlock);
        if (block.isEmpty())
            break;
        total += block.size();
        if (total > kMaxRegistryFileSize)
            return std::nullopt;
        pending.append(block);
        qsizetype start = 0;
        for (qsizetype end; (end = pending.indexOf('\n', start)) >= 0; start = end + 1) {
            firstLineRead = true;
            if (filter.line(QByteArrayView(pending).sliced(start, end - start)) == SectionFilter::Next::Stop)
                return filter.result();
        }
        // A header line does not fill a block: without a line end in it,
        // this is no registry (a binary file, say).
        if (!firstLineRead)
            return std::nullopt;
        pending.remove(0, start);
    }
    // The last line may have no line end.
    if (!pending.isEmpty())
        filter.line(pending);
    return filter.result();
}

} // namespace WineRegistry
