// The main window's tests: the layout arithmetic, the window itself, the search.

#include <QApplication>

int runLayoutTests(int argc, char **argv);
int runMainWindowTests(int argc, char **argv);
int runSearchTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = runLayoutTests(argc, argv);
    failed += runMainWindowTests(argc, argv);
    failed += runSearchTests(argc, argv);
    return failed;
}
