// The shared state's tests: cache folder discovery, settings, pages and the
// manifest; the choice of Wine prefix; the command line.

#include <QCoreApplication>

int runAppTests(int argc, char **argv);
int runPrefixChoiceTests(int argc, char **argv);
int runCommandLineTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int failed = runAppTests(argc, argv);
    failed += runPrefixChoiceTests(argc, argv);
    failed += runCommandLineTests(argc, argv);
    return failed;
}
