// The 8-bit codec: every byte string comes back unchanged; any text encodes.

#include "fuzz/FuzzSupport.h"
#include "text/Cp1252.h"
#include "text/LosslessText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzzInput(data, size);
    const QString text = Cp1252::decode(bytes);
    qsizetype missing = -1;
    FUZZ_CHECK(Cp1252::encode(text, &missing) == bytes);
    FUZZ_CHECK(missing == 0);

    // The same bytes read as UTF-16: any text at all, surrogates and all.
    const QStringView anyText(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2));
    const QByteArray encoded = Cp1252::encode(anyText, &missing);
    FUZZ_CHECK(encoded.size() <= anyText.size());
    FUZZ_CHECK((missing == 0) == Cp1252::canEncode(anyText));

    // The lists' encoding: whatever text reading gives comes back from its
    // bytes unchanged, and code-page text keeps its bytes unless they would
    // read as the byte-order mark.
    const QString read = LosslessText::decode(bytes);
    const QByteArray written = LosslessText::encode(read);
    FUZZ_CHECK(LosslessText::decode(written) == read);
    if (Cp1252::canEncode(read) && !Cp1252::encode(read).startsWith("\xEF\xBB\xBF"))
        FUZZ_CHECK(written == Cp1252::encode(read));
    // Any text without lone surrogates survives as well.
    if (anyText.isValidUtf16())
        FUZZ_CHECK(LosslessText::decode(LosslessText::encode(anyText)) == anyText);
    return 0;
}
