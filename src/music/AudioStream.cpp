#include "music/AudioStream.h"

#include <QByteArrayView>
#include <QFile>
#include <QtEndian>

#include <taglib/id3v2framefactory.h>
#include <taglib/mpegfile.h>

#include <optional>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A file's bytes, mapped while it lives.
class Mapped
{
public:
    explicit Mapped(const QString &path) : file(path)
    {
        if (!file.open(QIODevice::ReadOnly))
            return;
        const qint64 size = file.size();
        if (size == 0) {
            ok = true;
            return;
        }
        if (uchar *p = file.map(0, size)) {
            bytes = QByteArrayView(reinterpret_cast<const char *>(p), size);
            ok = true;
        }
    }
    bool ok = false;
    QByteArrayView bytes;

private:
    QFile file;
};

quint32 be32(QByteArrayView b, qint64 at)
{
    return qFromBigEndian<quint32>(b.data() + at);
}

quint64 be64(QByteArrayView b, qint64 at)
{
    return qFromBigEndian<quint64>(b.data() + at);
}

// MP3: TagLib finds the first frame after any ID3v2 tag.
std::optional<qint64> mpegAudioStart(const QString &path)
{
    TagLib::MPEG::File f(QFile::encodeName(path).constData(), TagLib::ID3v2::FrameFactory::instance(), false);
    if (!f.isValid())
        return std::nullopt;
    const long first = f.firstFrameOffset();
    return first < 0 ? std::nullopt : std::optional<qint64>(first);
}

// The size of an ID3v2 tag at the start of b (some FLAC files have one), 0
// when there is none.
qint64 leadingId3Size(QByteArrayView b)
{
    if (b.size() < 10 || !b.startsWith("ID3"))
        return 0;
    qint64 size = 0;
    for (int i = 6; i < 10; ++i)
        size = (size << 7) | (quint8(b[i]) & 0x7F);
    return 10 + size + ((quint8(b[5]) & 0x10) ? 10 : 0);
}

std::optional<qint64> flacAudioStart(QByteArrayView b)
{
    qint64 at = leadingId3Size(b);
    if (at + 4 > b.size() || b.sliced(at, 4) != "fLaC")
        return std::nullopt;
    at += 4;
    for (;;) {
        if (at + 4 > b.size())
            return std::nullopt;
        const bool last = quint8(b[at]) & 0x80;
        at += 4 + (be32(b, at) & 0xFFFFFF);
        if (at > b.size())
            return std::nullopt;
        if (last)
            return at;
    }
}

// Ogg: the pages after the header packets, each as the parts that say
// what it carries (flags, granule position, stream, lacing, body).
struct OggPage
{
    QByteArrayView flagsAndGranule; // header type and granule position
    QByteArrayView serial;
    QByteArrayView lacingAndBody;
};

std::optional<std::vector<OggPage>> oggAudioPages(QByteArrayView b, int headerPackets)
{
    std::vector<OggPage> pages;
    int packets = 0;
    qint64 at = 0;
    while (at < b.size()) {
        if (at + 27 > b.size() || b.sliced(at, 4) != "OggS")
            return std::nullopt;
        const int segments = quint8(b[at + 26]);
        if (at + 27 + segments > b.size())
            return std::nullopt;
        qint64 body = 0;
        int ended = 0;
        for (int i = 0; i < segments; ++i) {
            const int lacing = quint8(b[at + 27 + i]);
            body += lacing;
            ended += lacing < 255 ? 1 : 0;
        }
        const qint64 end = at + 27 + segments + body;
        if (end > b.size())
            return std::nullopt;
        if (packets >= headerPackets) {
            pages.push_back({b.sliced(at + 5, 9), b.sliced(at + 14, 4), b.sliced(at + 26, end - at - 26)});
        } else if (packets + ended > headerPackets) {
            // Audio starting inside a header page: not a stream this can check.
            return std::nullopt;
        }
        packets += ended;
        at = end;
    }
    return pages;
}

bool sameOggPages(const std::vector<OggPage> &a, const std::vector<OggPage> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].flagsAndGranule != b[i].flagsAndGranule || a[i].serial != b[i].serial
            || a[i].lacingAndBody != b[i].lacingAndBody)
            return false;
    }
    return true;
}

// MP4 boxes.
struct Box
{
    QByteArrayView type;
    qint64 start = 0;   // of the header
    qint64 payload = 0; // of the contents
    qint64 end = 0;
};

std::optional<std::vector<Box>> boxesIn(QByteArrayView b, qint64 from, qint64 to)
{
    std::vector<Box> boxes;
    while (from < to) {
        if (from + 8 > to)
            return std::nullopt;
        Box box;
        box.start = from;
        box.type = b.sliced(from + 4, 4);
        qint64 size = be32(b, from);
        box.payload = from + 8;
        if (size == 1) {
            if (from + 16 > to)
                return std::nullopt;
            size = qint64(be64(b, from + 8));
            box.payload = from + 16;
        } else if (size == 0) {
            size = to - from;
        }
        if (size < box.payload - from || size > to - from)
            return std::nullopt;
        box.end = from + size;
        boxes.push_back(box);
        from = box.end;
    }
    return boxes;
}

