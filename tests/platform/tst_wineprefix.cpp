#include "platform/WinePrefix.h"

#include <QDir>
#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

QByteArray withHeader(const QByteArray &body, const QByteArray &arch = "win64")
{
    return "WINE REGISTRY Version 2\n"
           ";; All keys relative to REGISTRY\\\\Machine\n"
           "\n"
           "#arch=" + arch + "\n"
           "\n" + body;
}

// The key, a subkey and a similarly named key, laid out as Wine writes them.
const QByteArray kQuorvaneKeys = R"([Software\\Quorvane] 1796740575
#time=1dd87217ad50d16

[Software\\Quorvane\\Wordhive] 1796740575
#time=1dd87217ad50d16
"InstallDir"="C:\\Program Files\\Wordhive"
"Zeta"="second"

[Software\\Quorvane\\Wordhive\\Sub] 1796740575
#time=1dd87217ad50d16
"InstallDir"="C:\\Sub"

[Software\\Quorvane\\WordhiveX] 1796740575
#time=1dd87217ad50d16
"InstallDir"="C:\\X"
)";

// The confusable keys come first, so a prefix match would pick them.
const QByteArray kConfusablesFirst = R"([Software\\Quorvane\\WordhiveX] 1796740575
"InstallDir"="C:\\X"

[Software\\Quorvane\\Wordhive\\Sub] 1796740575
"InstallDir"="C:\\Sub"

[Software\\Quorvane\\Wordhive] 1796740575
"InstallDir"="C:\\Program Files\\Wordhive"
)";

QByteArray wordhiveKey(const QByteArray &values)
{
    return withHeader("[Software\\\\Quorvane\\\\Wordhive] 1796740575\n"
                      "#time=1dd87217ad50d16\n"
                      + values + "\n");
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

bool makeFolder(const QString &path)
{
    return QDir().mkpath(path);
}

} // namespace

namespace QTest {
template <>
char *toString(const std::optional<QString> &value)
{
    return value ? toString(u'"' + *value + u'"') : qstrdup("nullopt");
}
} // namespace QTest

class TestWinePrefix : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void unescape_data();
    void unescape();

    void firstValue_data();
    void firstValue();
    void firstValueSurvivesTruncation();
    void firstValueSurvivesRandomBytes();

    void machineValue_data();
    void machineValue();
    void machineValueWithoutRegistry_data();
    void machineValueWithoutRegistry();
    void blockReadAgreesWithWholeFile();
    void blockReadStopsAtTheAnswer();

    void defaultFolder_data();
    void defaultFolder();

    void toNativePath_data();
    void toNativePath();
    void toNativePathStaysInsideDrive();

private:
    QByteArray savedWinePrefix;
    QByteArray savedHome;
    bool hadWinePrefix = false;
    bool hadHome = false;
};

void TestWinePrefix::init()
{
    hadWinePrefix = qEnvironmentVariableIsSet("WINEPREFIX");
    savedWinePrefix = qgetenv("WINEPREFIX");
    hadHome = qEnvironmentVariableIsSet("HOME");
    savedHome = qgetenv("HOME");
}

void TestWinePrefix::cleanup()
{
    if (hadWinePrefix)
        qputenv("WINEPREFIX", savedWinePrefix);
    else
        qunsetenv("WINEPREFIX");
    if (hadHome)
        qputenv("HOME", savedHome);
    else
        qunsetenv("HOME");
}

