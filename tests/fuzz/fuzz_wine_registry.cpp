// The Wine registry reader on any file content, and the path mapping on any
// path the registry or settings.txt could hold.

#include "fuzz/FuzzSupport.h"
#include "platform/WinePrefix.h"

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
    const QString text = QString::fromLatin1(input);
    WineRegistry::unescape(text);

    // A path on drive C: stays on that drive, whatever ".." it holds.
    const QString path = text.left(300);
    const QString native = prefix().toNativePath(path);
    if (path.size() >= 3 && path[0].toLower() == u'c' && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/'))
        FUZZ_CHECK(native.startsWith(prefix().folder() + u"/dosdevices/c:"_s));
    return 0;
}
