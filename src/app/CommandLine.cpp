#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kProgram = u"stanzabox"_s;

QString errorText(const QString &message)
{
    return kProgram + u": "_s + message + u"\nTry '"_s + kProgram + u" --help' for more information.\n"_s;
}

QString absoluteFolder(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

std::optional<QString> folderProblem(const QString &path, const QString &what)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists())
        return kProgram + u": "_s + what + u" not found: "_s + path + u'\n';
    if (!info.isDir())
        return kProgram + u": "_s + what + u" is not a folder: "_s + path + u'\n';
    return std::nullopt;
}

// The options QApplication takes out of the arguments on Linux desktops.
bool isToolkitOption(const QString &name)
{
    static const QStringList names = {
        u"platform"_s, u"platformpluginpath"_s, u"platformtheme"_s, u"plugin"_s,
        u"qwindowgeometry"_s, u"qwindowicon"_s, u"qwindowtitle"_s, u"reverse"_s, u"session"_s,
        u"display"_s, u"geometry"_s, u"style"_s, u"stylesheet"_s, u"widgetcount"_s, u"title"_s,
        u"name"_s, u"visual"_s, u"ncols"_s, u"cmap"_s, u"nograb"_s, u"dograb"_s, u"sync"_s,
        u"qmljsdebugger"_s, u"testability"_s};
    return names.contains(name);
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Organizes the lyrics cache of the Wordhive downloader.\n\n"
        u"Without arguments, the downloader is looked up in $WINEPREFIX, or, when that is not set, in "
        u"~/.wine and the Wine prefixes of Bottles, Lutris, PlayOnLinux and CrossOver."_s);
    // "-prefix" is the long option, never "-p -r -e ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help and exit."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Show the version and exit."_s);
    const QCommandLineOption prefix(
        u"prefix"_s, u"Read the downloader's registry from the Wine prefix DIR, without searching."_s,
        u"DIR"_s);
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(prefix);
    const QCommandLineOption music(u"music"_s, u"Read the music files under DIR in the Music window."_s, u"DIR"_s);
    parser.addOption(music);
    parser.addPositionalArgument(
        u"CACHE_FOLDER"_s,
        u"Open this lyrics cache folder (the one holding the letter folders A to Z) as it is, "
        u"without the registry or settings.txt. Joined lyrics are saved in the folder above it."_s,
        u"[CACHE_FOLDER]"_s);

    CommandLine line;
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        // The usage line names the program as it is installed, whatever path
        // it was started by.
        QString text = parser.helpText();
        const qsizetype firstLineEnd = text.indexOf(u'\n');
        text.replace(0, firstLineEnd, u"Usage: "_s + kProgram + u" [options] [CACHE_FOLDER]"_s);
        line.text = text;
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        line.text = u"Stanzabox "_s + programVersion() + u'\n';
        return line;
    }
    line.action = CommandLine::Action::Error;
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        line.toolkitOptions = std::any_of(unknown.begin(), unknown.end(), isToolkitOption);
        line.text = errorText(parser.errorText());
        return line;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        line.text = errorText(u"only one cache folder can be opened, but "_s
                              + QString::number(positional.size()) + u" were given."_s);
        return line;
    }
    if (parser.isSet(prefix)) {
        if (parser.value(prefix).isEmpty()) {
            line.text = errorText(u"--prefix needs a folder."_s);
            return line;
        }
        line.options.prefixFolder = absoluteFolder(parser.value(prefix));
    }
    if (parser.isSet(music)) {
        if (parser.value(music).isEmpty()) {
            line.text = errorText(u"--music needs a folder."_s);
            return line;
        }
        line.options.musicFolder = absoluteFolder(parser.value(music));
    }
    if (!positional.isEmpty()) {
        if (positional.constFirst().isEmpty()) {
            line.text = errorText(u"the cache folder's name is empty."_s);
            return line;
        }
        line.options.cacheFolder = absoluteFolder(positional.constFirst());
    }
    line.action = CommandLine::Action::Run;
    return line;
}

std::optional<QString> startOptionsProblem(const StartOptions &options)
{
    if (std::optional<QString> problem = folderProblem(options.cacheFolder, u"cache folder"_s))
        return problem;
    if (std::optional<QString> problem = folderProblem(options.prefixFolder, u"Wine prefix"_s))
        return problem;
    return folderProblem(options.musicFolder, u"music folder"_s);
}

QString programVersion()
{
    return QStringLiteral(STANZABOX_VERSION);
}
