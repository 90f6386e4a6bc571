// The floor for any Qt desktop program here: an empty MDI window, shown and
// painted, then gone.
#include "FirstPaint.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    new QuitAfterFirstPaint(&app);
    QMainWindow window;
    window.setCentralWidget(new QMdiArea(&window));
    window.show();
    return QApplication::exec();
}
