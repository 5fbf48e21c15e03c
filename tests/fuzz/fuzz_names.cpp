// A file name of any form split into artist and song.

#include "fuzz/FuzzSupport.h"
#include "library/SongNames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = QString::fromUtf8(fuzzInput(data, size));
    const QString artist = ExtractArtist(name);
    const QString song = ExtractSong(name.size() >= 4 ? QStringView(name).chopped(4) : QStringView(name));
    for (const QString &part : {artist, song}) {
        FUZZ_CHECK(!part.startsWith(u' ') && !part.endsWith(u' '));
        FUZZ_CHECK(name.contains(part));
    }
    // Every artist has a node key, and no key is empty or a song's.
    const QString key = artistKey(artist);
    FUZZ_CHECK(!key.isEmpty());
    FUZZ_CHECK(artist.isEmpty() || !key.contains(u'/') || artist.contains(u'/'));
    if (name.size() >= 3)
        FUZZ_CHECK(kasPathFor(name).endsWith(QStringLiteral("kas")));
    return 0;
}
