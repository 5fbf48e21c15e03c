#include "text/Folding.h"

#include <QChar>

#include <array>
#include <atomic>
#include <string_view>
#include "text/AsciiBlocks.h"
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// What a character folds to when that is not one unit: the table holds
// kLongForm + the index here. The surrogate range is free for it, since a
// character of the Basic Multilingual Plane never folds to half a pair.
constexpr char16_t kLongForm = 0xD800;
constexpr std::u16string_view kLongForms[] = {u"", u"ae", u"oe", u"ss", u"th", u"ij",
                                              u"ff", u"fi", u"fl", u"ffi", u"ffl", u"st"};

// Letters that keep a stroke or a bar, or join two letters, however their
// accents are taken off: their plain spelling. Lower case only: the
// character is case-folded first.
std::u16string_view plainSpelling(char16_t c)
{
    switch (c) {
    case u'\u00E6': return u"ae"; // æ
    case u'\u0153': return u"oe"; // œ
    case u'\u00DF': return u"ss"; // ß (ẞ folds to it)
    case u'\u00FE': return u"th"; // þ
    case u'\u0133': return u"ij"; // ĳ
    case u'\uFB00': return u"ff";
    case u'\uFB01': return u"fi";
    case u'\uFB02': return u"fl";
    case u'\uFB03': return u"ffi";
    case u'\uFB04': return u"ffl";
    case u'\uFB05':
    case u'\uFB06': return u"st";
    case u'\u00F8': return u"o"; // ø
    case u'\u0111':               // đ
    case u'\u00F0': return u"d"; // ð
    case u'\u0127': return u"h"; // ħ
    case u'\u0142':               // ł
    case u'\u0140': return u"l"; // ŀ
    case u'\u0167': return u"t"; // ŧ
    case u'\u0268':               // ɨ
    case u'\u0131': return u"i"; // ı
    case u'\u01B6': return u"z"; // ƶ
    case u'\u01E5': return u"g"; // ǥ
    case u'\u0180': return u"b"; // ƀ
    default: return {};
    }
}

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
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

// The blocks of combining accents: part of the word they stand in, folded
// to nothing ("cafe" + U+0301 is "cafe").
bool isCombiningAccent(char16_t c)
{
    return (c >= 0x300 && c < 0x370) || (c >= 0x1AB0 && c < 0x1B00) || (c >= 0x1DC0 && c < 0x1E00)
        || (c >= 0x20D0 && c < 0x2100) || (c >= 0xFE20 && c < 0xFE30);
}

// A Latin letter without its accents: its canonical decomposition, as long
// as all that follows the first character is accents ("ǖ" -> "u", "ǿ" ->
// "ø"). Other scripts keep theirs: "й" is no "и" with a mark to a reader.
char16_t withoutAccents(char16_t c)
{
    char16_t base = c;
    while (base < 0x250 || (base >= 0x1E00 && base < 0x1F00)) {
        const QChar q(base);
        if (q.decompositionTag() != QChar::Canonical)
            break;
        const QString d = q.decomposition();
        bool accentsOnly = !d.isEmpty() && !d.at(0).isSurrogate();
        for (qsizetype i = 1; accentsOnly && i < d.size(); ++i)
            accentsOnly = isCombiningAccent(d.at(i).unicode());
        if (!accentsOnly)
            break;
        base = d.at(0).unicode();
    }
    return base;
}

std::u16string_view foldedForm(char16_t c, char16_t &single)
{
    if (isCombiningAccent(c))
        return {};
    char16_t f = char16_t(QChar::toCaseFolded(char32_t(c)));
    f = char16_t(QChar::toCaseFolded(char32_t(withoutAccents(f))));
    if (const std::u16string_view plain = plainSpelling(f); !plain.empty())
        return plain;
    single = f;
    return {&single, 1};
}

// 256 characters of the Basic Multilingual Plane: folded, and which are
// word characters. Made on first use; most text needs a few of them.
struct Page
{
    std::array<char16_t, 256> folded{};
    std::array<quint64, 4> word{};
    explicit Page(unsigned first)
    {
        for (unsigned i = 0; i < 256; ++i) {
            const char16_t c = char16_t(first + i);
            folded[i] = c;
            // Never looked up for a surrogate: pairs and halves are handled apart.
            if (QChar::isSurrogate(c))
                continue;
            if (isWordCategory(QChar::category(char32_t(c))))
                word[i / 64] |= quint64(1) << (i % 64);
            char16_t single = 0;
            const std::u16string_view form = foldedForm(c, single);
            if (form.size() == 1 && !QChar::isSurrogate(form[0])) {
                folded[i] = form[0];
                continue;
            }
            for (size_t k = 0; k < std::size(kLongForms); ++k) {
                if (kLongForms[k] == form)
                    folded[i] = char16_t(kLongForm + k);
            }
        }
    }
    bool isWord(unsigned i) const { return (word[i / 64] >> (i % 64)) & 1; }
};

std::atomic<const Page *> pages[256];

const Page &pageOf(char16_t c)
{
    std::atomic<const Page *> &slot = pages[c >> 8];
    const Page *page = slot.load(std::memory_order_acquire);
    if (page)
        return *page;
    // Two threads may both make it; one keeps its own, the other's goes.
    // Pages live as long as the program.
    const Page *made = new Page(c & 0xFF00u);
    if (slot.compare_exchange_strong(page, made, std::memory_order_acq_rel))
        return *made;
    delete made;
    return *page;
}

