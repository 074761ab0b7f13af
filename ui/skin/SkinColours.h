#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QRect>

// The deep-blue look shared by the skinned controls.
namespace SkinColours {

inline const QColor TitleTop{0x3C, 0x72, 0xD6};
inline const QColor TitleBottom{0x0E, 0x3C, 0x92};
inline const QColor ButtonTop{0xEA, 0xF1, 0xFD};
inline const QColor ButtonBottom{0xA6, 0xC1, 0xEE};
inline const QColor ButtonEdge{0x1C, 0x40, 0x88};
inline const QColor Hover{0xFF, 0xFF, 0xFF, 0x50};
inline const QColor BarTop{0x6E, 0x9B, 0xE8};
inline const QColor BarBottom{0x1F, 0x4F, 0xB4};

// A vertical gradient over rect.
inline QLinearGradient Vertical(const QRect& rect, const QColor& top, const QColor& bottom)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

}  // namespace SkinColours