void TestWinePrefix::unescape_data()
{
    QTest::addColumn<QString>("escaped");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << u"C:Program Files"_s << u"C:Program Files"_s;
    QTest::newRow("backslash") << u"C:\\\\Songs"_s << u"C:\\Songs"_s;
    QTest::newRow("quote") << u"say \\\"hi\\\""_s << u"say \"hi\""_s;
    QTest::newRow("c escapes") << u"\\a\\b\\e\\f\\n\\r\\t\\v"_s
                               << u"\a\b\x1b\f\n\r\t\v"_s;
    QTest::newRow("nul") << u"a\\0b"_s << u"a"_s + QChar(0) + u"b"_s;
    QTest::newRow("octal three digits") << u"\\001x"_s << u"\x01x"_s;
    QTest::newRow("octal stops after three") << u"\\0012"_s << u"\x01"
                                                               "2"_s;
    QTest::newRow("octal short") << u"\\12z"_s << u"\nz"_s;
    QTest::newRow("octal above a byte") << u"\\777"_s << u"\u01ff"_s;
    QTest::newRow("hex two digits") << u"Caf\\xe9"_s << u"Caf\u00e9"_s;
    QTest::newRow("hex padded") << u"\\x00e91"_s << u"\u00e9"
                                                   "1"_s;
    QTest::newRow("hex upper digits") << u"\\x20AC"_s << u"\u20ac"_s;
    QTest::newRow("hex stops after four") << u"\\x1f600"_s << u"\u1f60"
                                                             "0"_s;
    QTest::newRow("hex then non-digit") << u"\\xe9g"_s << u"\u00e9g"_s;
    QTest::newRow("surrogate pair") << u"\\xd83d\\xde00"_s << u"\U0001F600"_s;
    QTest::newRow("hex without digits") << u"\\xg"_s << u"xg"_s;
    QTest::newRow("unknown escape") << u"\\q\\]\\["_s << u"q]["_s;
    QTest::newRow("lone trailing backslash") << u"end\\"_s << u"end\\"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestWinePrefix::unescape()
{
    QFETCH(QString, escaped);
    QFETCH(QString, expected);
    QCOMPARE(WineRegistry::unescape(escaped), expected);
}

void TestWinePrefix::firstValue_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("keyPath");
    QTest::addColumn<std::optional<QString>>("expected");

    const QString wordhive = u"Software\\Quorvane\\Wordhive"_s;
    const std::optional<QString> installDir = u"C:\\Program Files\\Wordhive"_s;
    const std::optional<QString> none;

    QTest::newRow("plain string") << withHeader(kQuorvaneKeys) << wordhive << installDir;
    QTest::newRow("subkey") << withHeader(kQuorvaneKeys) << u"Software\\Quorvane\\Wordhive\\Sub"_s
                            << std::optional<QString>(u"C:\\Sub"_s);
    QTest::newRow("similar name") << withHeader(kQuorvaneKeys) << u"Software\\Quorvane\\WordhiveX"_s
                                  << std::optional<QString>(u"C:\\X"_s);
    QTest::newRow("confusables first") << withHeader(kConfusablesFirst) << wordhive << installDir;
    QTest::newRow("name prefix only") << withHeader(kQuorvaneKeys) << u"Software\\Quorvane\\Wordhiv"_s
                                      << none;
    QTest::newRow("key without values") << withHeader(kQuorvaneKeys) << u"Software\\Quorvane"_s
                                        << none;
    QTest::newRow("missing key") << withHeader(kQuorvaneKeys) << u"Software\\Nobody"_s << none;
    QTest::newRow("asked in other case") << withHeader(kQuorvaneKeys)
                                         << u"SOFTWARE\\quorvane\\WORDHIVE"_s << installDir;
    QTest::newRow("stored in other case")
        << withHeader("[software\\\\QUORVANE\\\\wordhive] 1796740575\n"
                      "\"InstallDir\"=\"C:\\\\Program Files\\\\Wordhive\"\n")
        << wordhive << installDir;
    QTest::newRow("key line without time")
        << withHeader("[Software\\\\Quorvane\\\\Wordhive]\n\"A\"=\"C:\\\\Songs\"\n") << wordhive
        << std::optional<QString>(u"C:\\Songs"_s);
    QTest::newRow("escaped bracket in key name")
        << withHeader(R"([Software\\Odd\]Name] 0
"V"="ok"
)") << u"Software\\Odd]Name"_s
        << std::optional<QString>(u"ok"_s);

    QTest::newRow("escapes")
        << wordhiveKey(R"("Dir"="C:\\Lyrics \"Best\"\\Caf\xe9\\\x00e91\\\x20ac\tend")") << wordhive
        << std::optional<QString>(u"C:\\Lyrics \"Best\"\\Caf\u00e9\\\u00e9"
                                  "1\\\u20ac\tend"_s);
    QTest::newRow("default value first")
        << wordhiveKey("@=\"C:\\\\Default\"\n\"A\"=\"C:\\\\Later\"") << wordhive
        << std::optional<QString>(u"C:\\Default"_s);
    QTest::newRow("expand string")
        << wordhiveKey(R"("InstallDir"=str(2):"%ProgramFiles%\\Wordhive")") << wordhive
        << std::optional<QString>(u"%ProgramFiles%\\Wordhive"_s);
    QTest::newRow("str without type") << wordhiveKey(R"("InstallDir"=str:"C:\\Plain")") << wordhive
                                      << std::optional<QString>(u"C:\\Plain"_s);
    QTest::newRow("multi string")
        << wordhiveKey(R"("InstallDir"=str(7):"C:\\First\0C:\\Second\0")") << wordhive
        << std::optional<QString>(u"C:\\First"_s);
    QTest::newRow("nul inside plain string")
        << wordhiveKey(R"("InstallDir"="C:\\Dir\0\\..\\..\\etc")") << wordhive
        << std::optional<QString>(u"C:\\Dir"_s);
    QTest::newRow("value name with quote and equals")
        << wordhiveKey(R"("a\"=b"="C:\\Quoted")") << wordhive
        << std::optional<QString>(u"C:\\Quoted"_s);
    QTest::newRow("class and link lines")
        << withHeader(R"([Software\\Quorvane\\Wordhive] 1796740575
#time=1dd87217ad50d16
#class="Lyrics"
#link
"InstallDir"="C:\\Linked"
)") << wordhive << std::optional<QString>(u"C:\\Linked"_s);

    QTest::newRow("dword first")
        << wordhiveKey("\"Count\"=dword:0000002a\n\"InstallDir\"=\"C:\\\\Later\"") << wordhive
        << none;
    QTest::newRow("binary first")
        << wordhiveKey("\"Bin\"=hex:01,02,ff\n\"InstallDir\"=\"C:\\\\Later\"") << wordhive << none;
    QTest::newRow("wrapped binary first")
        << wordhiveKey(R"("Long"=hex(3):00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,\
  13,14,15,16,17,18,19,1a
"Name"="C:\\Later")") << wordhive << none;
    QTest::newRow("empty string first")
        << wordhiveKey("\"A\"=\"\"\n\"InstallDir\"=\"C:\\\\Later\"") << wordhive << none;
    QTest::newRow("other str type") << wordhiveKey(R"("A"=str(4):"C:\\Odd")") << wordhive << none;
    QTest::newRow("unterminated string")
        << wordhiveKey("\"InstallDir\"=\"C:\\\\Open\n\"B\"=\"C:\\\\Later\"") << wordhive << none;

    QTest::newRow("hex(2) wrapped")
        << wordhiveKey(R"("InstallDir"=hex(2):43,00,3a,00,5c,00,43,00,61,00,66,00,e9,00,5c,00,\
  57,00,6f,00,72,00,\
  64,00,00,00)") << wordhive
        << std::optional<QString>(u"C:\\Caf\u00e9\\Word"_s);
    QTest::newRow("hex(1) without nul") << wordhiveKey(R"("A"=hex(1):41,00,42,00)") << wordhive
                                        << std::optional<QString>(u"AB"_s);
    QTest::newRow("hex(1) up to nul") << wordhiveKey(R"("A"=hex(1):41,00,00,00,42,00)")
                                      << wordhive << std::optional<QString>(u"A"_s);
    QTest::newRow("hex(2) odd length") << wordhiveKey(R"("A"=hex(2):41,00,42)") << wordhive
                                       << std::optional<QString>(u"A"_s);
    QTest::newRow("hex(2) empty") << wordhiveKey(R"("A"=hex(2):)") << wordhive << none;
    QTest::newRow("hex(2) malformed") << wordhiveKey(R"("A"=hex(2):4g,00)") << wordhive << none;
    QTest::newRow("hex(2) cut at end of file")
        << withHeader("[Software\\\\Quorvane\\\\Wordhive] 0\n\"A\"=hex(2):41,00,\\") << wordhive
        << none;

    QTest::newRow("wrapped value in an earlier key")
        << withHeader(R"([Software\\Other] 1796740575
"Long"=hex(3):00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,\
  19,1a,\
  1b

[Software\\Quorvane\\Wordhive] 1796740575
"InstallDir"="C:\\Program Files\\Wordhive"
)") << wordhive << installDir;

    QByteArray crlf = withHeader(kQuorvaneKeys);
    crlf.replace("\n", "\r\n");
    QTest::newRow("CR LF line ends") << crlf << wordhive << installDir;
    QByteArray crlfWrapped = wordhiveKey(R"("InstallDir"=hex(2):43,00,3a,00,\
  5c,00,41,00,00,00)");
    crlfWrapped.replace("\n", "\r\n");
    QTest::newRow("CR LF in wrapped hex") << crlfWrapped << wordhive
                                          << std::optional<QString>(u"C:\\A"_s);

    QByteArray regedit = withHeader(kQuorvaneKeys);
    regedit.replace("WINE REGISTRY Version 2", "REGEDIT4");
    QTest::newRow("not a Wine registry") << regedit << wordhive << none;
    QTest::newRow("header only") << withHeader({}) << wordhive << none;
    QTest::newRow("empty file") << QByteArray() << wordhive << none;
    // Without the header line a well-formed key is still not a registry.
    QByteArray garbage("\0\xff\n", 3);
    garbage += "[Software\\\\Quorvane\\\\Wordhive]\n\"A\"=\"x\"\n";
    QTest::newRow("garbage") << garbage << wordhive << none;
}

