#include "app/CommandLine.h"
#include "desktop/DesktopPlatform.h"
#include "lyricsindex/LyricsIndex.h"
#include "music/MusicCache.h"
#include "startup/DownloaderPrefix.h"
#include "startup/Main.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Help and the version on standard output, a mistake on standard error.
int answer(const CommandLine &line)
{
    const bool error = line.action == CommandLine::Action::Error;
    std::fputs(line.text.toLocal8Bit().constData(), error ? stderr : stdout);
    return error ? 2 : 0;
}

// The folders named must be there before any window is.
std::optional<int> refuseMissingFolders(const StartOptions &options)
{
    if (const std::optional<QString> problem = startOptionsProblem(options)) {
        std::fputs(problem->toLocal8Bit().constData(), stderr);
        return 2;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    // Help, the version and a wrong folder need no display: they are
    // answered before the program connects to one.
    CommandLine line = parseCommandLine(argumentsOf(argc, argv));
    if (line.action == CommandLine::Action::Help || line.action == CommandLine::Action::Version
        || (line.action == CommandLine::Action::Error && !line.toolkitOptions))
        return answer(line);
    if (line.action == CommandLine::Action::Run) {
        if (const std::optional<int> code = refuseMissingFolders(line.options))
            return *code;
    }

    QApplication app(argc, argv);
    if (line.action == CommandLine::Action::Error) {
        // The toolkit has now taken out its own options (-platform, -style);
        // what is left decides.
        line = parseCommandLine(QCoreApplication::arguments());
        if (line.action != CommandLine::Action::Run)
            return answer(line);
        if (const std::optional<int> code = refuseMissingFolders(line.options))
            return *code;
    }
    QApplication::setApplicationName(QStringLiteral("Stanzabox"));
    QApplication::setApplicationVersion(programVersion());
    QApplication::setOrganizationName(QStringLiteral("Vesk"));
    // Desktops match the window to its launcher and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.stanzabox.Stanzabox"));
    QApplication::setQuitOnLastWindowClosed(false);

    // The settings store does not depend on the prefix: the platform keeps
    // the user's choice of prefix before it is given one.
    DesktopPlatform platform;
    const DownloaderPrefix prefix = chooseDownloaderPrefix(
        platform, line.options, qEnvironmentVariable("WINEPREFIX"), QDir::homePath());
    platform.useDownloaderPrefix(WinePrefix(prefix.folder), prefix.places);

    Main program(platform);
    program.keepLyricsIndexIn(LyricsIndex::defaultFolder());
    program.keepMusicCacheIn(MusicCache::defaultFile());
    QObject::connect(&program, &Main::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    program.run(line.options);
    return app.exec();
}
