#include <QRegularExpression>
#include <QStringList>

#include "tests/pane/PaneTestSupport.h"
#include "ui/pane/ScriptLiteral.h"

namespace {

// Every UTF-16 code unit once, lone surrogates included.
QString EveryCodeUnit()
{
    QString text;
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit)
        text += QChar(static_cast<char16_t>(unit));
    return text;
}

}  // namespace

TEST(ScriptLiteral, IsPrintableAsciiWithNothingThatEndsItOrReadsAsMarkup)
{
    const QString literal = ScriptLiteral(EveryCodeUnit());
    // Between its quotes: printable ASCII but " & ' < > \, and \uXXXX escapes.
    static const QRegularExpression Shape(QStringLiteral(R"(^"(?:[ !#-%(-;=?-\[\]-~]|\\u[0-9A-F]{4})*+"$)"));
    EXPECT_TRUE(Shape.match(literal).hasMatch());
    EXPECT_EQ(ScriptLiteral(QStringLiteral("a \"b\" </script>")),
              QStringLiteral(R"("a \u0022b\u0022 \u003C/script\u003E")"));
}

using ScriptLiteralInPane = PaneTest;

TEST_F(ScriptLiteralInPane, EvaluatesToExactlyItsText)
{
    const QString text = EveryCodeUnit() + QStringLiteral("\u2028\u2029") + QString::fromUcs4(U"\U0001F600", 1);
    QStringList codes;
    for (const QChar unit : text)
        codes << QString::number(unit.unicode());
    const QString script = QStringLiteral("(function () {"
                                          "  var text = %1, codes = [%2];"
                                          "  if (text.length !== codes.length) return false;"
                                          "  for (var i = 0; i < codes.length; ++i)"
                                          "    if (text.charCodeAt(i) !== codes[i]) return false;"
                                          "  return true;"
                                          "})()")
                               .arg(ScriptLiteral(text), codes.join(u','));
    EXPECT_EQ(Evaluate(*pane, script), QVariant(true));
}