void TestWinePrefix::firstValue()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, keyPath);
    QFETCH(std::optional<QString>, expected);
    QCOMPARE(WineRegistry::firstValue(content, keyPath), expected);
}

// Every cut of a valid file must give either nothing or the whole value:
// never a partial string, never a crash.
void TestWinePrefix::firstValueSurvivesTruncation()
{
    const QByteArray content = withHeader(kQuorvaneKeys);
    const QString key = u"Software\\Quorvane\\Wordhive"_s;
    const QString expected = u"C:\\Program Files\\Wordhive"_s;
    const QByteArray valueLine = "\"InstallDir\"=\"C:\\\\Program Files\\\\Wordhive\"";
    const qsizetype complete = content.indexOf(valueLine) + valueLine.size();
    QVERIFY(complete > valueLine.size());

    for (qsizetype size = 0; size <= content.size(); ++size) {
        const std::optional<QString> value = WineRegistry::firstValue(content.first(size), key);
        if (size >= complete) {
            QVERIFY2(value == expected, qPrintable(QString::number(size)));
        } else {
            QVERIFY2(!value, qPrintable(QString::number(size)));
        }
    }
}

void TestWinePrefix::firstValueSurvivesRandomBytes()
{
    // Bytes weighted towards the format's own characters reach deeper paths.
    static const char characters[] = "[]\\\"@=:,()#\n\r \t0123456789abcdefxstrhexdwoSQW" "\0\xff" "\xe9";
    const QByteArray alphabet(characters, sizeof(characters) - 1);
    QRandomGenerator random(20240611);
    const QByteArray header = "WINE REGISTRY Version 2\n[Software\\\\Quorvane\\\\Wordhive]\n";
    for (int round = 0; round < 3000; ++round) {
        QByteArray content = header;
        const int length = int(random.bounded(200));
        for (int i = 0; i < length; ++i)
            content.append(alphabet.at(random.bounded(int(alphabet.size()))));
        const std::optional<QString> value =
            WineRegistry::firstValue(content, u"Software\\Quorvane\\Wordhive"_s);
        if (value) {
            QVERIFY2(!value->isEmpty(), content.toHex().constData());
            QVERIFY2(!value->contains(QChar(0)), content.toHex().constData());
        }
    }
}

