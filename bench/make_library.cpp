// Writes a synthetic lyrics cache for the benchmarks: N songs, about four per
// artist, over the 26 letter folders, a fifth of them with timestamp files,
// some artists in two letter folders and some names with non-ASCII letters.
// Beside it, a Wine prefix whose registry points the program at it.
//
// Usage: bench_make_library DIR SONGS

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdio>

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

bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DIR SONGS\n", argv[0]);
        return 2;
    }
    const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const int songs = QByteArray(argv[2]).toInt();
    const QString cache = dir + QStringLiteral("/install/lyrics/");
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter)
        QDir().mkpath(cache + QChar(letter));

    const QByteArray lyrics = "A line of words\r\nand another one\r\n\r\n"
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
            if (!write(base + QStringLiteral(".txt"), lyrics))
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
