#include "library/NodeText.h"

#include <QStringList>

#include <algorithm>
#include <mutex>
#include <type_traits>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

bool fitsLatin1(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

void writeLatin1(QStringView text, char *out)
{
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
#ifdef __SSE2__
    // Sixteen at a time: every unit is below 0x100, so packing loses nothing.
    for (; i + 16 <= size; i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i + 8));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_packus_epi16(low, high));
    }
#endif
    for (; i < size; ++i)
        out[i] = char(in[i]);
}

namespace {

// Eight bytes at a time, then mixed so that the low bits (the bucket) hang
// on every byte: a scan looks up an artist per run of songs, and Qt's
// general hash costs more than the look-up itself on names this short.
size_t hashBytes(const char *bytes, std::size_t n, size_t seed)
{
    quint64 h = (quint64(n) ^ quint64(seed)) * 0x9E3779B97F4A7C15ULL;
    for (; n >= 8; n -= 8, bytes += 8) {
        quint64 word;
        std::memcpy(&word, bytes, sizeof word);
        h = (h ^ word) * 0x9E3779B97F4A7C15ULL;
        h ^= h >> 29;
    }
    quint64 tail = 0;
    std::memcpy(&tail, bytes, n);
    h = (h ^ tail) * 0xBF58476D1CE4E5B9ULL;
    return size_t(h ^ (h >> 31));
}

} // namespace

size_t qHash(const NodeText &text, size_t seed) noexcept
{
    // The bytes of the Latin-1 form, whichever way the text is kept: a key
    // looked up as a QString finds the node that keeps it in 8 bits.
    return text.visit([seed](auto view) -> size_t {
        if constexpr (std::is_same_v<decltype(view), QLatin1StringView>) {
            return hashBytes(view.data(), std::size_t(view.size()), seed);
        } else {
            if (!fitsLatin1(view))
                return hashBytes(reinterpret_cast<const char *>(view.utf16()), std::size_t(view.size()) * 2, seed);
            QVarLengthArray<char, 128> bytes(view.size());
            writeLatin1(view, bytes.data());
            return hashBytes(bytes.constData(), std::size_t(bytes.size()), seed);
        }
    });
}

NodeTextUtf16::NodeTextUtf16(NodeText of)
{
    of.visit([this](auto view) {
        if constexpr (std::is_same_v<decltype(view), QStringView>) {
            text = view;
        } else {
            widened.resize(view.size());
            std::transform(view.begin(), view.end(), widened.begin(), [](char c) { return char16_t(uchar(c)); });
            text = QStringView(widened.constData(), widened.size());
        }
    });
}

namespace {

// Every tag text ever given, once; a tag is its place here, 0 for none.
struct TagTexts
{
    std::mutex lock;
    QStringList texts{QString()};
};

TagTexts &tagTexts()
{
    static TagTexts tags;
    return tags;
}

} // namespace

NodeTag::NodeTag(const QString &text)
{
    if (text.isEmpty())
        return;
    TagTexts &tags = tagTexts();
    const std::lock_guard<std::mutex> guard(tags.lock);
    qsizetype found = tags.texts.indexOf(text);
    if (found < 0) {
        tags.texts.append(text);
        found = tags.texts.size() - 1;
    }
    // A handful of texts ever: the program's own.
    Q_ASSERT(found <= 0xFFFF);
    id = quint16(found);
}

QString NodeTag::toString() const
{
    TagTexts &tags = tagTexts();
    const std::lock_guard<std::mutex> guard(tags.lock);
    return tags.texts.value(id);
}
