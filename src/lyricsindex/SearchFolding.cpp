#include "lyricsindex/SearchFolding.h"

#include <QChar>

#include <array>
#include <memory>

namespace {

// In the table: a separator, and a word character that folds to nothing.
constexpr char16_t kSeparator = 0xFFFF;
constexpr char16_t kDropped = 0xFFFE;

bool isWordCategory(QChar::Category c)
{
    switch (c) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Other_PrivateUse:
    case QChar::Mark_NonSpacing:
        return true;
    default:
        return false;
    }
}

// The combining marks unicode61 takes for diacritics and drops; the other
// marks of the block split words.
bool isDiacritic(char32_t c)
{
    switch (c) {
    case 0x300: case 0x301: case 0x302: case 0x303: case 0x304: case 0x306: case 0x307:
    case 0x308: case 0x309: case 0x30A: case 0x30B: case 0x30C: case 0x30F: case 0x311:
    case 0x31B: case 0x323: case 0x324: case 0x325: case 0x326: case 0x327: case 0x328:
    case 0x32D: case 0x32E: case 0x330: case 0x331:
        return true;
    default:
        return false;
    }
}

// unicode61 takes diacritics off Latin letters only, and only where a plain
// letter is left ("ǖ" -> "u", but "ǿ" stays: "ø" is no plain letter).
char16_t withoutDiacritics(char16_t c)
{
    if (!(c < 0x250 || (c >= 0x1E00 && c < 0x1F00)))
        return c;
    char16_t base = c;
    for (int depth = 0; depth < 4; ++depth) {
        const QChar q(base);
        if (q.decompositionTag() != QChar::Canonical)
            break;
        const QString d = q.decomposition();
        if (d.isEmpty())
            break;
        bool allDiacritics = true;
        for (qsizetype i = 1; i < d.size(); ++i)
            allDiacritics = allDiacritics && isDiacritic(d.at(i).unicode());
        if (!allDiacritics)
            break;
        base = d.at(0).unicode();
    }
    return base < 0x80 ? base : c;
}

// Every character of the Basic Multilingual Plane, folded once.
struct FoldTable
{
    std::array<char16_t, 0x10000> folded;
    FoldTable()
    {
        for (char32_t c = 0; c < 0x10000; ++c) {
            if (c >= 0x300 && c < 0x370)
                folded[c] = isDiacritic(c) ? kDropped : kSeparator;
            else if (QChar::isSurrogate(c) || !isWordCategory(QChar::category(c)))
                folded[c] = kSeparator;
            else
                folded[c] = char16_t(QChar::toCaseFolded(char32_t(withoutDiacritics(char16_t(c)))));
        }
    }
};

const FoldTable &table()
{
    static const auto instance = std::make_unique<FoldTable>();
    return *instance;
}

} // namespace

namespace SearchFolding {

Words words(QStringView text)
{
    const FoldTable &t = table();
    Words out;
    // Folding never makes text longer: one unit for one, or none.
    out.Folded.resize(text.size());
    char16_t *folded = reinterpret_cast<char16_t *>(out.Folded.data());
    qsizetype n = 0;
    out.List.reserve(size_t(text.size() / 5));
    Word current;
    bool inWord = false;
    auto finish = [&](qsizetype end) {
        if (!inWord)
            return;
        inWord = false;
        current.End = end;
        current.FoldedLength = n - current.FoldedStart;
        // A word of dropped marks alone folds to nothing; unicode61 has no word there either.
        if (current.FoldedLength > 0)
            out.List.push_back(current);
    };
    auto begin = [&](qsizetype at) {
        if (!inWord) {
            inWord = true;
            current.Start = at;
            current.FoldedStart = n;
        }
    };
    const char16_t *chars = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = chars[i];
        if (QChar::isHighSurrogate(u) && i + 1 < size && QChar::isLowSurrogate(chars[i + 1])) {
            const char32_t c = QChar::surrogateToUcs4(u, chars[i + 1]);
            if (isWordCategory(QChar::category(c))) {
                begin(i);
                const char32_t f = QChar::toCaseFolded(c);
                if (QChar::requiresSurrogates(f)) {
                    folded[n++] = QChar::highSurrogate(f);
                    folded[n++] = QChar::lowSurrogate(f);
                } else {
                    folded[n++] = char16_t(f);
                }
            } else {
                finish(i);
            }
            ++i;
            continue;
        }
        const char16_t f = t.folded[u];
        if (f == kSeparator) {
            finish(i);
            continue;
        }
        begin(i);
        if (f != kDropped)
            folded[n++] = f;
    }
    finish(size);
    out.Folded.truncate(n);
    return out;
}

bool hasWord(QStringView text)
{
    return !words(text).List.empty();
}

} // namespace SearchFolding
