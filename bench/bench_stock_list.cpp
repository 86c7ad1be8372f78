// Times the current-stock list on a large generated database: the figures, the laid-out pages and
// the PDF, against one grouped query of the sqlite3 shell on the same file. That query is about
// the least the figures can cost, so the ratios to it are what we watch; absolute times vary.
//   zanmo-tool generate /tmp/big --goods 10000 --rows 1000000
//   bench_stock_list /tmp/big [--day YYYYMMDD] [--sqlite3 PATH]
#include "core/basDateNumber.h"
#include "data/DbError.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "reports/ReportPdfExport.h"
#include "reports/basStockList.h"
#include "reports/rptZaiko.h"
#include "stock/basStockFigures.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "bench_stock_list: %s\n", message.toUtf8().constData());
    return 2;
}

QDate toDate(int day) {
    return QDate(day / 10000, day / 100 % 100, day % 100);
}

int toDay(const QDate& d) {
    return d.year() * 10000 + d.month() * 100 + d.day();
}

// The figures of basStockFigures in one statement: s finds per goods the day of its latest count
// before D, b looks up that count and the count of D by index (the highest voucher of a day
// holds; materialized so that happens once per goods), and m sums the rest with CASE in one
// grouped pass, the goods driving the join so each reads its rows as one index range. SQLite's
// ROUND goes half away from zero where we go half to even; generated quantities are whole.
QString onePassSql(const QString& code0, const QString& code1, int day) {
    const QString range =
        QStringLiteral("gcode BETWEEN '%1' AND '%2'").arg(fnSqlText(code0), fnSqlText(code1));
    const QString before = QString::number(fnAddDate(day, 0, -1, true));
    return QStringLiteral(R"(
WITH s AS (SELECT gcode, MAX(CASE WHEN kubun = 9 AND day < %2 THEN day END) AS sday
           FROM gdai WHERE %1 GROUP BY gcode),
b AS MATERIALIZED (SELECT gcode, sday,
  (SELECT suu FROM gdai x WHERE x.gcode = s.gcode AND x.kubun = 9 AND x.day = s.sday
   ORDER BY x.denno DESC LIMIT 1) AS base,
  (SELECT suu FROM gdai x WHERE x.gcode = s.gcode AND x.kubun = 9 AND x.day = %2
   ORDER BY x.denno DESC LIMIT 1) AS cnt
  FROM s),
m AS (SELECT b.gcode AS gcode,
  COALESCE(CAST(ROUND(b.base) AS INTEGER), 0)
  + CAST(ROUND(TOTAL(CASE WHEN g.day <= %3 AND (b.sday IS NULL OR g.day > b.sday)
                          AND g.kubun IN (0, 2) THEN g.suu END)) AS INTEGER)
  - CAST(ROUND(TOTAL(CASE WHEN g.day <= %3 AND (b.sday IS NULL OR g.day > b.sday)
                          AND g.kubun = 1 THEN g.suu END)) AS INTEGER) AS P,
  CAST(ROUND(TOTAL(CASE WHEN g.day = %2 AND g.kubun = 0 THEN g.suu END)) AS INTEGER) AS R,
  CAST(ROUND(TOTAL(CASE WHEN g.day = %2 AND g.kubun = 1 THEN g.suu END)) AS INTEGER) AS H,
  CAST(ROUND(TOTAL(CASE WHEN g.day = %2 AND g.kubun = 2 THEN g.suu END)) AS INTEGER) AS T,
  CAST(ROUND(TOTAL(CASE WHEN g.day > %2 AND g.kubun = 1 THEN g.suu END)) AS INTEGER) AS F,
  CAST(ROUND(b.cnt) AS INTEGER) AS cnt
  FROM b CROSS JOIN gdai g ON g.gcode = b.gcode GROUP BY b.gcode)
SELECT gcode, P, R, H, T, F, CASE WHEN cnt IS NULL THEN P + R - H + T ELSE cnt END, COALESCE(cnt, 0)
FROM m;
)")
        .arg(range, QString::number(day), before);
}

struct ShellRun {
    bool ok = false;
    qint64 ms = 0;
    QString error;
};

// One run of the shell on the file, timed around the whole process; stdout goes to outFile.
ShellRun runShell(const QString& shell, const QString& dbFile, const QString& sql, const QString& outFile) {
    QProcess p;
    p.setProgram(shell);
    p.setArguments({QStringLiteral("-batch"), QStringLiteral("-bail"), dbFile, sql});
    p.setStandardOutputFile(outFile);
    ShellRun r;
    QElapsedTimer t;
    t.start();
    p.start();
    const bool finished = p.waitForStarted(-1) && p.waitForFinished(-1);
    r.ms = t.elapsed();
    r.ok = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!r.ok)
        r.error = p.error() == QProcess::FailedToStart
                      ? p.errorString()
                      : QString::fromUtf8(p.readAllStandardError()).trimmed();
    return r;
}

