// Writes a synthetic lyrics cache for the benchmarks: N songs, about four per
// artist, over the 26 letter folders, a fifth of them with timestamp files,
// some artists in two letter folders and some names with non-ASCII letters.
// Beside it, a Wine prefix whose registry points the program at it.
//
// Each song holds lyrics a full-text index can be measured on: about 30
// lines and 1.2 KB in stanzas, words from a vocabulary of 6,000 drawn with a
// Zipf-like spread (short words common, long ones rare), some with accented
// letters, a source line at the end and, in every tenth song, a filter mark.
// The same arguments always write the same library. --plain writes the old
// three-line text instead (for the benchmarks that read names only, which
// take the same time either way).
//
// Usage: bench_make_library [--plain] DIR SONGS

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char *const kSyllables[] = {"ka", "lo", "mi", "ne", "ru", "sa", "to", "vi", "be", "da",
                                  "fe", "gu", "ho", "ja", "pe", "qui", "wo", "xe", "yo", "zu"};
const char16_t *const kAccents[] = {u"\u00e9", u"\u00f6", u"\u00f1", u"\u00e5", u"\u00fc"};

QString word(int n, int salt)
{
    QString w;
    for (int i = 0; i < 3; ++i) {
        w += QLatin1StringView(kSyllables[(n + i * 7 + salt) % 20]);
        n /= 20;
    }
    w[0] = w[0].toUpper();
    return w;
}

// splitmix64: small, fast and the same on every machine.
struct Random
{
    std::uint64_t state;
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % std::uint64_t(n)); }
};

// The lyrics' words, most common first, as Windows-1252 bytes: one to three
// syllables (the shorter, the more common), an accented vowel in every
// eleventh.
class Vocabulary
{
public:
    static constexpr int kWords = 6000;

    Vocabulary()
    {
        words.reserve(kWords);
        for (int length = 1; int(words.size()) < kWords; ++length) {
            int combinations = 1;
            for (int i = 0; i < length; ++i)
                combinations *= 20;
            for (int n = 0; n < combinations && int(words.size()) < kWords; ++n) {
                QByteArray w;
                for (int i = 0, rest = n; i < length; ++i, rest /= 20)
                    w += kSyllables[(rest + i * 3) % 20];
                if (words.size() % 11 == 7)
                    accent(w, int(words.size()));
                words.push_back(w);
            }
        }
        // Zipf: the word of rank r comes with a weight of 1 / (r + 1). A
        // table of quantiles makes a draw one look-up; the rarest word still
        // has a few entries of its own.
        std::vector<double> cumulative;
        double sum = 0;
        for (int r = 0; r < kWords; ++r) {
            sum += 1.0 / (r + 1);
            cumulative.push_back(sum);
        }
        quantiles.resize(kQuantiles);
        int r = 0;
        for (int q = 0; q < kQuantiles; ++q) {
            const double p = (q + 0.5) / kQuantiles * sum;
            while (r < kWords - 1 && cumulative[size_t(r)] < p)
                ++r;
            quantiles[size_t(q)] = std::uint16_t(r);
        }
    }

    const QByteArray &draw(Random &random) const
    {
        return words[quantiles[random.next() & (kQuantiles - 1)]];
    }

private:
    static void accent(QByteArray &w, int salt)
    {
        // e -> é, o -> ö, a -> å, u -> ü, i -> ï (Windows-1252 bytes)
        static const char plain[] = "eoaui";
        static const char accented[] = "\xe9\xf6\xe5\xfc\xef";
        for (int k = 0; k < 5; ++k) {
            const char v = plain[(salt + k) % 5];
            const qsizetype at = w.indexOf(v);
            if (at >= 0) {
                w[at] = accented[(salt + k) % 5];
                return;
            }
        }
    }

    static constexpr int kQuantiles = 1 << 18;
    std::vector<QByteArray> words;
    std::vector<std::uint16_t> quantiles;
};

