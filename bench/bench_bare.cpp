// The least window a Qt Widgets program can show: the toolkit, one empty
// window of the main window's size, nothing of ours. It links Qt Widgets and
// nothing else, so its start-up is what any such program pays before it has
// done anything of its own. It stays until it is ended.
//
// Usage: bench_bare

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(800, 567);
    window.show();
    return app.exec();
}
