// The escapes of a registry string as Wine writes them.

#include "platform/WinePrefix.h"

namespace WineRegistry {

QString unescape(QStringView escaped)
{
    QString text;
    text.reserve(escaped.size());
    const qsizetype n = escaped.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = escaped[i];
        if (c != u'\\') {
            text.append(c);
            continue;
        }
        if (i + 1 == n) {
            // A lone backslash at the end has nothing to escape.
            text.append(c);
            break;
        }
        const char16_t e = escaped[++i].unicode();
        switch (e) {
        case u'a': text.append(QChar(0x07)); break;
        case u'b': text.append(QChar(0x08)); break;
        case u'e': text.append(QChar(0x1b)); break;
        case u'f': text.append(QChar(0x0c)); break;
        case u'n': text.append(QChar(0x0a)); break;
        case u'r': text.append(QChar(0x0d)); break;
        case u't': text.append(QChar(0x09)); break;
        case u'v': text.append(QChar(0x0b)); break;
        case u'x': {
            char16_t value = 0;
            int digits = 0;
            while (digits < 4 && i + 1 < n) {
                const int digit = hexDigitValue(escaped[i + 1].unicode());
                if (digit < 0)
                    break;
                value = char16_t(value * 16 + digit);
                ++digits;
                ++i;
            }
            text.append(digits > 0 ? QChar(value) : QChar(u'x'));
            break;
        }
        default:
            if (e >= u'0' && e <= u'7') {
                char16_t value = e - u'0';
                int digits = 1;
                while (digits < 3 && i + 1 < n && escaped[i + 1] >= u'0' && escaped[i + 1] <= u'7') {
                    value = char16_t(value * 8 + (escaped[i + 1].unicode() - u'0'));
                    ++digits;
                    ++i;
                }
                text.append(QChar(value));
            } else {
                text.append(QChar(e));
            }
            break;
        }
    }
    return text;
}

} // namespace WineRegistry
