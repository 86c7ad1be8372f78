#include "export/basStocktakeTable.h"

#include "core/basFormat.h"
#include "stock/StocktakeCheck.h"

QString fnStocktakeSummary(const StocktakeCheck& check) {
    const QString count = QStringLiteral("#,##0");
    return QStringLiteral("行数 %1　取込 %2　拒否 %3　置換 %4　差異金額合計 %5")
        .arg(fnFormat(qint64(check.lines().size()), count), fnFormat(check.writableCount(), count),
             fnFormat(check.refusedCount(), count), fnFormat(check.replaceCount(), count),
             fnFormat(QVariant(check.amountTotal()), check.amountFormat()));
}

ExportTable fnStocktakeTable(const StocktakeCheck& check) {
    ExportTable t;
    t.name = QStringLiteral("棚卸差異表");
    t.title = QStringLiteral("棚卸差異表");
    t.headerLines << QStringLiteral("棚卸日 ") + fnFormat(check.day(), QStringLiteral("####/##/##"))
                  << fnStocktakeSummary(check);
    const QString money = check.stankaKbn() != 0 ? QStringLiteral("#,##0.00") : QStringLiteral("#,##0");
    const QStringList captions = StocktakeCheck::captions();
    using Kind = ExportColumn::Kind;
    const QList<QPair<Kind, QString>> kinds = {{Kind::Number, QStringLiteral("0")},
                                               {Kind::Text, QString()},
                                               {Kind::Text, QString()},
                                               {Kind::Number, QStringLiteral("#,##0")},
                                               {Kind::Number, QStringLiteral("#,##0")},
                                               {Kind::Number, QStringLiteral("#,##0")},
                                               {Kind::Number, money},
                                               {Kind::Number, money},
                                               {Kind::Text, QString()}};
    for (int i = 0; i < captions.size(); ++i) {
        ExportColumn c;
        c.caption = captions.at(i);
        c.kind = kinds.at(i).first;
        c.format = kinds.at(i).second;
        t.columns << c;
    }
    for (const StocktakeLine& l : check.shownOrder())
        t.rows << check.cells(l);
    t.landscape = true;
    return t;
}