// About 30 lines in stanzas of four to six, six to twelve words a line.
QByteArray lyricsFor(int song, const Vocabulary &vocabulary)
{
    Random random{std::uint64_t(song) * 2654435761ULL + 17};
    QByteArray text;
    text.reserve(1400);
    int lines = 0;
    while (lines < 27) {
        const int stanza = 4 + random.below(3);
        for (int l = 0; l < stanza; ++l, ++lines) {
            const int words = 6 + random.below(7);
            for (int w = 0; w < words; ++w) {
                QByteArray word = vocabulary.draw(random);
                if (w == 0)
                    word[0] = char(std::toupper(static_cast<unsigned char>(word[0])));
                else
                    text += ' ';
                text += word;
            }
            text += "\r\n";
        }
        text += "\r\n";
        ++lines;
    }
    if (song % 10 == 3)
        text += "[Profanity] filter used\r\n";
    text += "* Downloaded from: http://www.lyrics.example/" + QByteArray::number(song) + ".html\r\n";
    return text;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    const bool plain = argc == 4 && std::strcmp(argv[1], "--plain") == 0;
    if (argc != 3 && !plain) {
        std::fprintf(stderr, "usage: %s [--plain] DIR SONGS\n", argv[0]);
        return 2;
    }
    const QString dir = QDir(QString::fromLocal8Bit(argv[argc - 2])).absolutePath();
    const int songs = QByteArray(argv[argc - 1]).toInt();
    const QString cache = dir + QStringLiteral("/install/lyrics/");
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter)
        QDir().mkpath(cache + QChar(letter));

    const Vocabulary vocabulary;
    const QByteArray plainLyrics = "A line of words\r\nand another one\r\n\r\n"
                              "* Downloaded from: http://www.lyrics.example/song.html\r\n";
    int written = 0;
    for (int a = 0; written < songs; ++a) {
        // Artists spread over the alphabet by their first letter.
        const QChar letter(char16_t(u'A' + a % 26));
        QString artist = QString(letter) + word(a / 26, 0).mid(1) + u' ' + word(a, 3);
        if (a % 17 == 0)
            artist += QString::fromUtf16(kAccents[a % 5]);
        const int count = 3 + a % 3; // 3, 4 or 5: about four on average
        for (int s = 0; s < count && written < songs; ++s, ++written) {
            // Every 40th artist has a song in another letter's folder.
            const QChar folder = (a % 40 == 0 && s == count - 1) ? QChar(char16_t(u'A' + (a + 7) % 26)) : letter;
            const QString name = artist + QStringLiteral(" - ") + word(written, 11) + u' ' + word(s, 5);
            const QString base = cache + folder + u'/' + name;
            if (!write(base + QStringLiteral(".txt"), plain ? plainLyrics : lyricsFor(written, vocabulary)))
                return 1;
            if (written % 5 == 0 && !write(base + QStringLiteral(".kas"), QByteArray("FaV1@@C ;t\r\n")))
                return 1;
        }
    }

    // The prefix: Z: is the root, as in every Wine prefix.
    const QString prefix = dir + QStringLiteral("/prefix");
    QDir().mkpath(prefix + QStringLiteral("/dosdevices"));
    QFile::remove(prefix + QStringLiteral("/dosdevices/z:"));
    QFile::link(QStringLiteral("/"), prefix + QStringLiteral("/dosdevices/z:"));
    QString install = QStringLiteral("Z:") + dir + QStringLiteral("/install");
    install.replace(u'/', u'\\');
    install.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    const QByteArray reg = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n"
                           "[Software\\\\Wow6432Node\\\\Quorvane\\\\Wordhive] 1796740575\n"
                           "\"InstallDir\"=\"" + install.toLatin1() + "\"\n";
    if (!write(prefix + QStringLiteral("/system.reg"), reg))
        return 1;
    std::printf("%d songs in %s\n", written, qPrintable(cache));
    return 0;
}
