// The lyrics index (engine, query, folding, sync, faults) and its panel.

#include <QApplication>

int runLyricsIndexTests(int argc, char **argv);
int runLyricsPanelTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = runLyricsIndexTests(argc, argv);
    failed += runLyricsPanelTests(argc, argv);
    return failed;
}
