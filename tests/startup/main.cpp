// The start-up's tests: the sequence and the shut-down; finding the
// downloader's prefix and the command line.

#include <QApplication>

int runStartupTests(int argc, char **argv);
int runPrefixStartTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = runStartupTests(argc, argv);
    failed += runPrefixStartTests(argc, argv);
    return failed;
}
