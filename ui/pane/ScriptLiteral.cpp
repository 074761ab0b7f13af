#include "ui/pane/ScriptLiteral.h"

namespace {

bool IsPlain(char16_t unit)
{
    switch (unit) {
    case u'"':
    case u'\\':
    case u'<':
    case u'>':
    case u'&':
    case u'\'':
        return false;
    default:
        return unit >= 0x20 && unit < 0x7F;
    }
}

}  // namespace

QString ScriptLiteral(const QString& text)
{
    static const char Hex[] = "0123456789ABCDEF";
    QString literal;
    literal.reserve(text.size() * 6 + 2);
    literal += u'"';
    for (const QChar character : text) {
        const char16_t unit = character.unicode();
        if (IsPlain(unit)) {
            literal += character;
            continue;
        }
        literal += u"\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            literal += QLatin1Char(Hex[(unit >> shift) & 0xF]);
    }
    literal += u'"';
    return literal;
}
