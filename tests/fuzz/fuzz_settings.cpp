// The [CachePath] line of the downloader's settings.txt, in any file.

#include "app/CacheFolder.h"
#include "fuzz/FuzzSupport.h"
#include "text/Cp1252.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Cp1252::decode(fuzzInput(data, size));
    const std::optional<QString> value = cachePathLineValue(text);
    if (value) {
        // The value is the rest of one line: never a line end in it.
        FUZZ_CHECK(!value->contains(u'\r') && !value->contains(u'\n'));
        FUZZ_CHECK(text.contains(*value));
    }
    return 0;
}
