#include "app/Manifest.h"

#include "app/CacheFolder.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "text/TextFile.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

bool StartCommonControls(Platform &platform)
{
    return platform.initCommonControls();
}

float WindowsVersion(Platform &platform)
{
    const std::optional<quint16> word = platform.windowsVersionWord();
    if (!word)
        return 0.0f;
    const int major = *word & 0xFF;
    const int minor = (*word >> 8) & 0xFF;
    return float(major + minor / 100.0);
}

QString manifestPath(Platform &platform)
{
    return joinPath(platform.programFolder(), platform.programName() + u".exe.manifest"_s);
}

QByteArray manifestText()
{
    static const char *const lines[] = {
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>)",
        R"(<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">)",
        R"(    <assemblyIdentity )",
        R"(        version="1.0.0.0" )",
        R"(        processorArchitecture="X86" )",
        R"(        name="Wordhive.Stanzabox"   )",
        R"(        type="win32" />)",
        R"(    <description>VESK</description>)",
        R"(    <dependency>)",
        R"(        <dependentAssembly>)",
        R"(            <assemblyIdentity )",
        R"(                type="win32" )",
        R"(                name="Microsoft.Windows.Common-Controls" )",
        R"(                version="6.0.0.0" )",
        R"(                processorArchitecture="X86" )",
        R"(                publicKeyToken="6595b64144ccf1df" )",
        R"(                language="*" />)",
        R"(        </dependentAssembly>)",
        R"(    </dependency>)",
        R"(</assembly>)",
    };
    QByteArray text;
    for (const char *line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void WriteManifest(Platform &platform)
{
    const QString path = manifestPath(platform);
    if (QFileInfo::exists(path))
        return;
    if (WindowsVersion(platform) <= 5.0f)
        return;
    // A program folder the user cannot write to just gets no manifest.
    writeFileAtomically(path, manifestText() + "\r\n");
}