// Goods whose figures from the shell differ from ours; -1 when the output cannot be read.
int mismatches(const QString& outFile, const StockFigureTable& ours, int* rows) {
    QFile f(outFile);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return -1;
    int bad = 0;
    *rows = 0;
    while (!f.atEnd()) {
        const QStringList v = QString::fromUtf8(f.readLine()).chopped(1).split(u'|');
        if (v.size() != 8) return -1;
        ++*rows;
        StockDayFigures s;
        s.P = v[1].toLongLong();
        s.R = v[2].toLongLong();
        s.H = v[3].toLongLong();
        s.T = v[4].toLongLong();
        s.F = v[5].toLongLong();
        s.Z = v[6].toLongLong();
        s.count = v[7].toLongLong();
        if (!(ours.figures(v[0]) == s)) ++bad;
    }
    return bad;
}

struct Line {
    const char* figure;
    double ours;
    double limit;
    const char* target;
    int verdict; // 1 PASS, 0 MISS, -1 none
};

} // namespace

int main(int argc, char** argv) {
    // The report measures and draws text: Qt GUI without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const char* usage = "usage: bench_stock_list DIR [--day YYYYMMDD] [--sqlite3 PATH]\n";
    if (args.isEmpty() || !QFileInfo(args[0]).isDir()) {
        std::fputs(usage, stderr);
        return 2;
    }
    int day = 0;
    QString shell = QStringLiteral("sqlite3");
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--day") && i + 1 < args.size()) {
            day = args[++i].toInt();
            if (!toDate(day).isValid()) return fail(QStringLiteral("--day takes a calendar day YYYYMMDD"));
        } else if (args[i] == QLatin1String("--sqlite3") && i + 1 < args.size()) {
            shell = args[++i];
        } else {
            std::fputs(usage, stderr);
            return 2;
        }
    }
    const QString shellPath = shell.contains(u'/') ? (QFileInfo(shell).isExecutable() ? shell : QString())
                                                   : QStandardPaths::findExecutable(shell);
    if (shellPath.isEmpty())
        return fail(QStringLiteral("no sqlite3 shell '%1' (apt-get install sqlite3, or give --sqlite3 PATH)")
                        .arg(shell));

    const QString dir = QFileInfo(args[0]).absoluteFilePath();
    const QString dbFile = QDir(dir).filePath(QString::fromLatin1(kDataFileName));
    fnSetProgramFolder(dir);
    if (!fnOpenDB()) return 2;

    StockListRange range;
    StockFigureTable figures;
    qint64 figuresMs = 0;
    try {
        if (day == 0) {
            // The middle of the ledger, so there are movements on both sides of D.
            Recordset rec;
            fnOpenRecordset(rec, QStringLiteral("select min(day), max(day) from gdai"));
            const QDate first = toDate(rec.Fields(0).toInt());
            const QDate last = toDate(rec.Fields(1).toInt());
            if (!first.isValid() || !last.isValid()) return fail(QStringLiteral("the ledger has no days"));
            day = toDay(QDate::fromJulianDay((first.toJulianDay() + last.toJulianDay()) / 2));
        }
        const GoodsPick lo = fnRangeEndGoods(false);
        const GoodsPick hi = fnRangeEndGoods(true);
        if (!lo.found || !hi.found) return fail(QStringLiteral("no stock-managed goods"));
        range.day = day;
        range.code0 = lo.code;
        range.name0 = lo.name;
        range.code1 = hi.code;
        range.name1 = hi.name;

        QElapsedTimer t;
        t.start();
        figures.load(range.code0, range.code1, day);
        figuresMs = t.elapsed();
    } catch (const DbError& e) {
        return fail(e.description());
    }

    rptZaiko report;
    report.StankaKbn = 0;
    report.Range = range;
    QElapsedTimer t;
    t.start();
    const bool ran = report.Run();
    const qint64 pagesMs = t.elapsed();
    if (!ran || report.PageCount() == 0)
        return fail(QStringLiteral("the report did not run: ") + report.lastErrorText());

    QTemporaryDir temp;
    if (!temp.isValid()) return fail(QStringLiteral("no temporary folder"));
    ReportPdfExport pdf;
    pdf.FileName = temp.filePath(QStringLiteral("zaiko.pdf"));
    t.restart();
    const bool written = pdf.Export(report);
    const qint64 pdfMs = t.elapsed();
    if (!written) return fail(QStringLiteral("PDF: ") + pdf.errorDescription());
    const qint64 pdfBytes = QFileInfo(pdf.FileName).size();

    // The goods the report reads, through its own data control: what pages spends beyond the
    // figures and this is layout and text measuring.
    qint64 goodsMs = 0;
    int goodsRows = 0;
    {
        QList<QVariantMap> rows;
        int number = 0;
        QString text;
        t.restart();
        if (report.DataControl1.fetch(&rows, &number, &text)) goodsRows = int(rows.size());
        goodsMs = t.elapsed();
    }

    const QString sql = onePassSql(range.code0, range.code1, day);
    const ShellRun start = runShell(shellPath, dbFile, QStringLiteral("select 1;"), QProcess::nullDevice());
    const ShellRun query = runShell(shellPath, dbFile, sql, QProcess::nullDevice());
    // Our own statement in the shell: what the figures could cost without the program around them.
    const ShellRun own =
        runShell(shellPath, dbFile, StockFigureTable::sql(range.code0, range.code1, day) + u';',
                 QProcess::nullDevice());
    if (!start.ok || !query.ok)
        return fail(QStringLiteral("sqlite3: ") + (start.ok ? query.error : start.error));
    // Untimed: the limit only means something when it computes the same figures.
    const QString outFile = temp.filePath(QStringLiteral("figures.txt"));
    const ShellRun check = runShell(shellPath, dbFile, sql, outFile);
    int shellRows = 0;
    const int bad = check.ok ? mismatches(outFile, figures, &shellRows) : -1;
    fnCloseDB();

    const double limitMs = double(qMax<qint64>(1, query.ms - start.ms));
    std::printf("database %s, D = %d, goods %s..%s\n", dbFile.toUtf8().constData(), day,
                range.code0.trimmed().toUtf8().constData(), range.code1.trimmed().toUtf8().constData());
    std::printf(
        "figures: %d goods with ledger rows; report: %d goods on %d pages; PDF %.1f MB (%lld bytes)\n",
        figures.size(), goodsRows, int(report.PageCount()), pdfBytes / 1048576.0,
        static_cast<long long>(pdfBytes));
    std::printf("sqlite3 shell %s: one-pass query %lld ms, start (select 1) %lld ms, limit = %.0f ms\n",
                shellPath.toUtf8().constData(), static_cast<long long>(query.ms),
                static_cast<long long>(start.ms), limitMs);
    if (bad < 0)
        std::printf("check: the shell's figures could not be read\n");
    else
        std::printf("check: %d goods from the shell, %d differ from ours\n", shellRows, bad);
    if (own.ok)
        std::printf(
            "the figures' own statement (StockFigureTable::sql) in the shell: %lld ms; pages / it = %.2fx\n",
            static_cast<long long>(own.ms - start.ms), double(pagesMs) / qMax<qint64>(1, own.ms - start.ms));
    std::printf("pages ~ figures (as above) %lld + goods read %lld + layout and text measuring %lld ms\n\n",
                static_cast<long long>(figuresMs), static_cast<long long>(goodsMs),
                static_cast<long long>(pagesMs - figuresMs - goodsMs));

    rusage peak{};
    getrusage(RUSAGE_SELF, &peak);
    std::printf("peak memory (resident): %.0f MB for %d goods listed, %d pages\n\n", peak.ru_maxrss / 1024.0,
                goodsRows, int(report.PageCount()));

    const double perPage = double(pdfMs) / qMax(1, int(report.PageCount()));
    const Line lines[] = {
        {"figures", double(figuresMs), limitMs, "-", -1},
        {"pages", double(pagesMs), limitMs, "<= 1.2x limit", pagesMs <= 1.2 * limitMs ? 1 : 0},
        {"PDF", double(pdfMs), limitMs, "-", -1},
        {"PDF/page", perPage, limitMs, "<= 1 ms", perPage <= 1.0 ? 1 : 0},
    };
    std::printf("%-8s %10s %10s %7s  %-12s %s\n", "figure", "ours (ms)", "limit (ms)", "ratio", "target", "");
    for (const Line& l : lines)
        std::printf("%-8s %10.2f %10.0f %6.2fx  %-12s %s\n", l.figure, l.ours, l.limit, l.ours / l.limit,
                    l.target, l.verdict < 0 ? "" : (l.verdict ? "PASS" : "MISS"));
    return 0;
}
