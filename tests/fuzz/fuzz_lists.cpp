// A list file of any content, and its entries written back.

#include "fuzz/FuzzSupport.h"
#include "lists/ListsModel.h"
#include "text/LosslessText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = LosslessText::decode(fuzzInput(data, size));
    const QStringList entries = parseListText(text);
    // What is loaded saves and loads again as the same entries, through the
    // file's bytes as well.
    FUZZ_CHECK(parseListText(listText(entries)) == entries || entries.isEmpty());
    FUZZ_CHECK(parseListText(LosslessText::decode(LosslessText::encode(listText(entries)))) == entries);
    for (const QString &entry : entries)
        FUZZ_CHECK(!entry.contains(QStringLiteral("\r\n")));
    return 0;
}
