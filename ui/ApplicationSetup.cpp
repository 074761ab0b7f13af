#include "ui/ApplicationSetup.h"

#include <QCoreApplication>

void PrepareApplication()
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
