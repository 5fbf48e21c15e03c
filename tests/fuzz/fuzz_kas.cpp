// A timestamp file of any content: read, then written back whatever was read.

#include "fuzz/FuzzSupport.h"
#include "karaoke/KasFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const KasFile kas = parseKas(fuzzInput(data, size));
    std::vector<KasRow> rows;
    for (const KasRecord &record : kas.Records) {
        FUZZ_CHECK(record.Tag.size() <= 2);
        if (record.CodeInRange) {
            // Seconds and tenths always decode in range; minutes may not.
            FUZZ_CHECK(record.Time.Second >= 0 && record.Time.Second <= 59);
            FUZZ_CHECK(record.Time.Frame >= 0 && record.Time.Frame <= 8 && record.Time.Frame % 2 == 0);
        }
        rows.push_back({record.Time, record.Tag});
    }
    const QByteArray written = composeKas(rows, kas.Tail);
    FUZZ_CHECK(written.endsWith("\r\n"));
    if (kas.wellFormed()) {
        // A well-formed file comes back with its tail, as a well-formed file.
        const KasFile again = parseKas(written);
        FUZZ_CHECK(again.HasTail);
        FUZZ_CHECK(again.Tail.startsWith(kas.Tail));
    }
    return 0;
}
