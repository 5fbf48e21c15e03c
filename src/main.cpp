#include "platform/DesktopPlatform.h"
#include "startup/Main.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Stanzabox"));
    QApplication::setOrganizationName(QStringLiteral("Vesk"));
    QApplication::setQuitOnLastWindowClosed(false);

    DesktopPlatform platform;
    Main program(platform);
    QObject::connect(&program, &Main::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    program.run();
    return app.exec();
}
