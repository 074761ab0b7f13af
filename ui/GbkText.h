#pragma once

#include <QString>

#include <string>

// The one place where the program's GBK text meets Qt's UTF-16 text.

// An invalid or truncated GBK sequence becomes U+FFFD for its first byte.
QString GbkToQString(const std::string& gbk);

// A character that GBK cannot hold becomes "?".
std::string QStringToGbk(const QString& text);
