#pragma once

#include <QIcon>

// The program's icon, an open book, drawn rather than loaded.
QIcon ApplicationIcon();
