// The program: the application object, the main window Form1 and the message loop.
#include <QApplication>

#include "ui/Unit1.h"

int main(int argc, char** argv)
{
    // The window is laid out in pixels and is not rescaled for the screen's density.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    // The web pane shares OpenGL contexts with the window; this must precede the application object.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);

    TForm1 Form1;
    Form1.show();
    return application.exec();
}
