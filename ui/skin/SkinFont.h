#pragma once

#include <QFont>
#include <QString>

// A font of the given family at a pixel height, as the designer's negative font
// heights mean. Where the family is not installed a face with the Chinese glyphs
// stands in, so no caption shows boxes.
QFont SkinFont(const QString& family, int pixelHeight, bool bold = false);
