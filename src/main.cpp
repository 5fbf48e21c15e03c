#include "desktop/DesktopPlatform.h"
#include "startup/Main.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Stanzabox"));
    QApplication::setOrganizationName(QStringLiteral("Vesk"));
    // Desktops match the window to its launcher and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.stanzabox.Stanzabox"));
    QApplication::setQuitOnLastWindowClosed(false);

    DesktopPlatform platform;
    Main program(platform);
    QObject::connect(&program, &Main::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    program.run();
    return app.exec();
}
