#include "ui/skin/SkinFont.h"

#include <QStringList>

QFont SkinFont(const QString& family, int pixelHeight, bool bold)
{
    QFont font;
    font.setFamilies(QStringList{family, QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}
