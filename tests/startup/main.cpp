// The start-up's tests: the sequence and the shut-down; finding the
// downloader's prefix and the command line.

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

int runStartupTests(int argc, char **argv);
int runPrefixStartTests(int argc, char **argv);

int main(int argc, char **argv)
{
    // Deleted songs go to the desktop's trash: a trash of the tests' own.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    QApplication app(argc, argv);
    int failed = runStartupTests(argc, argv);
    failed += runPrefixStartTests(argc, argv);
    return failed;
}
