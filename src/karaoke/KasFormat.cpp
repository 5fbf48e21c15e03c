#include "karaoke/KasFormat.h"

#include <cmath>

Stamp DecodeStamp(quint8 high, quint8 low)
{
    const int v = (int(high) - 64) * 64 + (int(low) - 64);
    Stamp s;
    s.Minute = v / 300;
    const int r = v - s.Minute * 300;
    s.Second = r / 5;
    s.Frame = (r - s.Second * 5) * 2;
    return s;
}

QByteArray EncodeStamp(int minute, int second, int frame)
{
    int t = minute * 300 + second * 5 + frame / 2;
    if (t < 0)
        t = 0;
    QByteArray code(2, Qt::Uninitialized);
    code[0] = char(t / 64 + 64);
    code[1] = char(t % 64 + 64);
    return code;
}

bool KasFile::wellFormed() const
{
    if (!HasTail)
        return false;
    for (const KasRecord &r : Records) {
        if (!r.CodeInRange)
            return false;
    }
    return true;
}

int kasRecordCount(qsizetype sectionLength)
{
    return int(std::nearbyint(double(sectionLength) / 4.0)); // the default mode rounds halves to even
}

KasFile parseKas(QByteArrayView bytes)
{
    KasFile file;
    const qsizetype semicolon = bytes.indexOf(';');
    file.HasTail = semicolon >= 0;
    const QByteArrayView section = file.HasTail ? bytes.first(semicolon) : bytes;
    if (file.HasTail)
        file.Tail = bytes.sliced(semicolon).toByteArray();

    const int count = kasRecordCount(section.size());
    file.Records.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const qsizetype at = qsizetype(i) * 4;
        const auto high = quint8(section[at]);
        const auto low = quint8(section[at + 1]);
        KasRecord record;
        record.Time = DecodeStamp(high, low);
        record.CodeInRange = high >= 64 && low >= 64;
        record.Tag = section.sliced(at + 2, std::min<qsizetype>(2, section.size() - at - 2)).toByteArray();
        file.Records.push_back(std::move(record));
    }
    return file;
}

bool isBlankKasTag(QByteArrayView tag)
{
    return (tag.size() < 1 || tag[0] == ' ') && (tag.size() < 2 || tag[1] == ' ');
}

QByteArray composeKas(const std::vector<KasRow> &rows, QByteArrayView tail)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(rows.size()) * 4 + tail.size() + 2);
    for (const KasRow &row : rows) {
        if (isBlankKasTag(row.Tag))
            continue;
        bytes += EncodeStamp(row.Time.Minute, row.Time.Second, row.Time.Frame);
        bytes += (row.Tag + "  ").left(2);
    }
    bytes += tail;
    if (!tail.endsWith("\r\n"))
        bytes += "\r\n";
    return bytes;
}