const Box *childBox(const std::vector<Box> &boxes, const char *type)
{
    for (const Box &box : boxes) {
        if (box.type == QByteArrayView(type, 4))
            return &box;
    }
    return nullptr;
}

struct Mp4Audio
{
    std::vector<QByteArrayView> media;            // each mdat's contents
    std::vector<std::pair<int, qint64>> chunks;   // (mdat, offset in it) of every chunk offset
};

std::optional<std::vector<qint64>> chunkOffsets(QByteArrayView b, const Box &trak)
{
    std::vector<qint64> offsets;
    const Box *at = &trak;
    std::optional<std::vector<Box>> inside;
    for (const char *type : {"mdia", "minf", "stbl"}) {
        inside = boxesIn(b, at->payload, at->end);
        if (!inside || !(at = childBox(*inside, type)))
            return std::nullopt;
    }
    inside = boxesIn(b, at->payload, at->end);
    if (!inside)
        return std::nullopt;
    const Box *stco = childBox(*inside, "stco");
    const Box *co64 = childBox(*inside, "co64");
    const Box *table = stco ? stco : co64;
    if (!table || table->payload + 8 > table->end)
        return std::nullopt;
    const qint64 count = be32(b, table->payload + 4);
    const int width = stco ? 4 : 8;
    if (table->payload + 8 + count * width > table->end)
        return std::nullopt;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 at8 = table->payload + 8 + i * width;
        offsets.push_back(stco ? qint64(be32(b, at8)) : qint64(be64(b, at8)));
    }
    return offsets;
}

std::optional<Mp4Audio> mp4Audio(QByteArrayView b)
{
    const std::optional<std::vector<Box>> top = boxesIn(b, 0, b.size());
    if (!top)
        return std::nullopt;
    Mp4Audio audio;
    std::vector<const Box *> mdats;
    for (const Box &box : *top) {
        if (box.type == "mdat") {
            mdats.push_back(&box);
            audio.media.push_back(b.sliced(box.payload, box.end - box.payload));
        } else if (box.type == "moof") {
            return std::nullopt; // fragments locate media by other means
        }
    }
    const Box *moov = childBox(*top, "moov");
    if (!moov)
        return std::nullopt;
    const std::optional<std::vector<Box>> tracks = boxesIn(b, moov->payload, moov->end);
    if (!tracks)
        return std::nullopt;
    for (const Box &trak : *tracks) {
        if (trak.type != "trak")
            continue;
        const std::optional<std::vector<qint64>> offsets = chunkOffsets(b, trak);
        if (!offsets)
            return std::nullopt;
        for (qint64 offset : *offsets) {
            std::pair<int, qint64> place{-1, offset};
            for (size_t i = 0; i < mdats.size(); ++i) {
                if (offset >= mdats[i]->payload && offset < mdats[i]->end)
                    place = {int(i), offset - mdats[i]->payload};
            }
            audio.chunks.push_back(place);
        }
    }
    return audio;
}

AudioComparison unreadable(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return AudioComparison::Unreadable;
}

AudioComparison verdict(bool same, QString *why)
{
    if (!same && why)
        *why = u"the audio would have changed"_s;
    return same ? AudioComparison::Same : AudioComparison::Different;
}

} // namespace

AudioComparison compareAudio(MusicFormat format, const QString &original, const QString &copy, QString *why)
{
    const Mapped a(original);
    const Mapped b(copy);
    if (!a.ok || !b.ok)
        return unreadable(why, u"the file could not be read back"_s);
    switch (format) {
    case MusicFormat::Mp3: {
        const std::optional<qint64> sa = mpegAudioStart(original);
        const std::optional<qint64> sb = mpegAudioStart(copy);
        if (!sa || !sb)
            return unreadable(why, u"no MPEG audio frames were found"_s);
        return verdict(a.bytes.sliced(*sa) == b.bytes.sliced(*sb), why);
    }
    case MusicFormat::Flac: {
        const std::optional<qint64> sa = flacAudioStart(a.bytes);
        const std::optional<qint64> sb = flacAudioStart(b.bytes);
        if (!sa || !sb)
            return unreadable(why, u"the FLAC metadata blocks are broken"_s);
        return verdict(a.bytes.sliced(*sa) == b.bytes.sliced(*sb), why);
    }
    case MusicFormat::OggVorbis:
    case MusicFormat::OggOpus: {
        const int headers = format == MusicFormat::OggVorbis ? 3 : 2;
        const auto pa = oggAudioPages(a.bytes, headers);
        const auto pb = oggAudioPages(b.bytes, headers);
        if (!pa || !pb)
            return unreadable(why, u"the Ogg pages are broken"_s);
        return verdict(sameOggPages(*pa, *pb), why);
    }
    case MusicFormat::Mp4: {
        const std::optional<Mp4Audio> ma = mp4Audio(a.bytes);
        const std::optional<Mp4Audio> mb = mp4Audio(b.bytes);
        if (!ma || !mb)
            return unreadable(why, u"the MP4 boxes could not be followed"_s);
        return verdict(ma->media == mb->media && ma->chunks == mb->chunks, why);
    }
    case MusicFormat::Unknown:
        break;
    }
    return unreadable(why, u"not a music format Stanzabox writes"_s);
}
