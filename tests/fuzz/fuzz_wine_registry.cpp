// The Wine registry reader on any file content, whole or read in blocks; the
// path mapping on any path the registry or settings.txt could hold; the
// prefix line of a Lutris game file.

#include "fuzz/FuzzSupport.h"
#include "platform/WinePrefix.h"
#include "platform/WinePrefixSearch.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// A prefix with a C: drive holding a few folders, made once.
const WinePrefix &prefix()
{
    static QTemporaryDir dir;
    static const WinePrefix made = [] {
        QDir(dir.path()).mkpath(u"drive_c/Program Files/Wordhive/lyrics/A"_s);
        QDir(dir.path()).mkpath(u"dosdevices"_s);
        QFile::link(u"../drive_c"_s, dir.filePath(u"dosdevices/c:"_s));
        return WinePrefix(dir.path());
    }();
    return made;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input = fuzzInput(data, size);
    const std::optional<QString> value = WineRegistry::firstValue(input, u"Software\\Quorvane\\Wordhive");
    if (value) {
        FUZZ_CHECK(!value->isEmpty());
        FUZZ_CHECK(!value->contains(QChar(0)));
    }
    // Read in blocks, the file gives what the whole content gives (a first
    // line longer than a block is no registry, so shorter inputs only).
    if (input.size() < 64 * 1024) {
        std::optional<QString> whole = WineRegistry::firstValue(input, u"Software\\Wow6432Node\\Quorvane\\Wordhive");
        if (!whole)
            whole = WineRegistry::firstValue(input, u"Software\\Quorvane\\Wordhive");
        QByteArray bytes = input.toByteArray();
        QBuffer file(&bytes);
        file.open(QIODevice::ReadOnly);
        FUZZ_CHECK(WineRegistry::machineValue(file, u"Software\\Quorvane\\Wordhive"_s) == whole);
    }
    if (const std::optional<QString> prefix = lutrisGamePrefix(input, u"/home/u"_s))
        FUZZ_CHECK(QDir::isAbsolutePath(*prefix) && !prefix->contains(u'\n'));

    const QString text = QString::fromLatin1(input);
    WineRegistry::unescape(text);

    // A path on drive C: stays on that drive, whatever ".." it holds.
    const QString path = text.left(300);
    const QString native = prefix().toNativePath(path);
    if (path.size() >= 3 && path[0].toLower() == u'c' && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/'))
        FUZZ_CHECK(native.startsWith(prefix().folder() + u"/dosdevices/c:"_s));
    return 0;
}
