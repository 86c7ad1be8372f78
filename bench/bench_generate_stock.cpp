// Times the stock engine and the stock list's per-goods sums on a large generated database.
//   zanmo-tool generate /tmp/big --goods 10000 --rows 1000000
//   bench_generate_stock /tmp/big [--goods K]
#include "data/DbError.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "stock/basStock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || !QFileInfo(args[0]).isDir()) {
        std::fprintf(stderr, "usage: bench_generate_stock DIR [--goods K]\n");
        return 2;
    }
    int sample = 1000;
    const int at = args.indexOf(QStringLiteral("--goods"));
    if (at >= 0 && at + 1 < args.size()) sample = args[at + 1].toInt();
    fnSetProgramFolder(QFileInfo(args[0]).absoluteFilePath());
    if (!fnOpenDB()) return 2;
    try {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("select code from goods order by code"));
        QStringList codes;
        for (; !rec.Eof() && codes.size() < sample; rec.MoveNext())
            codes << rec.Fields(QStringLiteral("code")).toString();
        fnOpenRecordset(rec, QStringLiteral("select max(day) from gdai"));
        const int day = rec.Fields(0).toInt();

        QElapsedTimer t;
        t.start();
        qint64 total = 0;
        for (const QString& c : codes)
            total += fnGetStock(c, day);
        const double perCall = codes.isEmpty() ? 0 : t.nsecsElapsed() / 1e3 / codes.size();
        std::printf("fnGetStock: %lld goods in %lld ms (%.0f us per goods), total stock %lld\n",
                    static_cast<long long>(codes.size()), static_cast<long long>(t.elapsed()), perCall,
                    static_cast<long long>(total));

        t.restart();
        fnOpenRecordset(rec, QStringLiteral("select gcode, kubun, sum(suu) from gdai group by gcode, kubun"));
        std::printf("grouped sums over the ledger: %d rows in %lld ms\n", rec.RecordCount(),
                    static_cast<long long>(t.elapsed()));
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", e.description().toUtf8().constData());
        return 2;
    }
    fnCloseDB();
    return 0;
}
