#pragma once

#include <QString>

// A script string literal that holds text exactly and is made of printable ASCII
// only: every other code unit, and each of " \ < > & ', is written as \uXXXX. No
// text, however hostile, can end the literal early, start a new line or read as
// markup wherever the script is embedded.
QString ScriptLiteral(const QString& text);
