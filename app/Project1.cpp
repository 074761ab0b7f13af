// The program: the application object, the main window Form1 and the message loop.
#include <QApplication>

#include "ui/ApplicationSetup.h"
#include "ui/window/Unit1.h"

int main(int argc, char** argv)
{
    PrepareApplication();
    QApplication application(argc, argv);

    TForm1 Form1;
    Form1.show();
    return application.exec();
}
