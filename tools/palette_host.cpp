// Starts Stanzabox as main.cpp does, under a dark palette like those Linux
// desktops bring, so that pictures of the dark look can be made without a
// desktop. Used by scripts/screenshot only.

#include "desktop/DesktopPlatform.h"
#include "startup/Main.h"
#include "support/Palettes.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Stanzabox"));
    QApplication::setOrganizationName(QStringLiteral("Vesk"));
    QApplication::setQuitOnLastWindowClosed(false);
    DesktopPlatform platform;
    Main program(platform);
    QObject::connect(&program, &Main::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    program.run();
    // After the platform's own start, which sets the style: as a desktop's palette would be.
    QApplication::setPalette(darkDesktopPalette());
    return app.exec();
}
