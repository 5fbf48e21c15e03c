// A list file of any content, and its entries written back.

#include "fuzz/FuzzSupport.h"
#include "lists/ListsModel.h"
#include "text/Cp1252.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Cp1252::decode(fuzzInput(data, size));
    const QStringList entries = parseListText(text);
    // What is loaded saves and loads again as the same entries.
    FUZZ_CHECK(parseListText(listText(entries)) == entries || entries.isEmpty());
    for (const QString &entry : entries)
        FUZZ_CHECK(!entry.contains(QStringLiteral("\r\n")));
    return 0;
}
