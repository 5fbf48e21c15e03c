// The source line and the filter mark of a lyrics file of any content.

#include "fuzz/FuzzSupport.h"
#include "library/LyricsInfo.h"
#include "text/Cp1252.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Cp1252::decode(fuzzInput(data, size));
    const LyricsInfo info = parseLyrics(text);
    FUZZ_CHECK(info.HasSource == text.contains(QStringLiteral("* Downloaded from:")));
    FUZZ_CHECK(info.FilterUsed == text.contains(QStringLiteral("] filter used")));
    if (info.HasSource)
        FUZZ_CHECK(!info.PageUrl.contains(QStringLiteral("\r\n")));
    FUZZ_CHECK(info.SiteName.size() <= info.PageUrl.size());
    return 0;
}
