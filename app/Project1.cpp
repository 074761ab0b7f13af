// The program: the application object, the book downloads it holds for the whole
// run, the main window Form1 and the message loop.
#include <QApplication>

#include "ui/ApplicationSetup.h"
#include "ui/downloads/BookDownloads.h"
#include "ui/window/Unit1.h"

int main(int argc, char** argv)
{
    PrepareApplication();
    QApplication application(argc, argv);

    BookDownloads downloads;
    TForm1 Form1(downloads);
    Form1.show();
    return application.exec();
}
