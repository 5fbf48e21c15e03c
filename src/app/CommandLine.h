#pragma once

// The program's command line: stanzabox [--prefix DIR] [--music DIR] [CACHE_FOLDER],
// --help and --version.

#include "app/StartOptions.h"

#include <QString>
#include <QStringList>

#include <optional>

struct CommandLine
{
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    StartOptions options;
    // Help and version for standard output, an error for standard error,
    // each ending in a line end.
    QString text;
    // The error names options that the toolkit knows (-platform, -style):
    // the arguments are to be read again once it has taken out its own.
    bool toolkitOptions = false;
};

// arguments starts with the program's name, as argv does.
CommandLine parseCommandLine(const QStringList &arguments);

// An error for standard error when a folder given does not exist or is not
// a folder.
std::optional<QString> startOptionsProblem(const StartOptions &options);

// The version the build gives the program.
QString programVersion();