void TestWinePrefix::machineValue_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("keyPath");
    QTest::addColumn<std::optional<QString>>("expected");

    const QString wordhive = u"Software\\Quorvane\\Wordhive"_s;
    const std::optional<QString> none;
    const QByteArray both = withHeader(R"([Software\\Quorvane\\Wordhive] 1796740575
"InstallDir"="C:\\Direct"

[Software\\Wow6432Node\\Quorvane\\Wordhive] 1796740575
"InstallDir"="C:\\Program Files (x86)\\Wordhive"
)");

    QTest::newRow("32-bit view wins") << both << wordhive
                                      << std::optional<QString>(u"C:\\Program Files (x86)\\Wordhive"_s);
    QTest::newRow("asked in other case") << both << u"software\\QUORVANE\\wordhive"_s
                                         << std::optional<QString>(u"C:\\Program Files (x86)\\Wordhive"_s);
    QTest::newRow("32-bit prefix")
        << withHeader("[Software\\\\Quorvane\\\\Wordhive] 1796740575\n"
                      "\"InstallDir\"=\"C:\\\\Program Files\\\\Wordhive\"\n",
                      "win32")
        << wordhive << std::optional<QString>(u"C:\\Program Files\\Wordhive"_s);
    QTest::newRow("32-bit view without text")
        << withHeader(R"([Software\\Quorvane\\Wordhive] 1796740575
"InstallDir"="C:\\Direct"

[Software\\Wow6432Node\\Quorvane\\Wordhive] 1796740575
"Count"=dword:00000001
)") << wordhive << std::optional<QString>(u"C:\\Direct"_s);
    QTest::newRow("key outside Software")
        << withHeader(R"([Software\\Wow6432Node\\Quorvane] 0
"A"="C:\\Decoy"

[System\\Quorvane] 0
"A"="C:\\Real"
)") << u"System\\Quorvane"_s
        << std::optional<QString>(u"C:\\Real"_s);
    QTest::newRow("neither key") << both << u"Software\\Quorvane\\Other"_s << none;
    QTest::newRow("garbage") << QByteArray("\x7f" "ELF\x02\x01\x01", 7) << wordhive << none;
    QTest::newRow("empty file") << QByteArray() << wordhive << none;
}

