// The karaoke editor's tests: the file format, the time picker, the rows and the panel.

#include <QApplication>

int runKasFormatTests(int argc, char **argv);
int runTimePickerTests(int argc, char **argv);
int runKaraokeTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = runKasFormatTests(argc, argv);
    failed += runTimePickerTests(argc, argv);
    failed += runKaraokeTests(argc, argv);
    return failed;
}
