#include "core/basPadding.h"

QString fnPadLeft(const QString& value, qint16 width, const QString& pad) {
    if (width <= 0) return QString();
    QString s = value.trimmed();
    if (s.isEmpty()) s = QStringLiteral(" ");
    const QChar p = pad.isEmpty() ? QLatin1Char(' ') : pad.at(0);
    const QString all = QString(width, p) + s;
    return all.right(width);
}
