// The main window's tests: the layout arithmetic, the window itself, the search, the toolbar, odd libraries,
// keys and colours.

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

int runLayoutTests(int argc, char **argv);
int runMainWindowTests(int argc, char **argv);
int runSearchTests(int argc, char **argv);
int runToolbarTests(int argc, char **argv);
int runOddLibraryTests(int argc, char **argv);
int runDesktopTests(int argc, char **argv);
int runFindInLyricsTests(int argc, char **argv);
int runLiveLibraryTests(int argc, char **argv);
int runFollowDiskTests(int argc, char **argv);

int main(int argc, char **argv)
{
    // Deleted songs go to the desktop's trash: a trash of the tests' own.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    QApplication app(argc, argv);
    int failed = runLayoutTests(argc, argv);
    failed += runMainWindowTests(argc, argv);
    failed += runSearchTests(argc, argv);
    failed += runToolbarTests(argc, argv);
    failed += runOddLibraryTests(argc, argv);
    failed += runDesktopTests(argc, argv);
    failed += runFindInLyricsTests(argc, argv);
    failed += runLiveLibraryTests(argc, argv);
    failed += runFollowDiskTests(argc, argv);
    return failed;
}
