#pragma once

// The visual-styles manifest a Windows build writes beside its program file
// once, so that the standard controls get their newer look. On a system that
// reports no Windows version nothing is written.

#include <QByteArray>
#include <QString>

class Platform;

// True when the platform's standard controls could be prepared.
bool StartCommonControls(Platform &platform);
// Major version plus minor version / 100; 0 when the system is not Windows.
float WindowsVersion(Platform &platform);
// "<program folder>/<program name>.exe.manifest".
QString manifestPath(Platform &platform);
// The manifest text: 20 lines, each ended by CR LF.
QByteArray manifestText();
// Writes the manifest text and one more CR LF when no file of that name
// exists yet and the system is newer than version 5.0. An existing file is
// never replaced.
void WriteManifest(Platform &platform);
