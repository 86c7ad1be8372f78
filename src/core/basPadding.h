#pragma once

#include <QString>

// The last `width` characters of (width copies of pad's first character + value trimmed), a blank
// standing in for an empty value. Goods codes: fnPadLeft(code, 12, " ").
QString fnPadLeft(const QString& value, qint16 width, const QString& pad = QStringLiteral(" "));
