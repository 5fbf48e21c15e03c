// The platform's tests: the Wine registry reader and the prefix search.

#include <QCoreApplication>

int runWinePrefixTests(int argc, char **argv);
int runPrefixSearchTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int failed = runWinePrefixTests(argc, argv);
    failed += runPrefixSearchTests(argc, argv);
    return failed;
}