// c: not a surrogate.
inline int foldUnit(char16_t c, char16_t *out)
{
    if (c < 0x80) {
        *out = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
        return 1;
    }
    const char16_t f = pageOf(c).folded[c & 0xFF];
    if (!QChar::isSurrogate(f)) {
        *out = f;
        return 1;
    }
    const std::u16string_view form = kLongForms[f - kLongForm];
    for (size_t i = 0; i < form.size(); ++i)
        out[i] = form[i];
    return int(form.size());
}

int foldOutsideThePlane(char32_t c, char16_t *out)
{
    const char32_t f = QChar::toCaseFolded(c);
    if (!QChar::requiresSurrogates(f)) {
        out[0] = char16_t(f);
        return 1;
    }
    out[0] = QChar::highSurrogate(f);
    out[1] = QChar::lowSurrogate(f);
    return 2;
}

} // namespace

int foldCharacter(char32_t c, char16_t *out)
{
    if (QChar::requiresSurrogates(c))
        return foldOutsideThePlane(c, out);
    if (QChar::isSurrogate(c)) {
        out[0] = char16_t(c);
        return 1;
    }
    return foldUnit(char16_t(c), out);
}

bool isWordCharacter(char32_t c)
{
    if (QChar::requiresSurrogates(c))
        return isWordCategory(QChar::category(c));
    if (QChar::isSurrogate(c))
        return false;
    return pageOf(char16_t(c)).isWord(c & 0xFF);
}

QString foldForMatching(QStringView text)
{
    QString folded(text.size() * kMostFoldedUnits, Qt::Uninitialized);
    folded.truncate(foldForMatching(text, reinterpret_cast<char16_t *>(folded.data())));
    return folded;
}

qsizetype foldForMatching(QStringView text, char16_t *out)
{
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
#ifdef __SSE2__
    // Eight characters at a time while they are ASCII, as most names are.
    const __m128i zero = _mm_setzero_si128();
    const __m128i outsideAscii = _mm_set1_epi16(short(0xFF80));
    const __m128i beforeA = _mm_set1_epi16(u'A' - 1);
    const __m128i afterZ = _mm_set1_epi16(u'Z' + 1);
    const __m128i caseBit = _mm_set1_epi16(0x20);
    for (; i + 8 <= size; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, outsideAscii), zero)) != 0xFFFF)
            break;
        const __m128i upper = _mm_and_si128(_mm_cmpgt_epi16(v, beforeA), _mm_cmplt_epi16(v, afterZ));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_add_epi16(v, _mm_and_si128(upper, caseBit)));
    }
#endif
    // The rest one by one; i stands after ASCII characters only, so not
    // inside a surrogate pair.
    qsizetype n = i;
    for (; i < size; ++i) {
        const char16_t c = in[i];
        if (!QChar::isSurrogate(c)) {
            n += foldUnit(c, out + n);
        } else if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1])) {
            n += foldOutsideThePlane(QChar::surrogateToUcs4(c, in[i + 1]), out + n);
            ++i;
        } else {
            out[n++] = c;
        }
    }
    return n;
}

namespace {

// What each Latin-1 character folds to, taken from the folding above once.
struct Latin1Folding
{
    std::array<std::array<char16_t, kMostFoldedUnits>, 256> units{};
    std::array<quint8, 256> count{};
    Latin1Folding()
    {
        for (unsigned c = 0; c < 256; ++c)
            count[c] = quint8(foldUnit(char16_t(c), units[c].data()));
    }
};

} // namespace

qsizetype foldForMatching(QLatin1StringView text, char16_t *out)
{
    static const Latin1Folding table;
    const auto *in = reinterpret_cast<const uchar *>(text.data());
    const qsizetype size = text.size();
    qsizetype i = 0;
#ifdef __SSE2__
    // Sixteen characters at a time while they are ASCII, as most names are.
    for (; i + 16 <= size; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        if (!allAscii16(v))
            break;
        storeWidened16(out + i, lowerAscii16(v));
    }
#endif
    qsizetype n = i;
    for (; i < size; ++i) {
        const uchar c = in[i];
        if (c >= u'A' && c <= u'Z') {
            out[n++] = char16_t(c + 32);
        } else if (c < 0x80) {
            out[n++] = c;
        } else {
            for (quint8 k = 0; k < table.count[c]; ++k)
                out[n++] = table.units[c][k];
        }
    }
    return n;
}

FoldedWords foldedWords(QStringView text)
{
    FoldedWords out;
    out.Folded.resize(text.size() * kMostFoldedUnits);
    char16_t *folded = reinterpret_cast<char16_t *>(out.Folded.data());
    qsizetype n = 0;
    out.List.reserve(size_t(text.size() / 5));
    FoldedWords::Word current;
    bool inWord = false;
    auto finish = [&](qsizetype end) {
        if (!inWord)
            return;
        inWord = false;
        current.End = end;
        current.FoldedLength = n - current.FoldedStart;
        // A word of accents alone folds to nothing: no word.
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
        char32_t c = u;
        qsizetype units = 1;
        if (QChar::isHighSurrogate(u) && i + 1 < size && QChar::isLowSurrogate(chars[i + 1])) {
            c = QChar::surrogateToUcs4(u, chars[i + 1]);
            units = 2;
        }
        if (!isWordCharacter(c)) {
            finish(i);
        } else {
            begin(i);
            n += foldCharacter(c, folded + n);
        }
        i += units - 1;
    }
    finish(size);
    out.Folded.truncate(n);
    return out;
}
