#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

int runMusicTests(int argc, char **argv);

int main(int argc, char **argv)
{
    // Settings and the desktop's trash of the tests' own.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(QStringLiteral("cache"))));
    QApplication app(argc, argv);
    return runMusicTests(argc, argv);
}