void TestWinePrefix::machineValue()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, keyPath);
    QFETCH(std::optional<QString>, expected);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString prefixFolder = temp.filePath(u"prefix"_s);
    QVERIFY(makeFolder(prefixFolder));
    QVERIFY(writeFile(prefixFolder + u"/system.reg"_s, content));

    QCOMPARE(WinePrefix(prefixFolder).machineValue(keyPath), expected);
    // A trailing separator on the folder names the same prefix.
    QCOMPARE(WinePrefix(prefixFolder + u'/').machineValue(keyPath), expected);
}

void TestWinePrefix::machineValueWithoutRegistry_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("no prefix") << u"none"_s;
    QTest::newRow("no system.reg") << u"empty prefix"_s;
    QTest::newRow("system.reg is a folder") << u"folder"_s;
    QTest::newRow("registry in the wrong file") << u"user.reg"_s;
    QTest::newRow("empty folder name") << u"empty name"_s;
}

void TestWinePrefix::machineValueWithoutRegistry()
{
    QFETCH(QString, layout);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString prefixFolder = temp.filePath(u"prefix"_s);
    const QByteArray registry = withHeader(kQuorvaneKeys);
    // A readable registry sits next to the prefix in every layout, so a
    // lookup in the wrong place would find a value.
    QVERIFY(writeFile(temp.filePath(u"system.reg"_s), registry));

    if (layout != u"none" && layout != u"empty name")
        QVERIFY(makeFolder(prefixFolder));
    if (layout == u"folder")
        QVERIFY(makeFolder(prefixFolder + u"/system.reg"_s));
    if (layout == u"user.reg")
        QVERIFY(writeFile(prefixFolder + u"/user.reg"_s, registry));

    const QString folder = layout == u"empty name" ? QString() : prefixFolder;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(temp.path()));
    const std::optional<QString> value =
        WinePrefix(folder).machineValue(u"Software\\Quorvane\\Wordhive"_s);
    QVERIFY(QDir::setCurrent(previous));
    QCOMPARE(value, std::optional<QString>());
}

