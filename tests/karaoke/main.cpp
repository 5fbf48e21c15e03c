// The karaoke editor's tests: the file format, the time picker, the rows and the panel.

#include <QApplication>

int runKasFormatTests(int argc, char **argv);
int runTimePickerTests(int argc, char **argv);
int runKaraokeTests(int argc, char **argv);
int runKaraokePlayerTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // "--layout-only" checks only the editor's sizes against its fonts and
    // style, for a second run at another device pixel ratio
    // (QT_SCALE_FACTOR=2); the other tests compare pixels of pictures.
    if (argc > 1 && qstrcmp(argv[1], "--layout-only") == 0) {
        char layoutTest[] = "editorFitsItsFont";
        char *args[] = {argv[0], layoutTest, nullptr};
        return runKaraokeTests(2, args);
    }
    int failed = runKasFormatTests(argc, argv);
    failed += runTimePickerTests(argc, argv);
    failed += runKaraokeTests(argc, argv);
    failed += runKaraokePlayerTests(argc, argv);
    return failed;
}
