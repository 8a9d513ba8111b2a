#include "app/window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Window window;
    if (!window.isInitialized())
        return 0;
    window.showFullScreen();
    return app.exec();
}