// Read in blocks and keeping only the keys asked for, the reader must answer
// as the whole file would: the 32-bit view's first value, else the key's.
void TestWinePrefix::blockReadAgreesWithWholeFile()
{
    static const QByteArray fragments[] = {
        "[Software\\\\Quorvane\\\\Wordhive] 1\n",
        "[Software\\\\Wow6432Node\\\\Quorvane\\\\Wordhive] 1\n",
        "[software\\\\wow6432node\\\\QUORVANE\\\\wordhive]\n",
        "[Software\\\\Quorvane] 1\n",
        "[Software\\\\Quorvane\\\\Wordhive\\\\Sub] 1\n",
        "  [Software\\\\Quorvane\\\\Wordhive] 1\n",
        "[Software\\\\Quorvane\\\\Wordhive\n",
        "#time=1dd87217ad50d16\n",
        "\"InstallDir\"=\"C:\\\\Direct\"\n",
        "@=\"C:\\\\Default\"\n",
        "\"A\"=str(2):\"C:\\\\Expand\"\n",
        "\"B\"=dword:00000001\n",
        "\"C\"=hex(1):43,00,3a,00,\\\n",
        "  5c,00,48,00,00,00\n",
        "\"D\"=hex:01,02,\\\n",
        "  [Software\\\\Quorvane\\\\Wordhive] 1\n",
        "\"E\"=\"unclosed\n",
        "\n",
        "\r\n",
        "junk line\n",
    };
    const qsizetype count = qsizetype(std::size(fragments));
    const QString key = u"Software\\Quorvane\\Wordhive"_s;
    const QString wow64 = u"Software\\Wow6432Node\\Quorvane\\Wordhive"_s;
    QRandomGenerator random(20250301);
    int answered = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray content = round % 50 == 0 ? QByteArray() : QByteArray("WINE REGISTRY Version 2\n");
        const int length = int(random.bounded(14));
        for (int i = 0; i < length; ++i)
            content += fragments[random.bounded(int(count))];
        if (random.bounded(4) == 0 && content.endsWith('\n'))
            content.chop(1);
        std::optional<QString> expected = WineRegistry::firstValue(content, wow64);
        if (!expected)
            expected = WineRegistry::firstValue(content, key);
        QBuffer file(&content);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const std::optional<QString> value = WineRegistry::machineValue(file, key);
        QVERIFY2(value == expected, content.constData());
        answered += value ? 1 : 0;
    }
    // The fragments reach both answers, not only "none".
    QVERIFY(answered > 500);
}

void TestWinePrefix::blockReadStopsAtTheAnswer()
{
    // Filler keys put the value line across the first block's end, and a
    // large hive after the key.
    QByteArray content = "WINE REGISTRY Version 2\n\n";
    const QByteArray filler = "[Software\\\\Classes\\\\Filler] 1\n\"Value\"=\"0123456789\"\n\n";
    while (content.size() + filler.size() < 65536 - 80)
        content += filler;
    // A comment line brings the key's value line across the block's end.
    content += ';' + QByteArray(65536 - 70 - content.size() - 2, 'x') + '\n';
    content += "[Software\\\\Wow6432Node\\\\Quorvane\\\\Wordhive] 1\n"
               "\"InstallDir\"=\"C:\\\\Program Files\\\\Wordhive\"\n\n";
    QVERIFY(content.lastIndexOf("\"InstallDir\"") < 65536 && content.size() > 65536);
    while (content.size() < 4 * 1024 * 1024)
        content += filler;

    QBuffer file(&content);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(WineRegistry::machineValue(file, u"Software\\Quorvane\\Wordhive"_s),
             std::optional<QString>(u"C:\\Program Files\\Wordhive"_s));
    QVERIFY2(file.pos() < 256 * 1024, qPrintable(QString::number(file.pos())));

    // A large file without a line end is not read to its end.
    QByteArray blob = "WINE REGISTRY Version 2" + QByteArray(4 * 1024 * 1024, ' ');
    QBuffer binary(&blob);
    QVERIFY(binary.open(QIODevice::ReadOnly));
    QCOMPARE(WineRegistry::machineValue(binary, u"Software\\Quorvane\\Wordhive"_s), std::optional<QString>());
    QVERIFY2(binary.pos() < 256 * 1024, qPrintable(QString::number(binary.pos())));
}

void TestWinePrefix::defaultFolder_data()
{
    QTest::addColumn<bool>("prefixSet");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("expectedBelowTemp");

    QTest::newRow("WINEPREFIX set") << true << u"games/prefix"_s << u"games/prefix"_s;
    QTest::newRow("WINEPREFIX empty") << true << QString() << u"home/.wine"_s;
    QTest::newRow("WINEPREFIX unset") << false << QString() << u"home/.wine"_s;
}

void TestWinePrefix::defaultFolder()
{
    QFETCH(bool, prefixSet);
    QFETCH(QString, prefix);
    QFETCH(QString, expectedBelowTemp);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    qputenv("HOME", QFile::encodeName(temp.filePath(u"home"_s)));
    if (prefixSet) {
        const QString value = prefix.isEmpty() ? QString() : temp.filePath(prefix);
        qputenv("WINEPREFIX", QFile::encodeName(value));
    } else {
        qunsetenv("WINEPREFIX");
    }

    const QString folder = WinePrefix::defaultFolder();
    QCOMPARE(folder, temp.filePath(expectedBelowTemp));
    QCOMPARE(WinePrefix(folder).folder(), folder);
}

