#include "ToolCommands.h"

#include "data/DbError.h"
#include "stock/basStock.h"

#include <cstdio>

// zanmo-tool stock DIR CODE YYYYMMDD [--before]
// Prints the product's stock at the end of the day as one integer. --before ignores a stock count
// dated on the day itself, as the entry screens do.
int toolStock(const QStringList& args) {
    QStringList positional;
    bool before = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--before"))
            before = true;
        else
            positional.append(a);
    }
    if (positional.size() != 3)
        return toolFail(QStringLiteral("usage: zanmo-tool stock DIR CODE YYYYMMDD [--before]"));
    int day = 0;
    if (!toolParseDay(positional.at(2), &day))
        return toolFail(QStringLiteral("stock: not a date: %1").arg(positional.at(2)));
    // As typed: the engine pads and quotes it (a goods master may hold codes with apostrophes).
    const QString code = positional.at(1);
    if (!toolOpenDatabase(positional.at(0))) return 2;
    try {
        const qint32 stock = before ? fnGetStockBefore(code, day) : fnGetStock(code, day);
        std::printf("%d\n", int(stock));
        std::fflush(stdout);
    } catch (const DbError& e) {
        return toolFail(QStringLiteral("stock: %1").arg(e.description()));
    }
    return 0;
}
