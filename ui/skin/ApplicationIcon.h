#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon, an open book, drawn rather than loaded.
QIcon ApplicationIcon();

// The same drawing at one size, for the icons installed beside the program.
QPixmap ApplicationIconPixmap(int size);