void TestWinePrefix::toNativePath_data()
{
    QTest::addColumn<QString>("windowsPath");
    // "@" stands for the prefix folder.
    QTest::addColumn<QString>("expected");

    QTest::newRow("exact case") << u"C:\\Program Files\\Wordhive"_s
                                << u"@/dosdevices/c:/Program Files/Wordhive"_s;
    QTest::newRow("other case, trailing separator")
        << u"C:\\PROGRAM FILES\\wordhive\\"_s << u"@/dosdevices/c:/Program Files/Wordhive/"_s;
    QTest::newRow("lower-case drive") << u"c:\\program files\\WORDHIVE\\lyrics"_s
                                      << u"@/dosdevices/c:/Program Files/Wordhive/Lyrics"_s;
    QTest::newRow("file name case") << u"C:\\Program Files\\Wordhive\\README.TXT"_s
                                    << u"@/dosdevices/c:/Program Files/Wordhive/readme.txt"_s;
    QTest::newRow("missing tail kept as written")
        << u"C:\\program files\\Wordhive\\New Songs\\ARTIST\\"_s
        << u"@/dosdevices/c:/Program Files/Wordhive/New Songs/ARTIST/"_s;
    QTest::newRow("no resolving after a missing part")
        << u"C:\\Missing\\program files"_s << u"@/dosdevices/c:/Missing/program files"_s;
    QTest::newRow("file used as folder")
        << u"C:\\Program Files\\Wordhive\\readme.txt\\lyrics"_s
        << u"@/dosdevices/c:/Program Files/Wordhive/readme.txt/lyrics"_s;
    QTest::newRow("exact match beats case match") << u"C:\\Dup\\Abc"_s << u"@/dosdevices/c:/Dup/Abc"_s;
    QTest::newRow("first of several case matches") << u"C:\\Dup\\aBC"_s
                                                   << u"@/dosdevices/c:/Dup/ABC"_s;
    QTest::newRow("other drive") << u"D:\\artist\\SONG.txt"_s << u"@/dosdevices/d:/Artist/song.txt"_s;
    QTest::newRow("drive whose target is gone") << u"F:\\Songs\\"_s << u"@/dosdevices/f:/Songs/"_s;
    QTest::newRow("unknown drive") << u"E:\\Songs"_s << u"@/dosdevices/e:/Songs"_s;
    QTest::newRow("drive root") << u"C:\\"_s << u"@/dosdevices/c:/"_s;
    QTest::newRow("drive alone") << u"C:"_s << u"@/dosdevices/c:"_s;
    QTest::newRow("forward slashes") << u"C:/program files/wordhive/"_s
                                     << u"@/dosdevices/c:/Program Files/Wordhive/"_s;
    QTest::newRow("doubled separators") << u"C:\\\\Program Files\\\\\\Wordhive"_s
                                        << u"@/dosdevices/c:/Program Files/Wordhive"_s;
    QTest::newRow("dot components") << u"C:\\.\\Program Files\\.\\Wordhive\\."_s
                               << u"@/dosdevices/c:/Program Files/Wordhive"_s;
    QTest::newRow("parent components") << u"C:\\Program Files\\Other\\..\\Wordhive"_s
                                  << u"@/dosdevices/c:/Program Files/Wordhive"_s;
    QTest::newRow("parent above the drive root") << u"C:\\..\\..\\..\\Program Files"_s
                                                 << u"@/dosdevices/c:/Program Files"_s;
    QTest::newRow("UNC") << u"\\\\server\\share\\Songs\\a.txt"_s
                         << u"@/dosdevices/unc/server/share/Songs/a.txt"_s;
    QTest::newRow("UNC parent above the share") << u"\\\\server\\share\\..\\..\\x"_s
                                                << u"@/dosdevices/unc/server/share/x"_s;
    QTest::newRow("long-path prefix") << u"\\\\?\\C:\\program files\\wordhive"_s
                                      << u"@/dosdevices/c:/Program Files/Wordhive"_s;
    QTest::newRow("long-path UNC") << u"\\\\?\\UNC\\server\\share\\x"_s
                                   << u"@/dosdevices/unc/server/share/x"_s;
    QTest::newRow("cut at NUL") << u"C:\\Program Files"_s + QChar(0) + u"\\..\\x"_s
                                << u"@/dosdevices/c:/Program Files"_s;
    QTest::newRow("native absolute") << u"/home/u/Songs/"_s << u"/home/u/Songs/"_s;
    QTest::newRow("relative") << u"Songs\\Artist\\a.txt"_s << u"Songs/Artist/a.txt"_s;
    QTest::newRow("rooted without drive") << u"\\Songs\\"_s << u"/Songs/"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestWinePrefix::toNativePath()
{
    QFETCH(QString, windowsPath);
    QFETCH(QString, expected);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString prefixFolder = temp.filePath(u"prefix"_s);
    const QString songs = temp.filePath(u"songs"_s);
    const QString driveC = prefixFolder + u"/drive_c"_s;
    const QString devices = prefixFolder + u"/dosdevices"_s;
    const QString wordhive = driveC + u"/Program Files/Wordhive"_s;

    QVERIFY(makeFolder(wordhive + u"/Lyrics"_s));
    QVERIFY(makeFolder(driveC + u"/Program Files (x86)"_s));
    QVERIFY(writeFile(wordhive + u"/readme.txt"_s, "hello"));
    // Sorted order puts "ABC" first among the names that differ only in case.
    QVERIFY(makeFolder(driveC + u"/Dup/abc"_s));
    QVERIFY(makeFolder(driveC + u"/Dup/Abc"_s));
    QVERIFY(makeFolder(driveC + u"/Dup/ABC"_s));
    QVERIFY(makeFolder(songs + u"/Artist"_s));
    QVERIFY(writeFile(songs + u"/Artist/song.txt"_s, "la"));
    QVERIFY(makeFolder(devices));
    QVERIFY(QFile::link(u"../drive_c"_s, devices + u"/c:"_s));
    QVERIFY(QFile::link(songs, devices + u"/d:"_s));
    QVERIFY(QFile::link(temp.filePath(u"gone"_s), devices + u"/f:"_s));
    QVERIFY(QFile::link(u"/"_s, devices + u"/z:"_s));

    expected.replace(u'@', prefixFolder);
    QCOMPARE(WinePrefix(prefixFolder).toNativePath(windowsPath), expected);
    QCOMPARE(WinePrefix(prefixFolder + u'/').toNativePath(windowsPath), expected);
}

// Whatever the downloader wrote, a path on a drive must stay below that
// drive's link: no ".." may survive and no backslash may remain.
void TestWinePrefix::toNativePathStaysInsideDrive()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString prefixFolder = temp.filePath(u"prefix"_s);
    QVERIFY(makeFolder(prefixFolder + u"/drive_c/Songs"_s));
    QVERIFY(makeFolder(prefixFolder + u"/dosdevices"_s));
    QVERIFY(QFile::link(u"../drive_c"_s, prefixFolder + u"/dosdevices/c:"_s));
    const WinePrefix prefix(prefixFolder);
    const QString driveRoot = prefixFolder + u"/dosdevices/c:"_s;

    const QStringList pieces = {u"\\"_s, u"/"_s, u".."_s, u"."_s, u"songs"_s, u"x"_s, u"..."_s, u" "_s};
    QRandomGenerator random(77);
    for (int round = 0; round < 2000; ++round) {
        QString windowsPath = u"C:"_s;
        const int count = int(random.bounded(12));
        for (int i = 0; i < count; ++i)
            windowsPath += pieces.at(random.bounded(int(pieces.size())));
        const QString native = prefix.toNativePath(windowsPath);
        const QString context = windowsPath + u" -> "_s + native;
        QVERIFY2(native == driveRoot || native.startsWith(driveRoot + u'/'), qPrintable(context));
        QVERIFY2(!native.contains(u'\\'), qPrintable(context));
        const QStringList parts = native.sliced(driveRoot.size()).split(u'/');
        QVERIFY2(!parts.contains(u".."_s) && !parts.contains(u"."_s), qPrintable(context));
    }
}

int runWinePrefixTests(int argc, char **argv)
{
    TestWinePrefix tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_wineprefix.moc"
