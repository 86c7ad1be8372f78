// The suite's programs working one database at once, as a shop runs them: entry screens kept open
// and saving, screens holding connections, a voucher program writing shipments, readers and the tool
// coming and going, programs closed or killed. The test runs copies of itself as those programs
// ("--program KIND DIR"), each told what to do one line at a time on its stdin.

#include "app/basMain.h"
#include "core/basPadding.h"
#include "data/Connection.h"
#include "data/DbError.h"
#include "data/Recordset.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "popups/PopupDriver.h"
#include "popups/frmPopupGoods.h"
#include "reports/ActiveReport.h"
#include "reports/PrintScreenDriver.h"
#include "reports/frmPrintZaiko.h"
#include "screens/frmGdai.h"
#include "screens/frmSiiden.h"
#include "support/ScreenBench.h"
#include "support/ToolRun.h"
#include "ui/DataRows.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTableWidget>
#include <QtTest>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>

using namespace Qt::Literals::StringLiterals;
using namespace screen;

namespace {

// Answers every question with Yes and keeps each box's first line.
class AnsweringDialogs final : public DialogSeam {
public:
    QString last;
    bool asked = false; // the save's own question came
    int messageBox(const MessageRequest& r) override {
        last = r.text.section(u'\r', 0, 0);
        asked = asked || last == u"記録します"_s;
        return r.buttons == MsgButtons::Ok ? MsgOk : MsgYes;
    }
    QString saveFileName(const SaveFileRequest&) override { return {}; }
    bool startProgram(const ProgramStart&, QString*) override { return false; }
};

void reply(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// "save CODE DAY QTY" on the receipt screen: the day, the goods and the quantity typed, F5.
QString saveReceipt(QWidget* form, AnsweringDialogs& boxes, const QStringList& w) {
    boxes.last.clear();
    boxes.asked = false;
    typeDate(form, w.at(2).toInt());
    type(form, "txtGcode", w.at(1));
    press(Qt::Key_Return);
    QTest::keyClicks(child<QLineEdit>(form, "txtSuu"), w.at(3));
    press(Qt::Key_F5);
    if (!boxes.asked) return u"not saving: "_s + boxes.last;
    const bool refused = boxes.last.startsWith(u"記録に失敗しました"_s);
    return (refused ? u"refused "_s : u"saved "_s) + w.mid(1).join(u' ');
}

// "ship CODE DAY DENNO QTY": a voucher's shipment row, as the voucher program writes it.
QString ship(const QStringList& w) {
    try {
        gcnData->Execute(
            u"insert into gdai (gcode, day, kubun, denno, line, suu) values ('%1', %2, 1, %3, 1, %4)"_s.arg(
                fnPadLeft(w.at(1), 12), w.at(2), w.at(3), w.at(4)));
    } catch (const DbError& e) {
        return u"failed "_s + e.description();
    }
    return u"shipped "_s + w.mid(1).join(u' ');
}

// The ledger's goods picked in its lookup popup (which opens a connection of its own), its month shown.
bool ledgerThroughPopup(QWidget* form) {
    type(form, "txtCode", {});
    const auto popup = pickInGoodsLookup<frmPopupGoods>(u"101"_s);
    press(Qt::Key_F4);
    return popup->driven && showAndActivate(form) && text(form, "txtCode").trimmed() == u"101"_s;
}

// The ledger shown again, or the stock list previewed again.
QString look(QChar kind, QWidget* form) {
    if (kind == u'3') {
        type(form, "txtYy", u"2024"_s);
        type(form, "txtMm", u"01"_s);
        press(Qt::Key_F5);
        return u"looked %1"_s.arg(child<QTableWidget>(form, "msgMei")->rowCount());
    }
    const qsizetype before = previews().size();
    child<QPushButton>(form, "cmdBtn_1")->click();
    return previews().size() == before + 1 ? u"looked"_s : u"no preview"_s;
}

// A program of the suite: a receipt screen (1), the goods ledger (3) after its lookup popup, the stock
// list (4) after a preview, or the voucher program (v). Says "ready", then answers each line.
int program(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QChar kind = QChar::fromLatin1(argv[2][0]);
    AnsweringDialogs boxes;
    setDialogs(&boxes);
    fnSetProgramFolder(QString::fromLocal8Bit(argv[3]));
    if (!fnOpenDB()) return 3;
    gstrArgs = {u"1"_s};
    std::unique_ptr<QWidget> form;
    if (kind == u'1') form = std::make_unique<frmSiiden>();
    if (kind == u'3') form = std::make_unique<frmGdai>();
    if (kind == u'4') form = std::make_unique<frmPrintZaiko>();
    if (form && !showAndActivate(form.get())) return 4;
    if (kind == u'3' && !(ledgerThroughPopup(form.get()) && look(kind, form.get()).startsWith(u"looked"_s)))
        return 5;
    if (kind == u'4') {
        type(form.get(), "txtCode_0", {}); // every goods
        press(Qt::Key_Return);
        type(form.get(), "txtCode_1", {});
        press(Qt::Key_Return);
        if (look(kind, form.get()) != u"looked"_s) return 5;
    }
    reply(u"ready"_s);
    for (std::string line; std::getline(std::cin, line);) {
        const QStringList w = QString::fromStdString(line).split(u' ');
        if (w.first() == u"close") {
            if (form) form->close();
            closePreviews();
            fnCloseDB();
            reply(u"closed"_s);
            return 0;
        }
        reply(w.first() == u"save"   ? saveReceipt(form.get(), boxes, w)
              : w.first() == u"ship" ? ship(w)
                                     : look(kind, form.get()));
    }
    return 0;
}

std::unique_ptr<QProcess> launch(QChar kind, const QString& dir) {
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QCoreApplication::applicationFilePath(), {u"--program"_s, kind, dir});
    return p;
}

// The program's next line ("" when it ended or said nothing for a minute).
QString nextLine(QProcess& p) {
    while (!p.canReadLine())
        if (!p.waitForReadyRead(60000)) return {};
    return QString::fromUtf8(p.readLine()).trimmed();
}

const std::map<QChar, QString> kCaptions = {
    {u'1', u"入庫処理"_s}, {u'3', u"商品台帳"_s}, {u'4', u"在庫一覧表"_s}};

// One scenario: the programs it started, and every row they said they wrote, as rowsSeen() gives them.
class Shop {
public:
    explicit Shop(const TempProgramDir& dir) : m_dir(dir) {}
    ~Shop() { killAll(); }

    // One step; what went wrong, or "".
    // +An  start program A as a screen n (1, 3, 4), +V the voucher program
    // sA   A saves its next receipt (its own goods, its own day), or V its next shipment of goods 101
    // pA   A looks again: the ledger shown, the stock list previewed (a log row)
    // cA   A closed as a user closes it      kA  A killed (kill -9)
    // r    a plain reader comes and goes     t   the tool prints goods 101's stock
    // After each write and each close, a fresh reader must see every row written so far.
    QString step(const QString& s) {
        const QChar name = s.size() > 1 ? s.at(1) : QChar();
        if (s == u"r") return unseen();
        if (s == u"t") return tool();
        if (s.startsWith(u'+')) return start(name, s.size() > 2 ? s.at(2) : u'v');
        if (!m_programs.count(name)) return u"no program "_s + name;
        Program& p = m_programs.at(name);
        const QString day = QString::number(20240101 + p.done), qty = QString::number(1 + p.done);
        QString command, answer;
        QStringList rows;
        if (s.startsWith(u'k')) {
            p.proc->kill();
            p.proc->waitForFinished();
            m_programs.erase(name);
            return {}; // a reader closing last here would checkpoint what the killed one left, before a step
                       // could lose it
        } else if (s.startsWith(u'c')) {
            command = u"close"_s, answer = u"closed"_s;
            if (p.kind != u'v') rows << u"log %1 9"_s.arg(kCaptions.at(p.kind));
        } else if (s.startsWith(u'p')) {
            command = u"look"_s, answer = u"looked"_s;
            if (p.kind == u'3') answer += u' ' + QString::number(ledger101().size()); // the month's rows
            if (p.kind == u'4') rows << u"log 在庫一覧表 4"_s;
        } else if (p.kind == u'v') {
            const QString args = u"101 %1 %2 %3"_s.arg(day).arg(5001 + p.done).arg(qty);
            command = u"ship "_s + args, answer = u"shipped "_s + args;
            rows << u"gdai 101 %1 1 %2 %3"_s.arg(day).arg(5001 + p.done).arg(qty);
        } else {
            const QString code = QString::number(101 + name.unicode() - u'A');
            const QString args = code + u' ' + day + u' ' + qty;
            command = u"save "_s + args, answer = u"saved "_s + args;
            rows << u"gdai %1 %2 0 0 %3"_s.arg(code, day, qty) << u"log 入庫処理 1"_s;
        }
        ++p.done;
        p.proc->write((command + u'\n').toUtf8());
        if (const QString said = nextLine(*p.proc); said != answer)
            return u"answered '%1' to '%2'"_s.arg(said, command);
        m_written << rows;
        if (command == u"close") {
            if (!p.proc->waitForFinished(30000) || p.proc->exitCode() != 0) return u"did not end well"_s;
            m_programs.erase(name);
        }
        return unseen();
    }

    void killAll() {
        for (auto& [name, p] : m_programs) {
            p.proc->kill();
            p.proc->waitForFinished();
        }
        m_programs.clear();
    }

    // Rows written but not seen by a fresh reader, rows seen but never written; "" when none.
    QString unseen() const {
        QStringList seen = rowsSeen(), written = m_written;
        seen.sort();
        written.sort();
        return seen == written ? QString()
                               : u"seen:    %1\nwritten: %2"_s.arg(seen.join(u", "), written.join(u", "));
    }

    // A plain SQLite reader on a file, a new connection on the server.
    QStringList query(const QString& sql) const {
        if (m_dir.serverDatabase().isEmpty()) {
            QProcess reader;
            reader.start(u"sqlite3"_s, {u"-cmd"_s, u".timeout 10000"_s, m_dir.dataFile(), sql});
            if (!reader.waitForFinished(30000)) return {u"sqlite3 did not finish"_s};
            return QString::fromUtf8(reader.readAllStandardOutput() + reader.readAllStandardError())
                .split(u'\n', Qt::SkipEmptyParts);
        }
        QStringList out;
        try {
            Connection cn;
            cn.Open(fnConnectString(fnGetDbMode(), QLatin1String(kDataFileName)));
            Recordset rec;
            for (rec.openStatic(cn, sql); !rec.Eof(); rec.MoveNext())
                out << rec.Fields(0).toString();
        } catch (const DbError& e) {
            out << e.description();
        }
        return out;
    }

private:
    struct Program {
        std::unique_ptr<QProcess> proc;
        QChar kind;
        int done = 0;
    };

    QString start(QChar name, QChar kind) {
        Program p{launch(kind, m_dir.path()), kind};
        const QString first = nextLine(*p.proc);
        if (first != u"ready") return u"started with '%1', exit %2"_s.arg(first).arg(p.proc->exitCode());
        if (kind != u'v') m_written << u"log %1 0"_s.arg(kCaptions.at(kind));
        if (kind == u'4') m_written << u"log 在庫一覧表 4"_s;
        m_programs.emplace(name, std::move(p));
        return {};
    }

    QStringList rowsSeen() const {
        return query(u"select 'gdai ' || trim(gcode) || ' ' || day || ' ' || kubun || ' ' || denno || ' ' || "
                     "cast(suu as integer) from gdai union all select 'log ' || naiyou || ' ' || kubun "
                     "from operatlog"_s);
    }

    // Goods 101's ledger rows, all in January 2024.
    QStringList ledger101() const { return m_written.filter(QRegularExpression(u"^gdai 101 "_s)); }

    QString tool() const {
        int stock = 0;
        for (const QString& r : ledger101()) {
            const QStringList f = r.split(u' ');
            stock += (f.at(3) == u"1" ? -1 : 1) * f.at(5).toInt();
        }
        const ToolRun run = runTool({u"stock"_s, m_dir.path(), u"101"_s, u"20241231"_s});
        return run.status == 0 && run.out.trimmed() == QByteArray::number(stock)
                   ? QString()
                   : u"the tool said '%1' '%2', not %3"_s
                         .arg(QString::fromUtf8(run.out.trimmed()), QString::fromUtf8(run.err.trimmed()))
                         .arg(stock);
    }

    const TempProgramDir& m_dir;
    std::map<QChar, Program> m_programs;
    QStringList m_written;
};

} // namespace

class TestReliability : public QObject, DataRows {
    Q_OBJECT

private slots:
    // Scenarios of the steps Shop::step takes, on a file in either journal and on the server. At the
    // end every program still running is killed: every row written is there, the file is sound.
    void shop_data() {
        cols<QString, QString>("journal", "steps");
        const std::pair<const char*, const char*> scenarios[] = {
            {"receipt screen kept open", "+A1 sA r sA +V sV sA +B1 sB sA t kB sA sV cV r sA t"},
            {"two receipt screens, one closed", "+A1 +B1 sA sB cB sA +V sV kV sA t"},
            {"ledger after its popup, closed", "+A3 r +V sV sV kV cA r t"},
            {"ledger after its popup, killed", "+A3 r +B1 sB r +V sV pA sV kA sB kV r"},
            {"stock list after a preview, closed", "+A4 r +V sV pA sV kV cA r"},
            {"stock list after a preview, killed", "+A4 r +V sV pA sV kA t"},
        };
        for (const char* journal : {"wal", "delete"})
            for (auto [name, steps] : scenarios)
                row(qPrintable(u"%1: %2"_s.arg(QLatin1String(journal), QLatin1String(name))), journal, steps);
    }
    void shop() {
        TempProgramDir dir;
        const bool file = dir.serverDatabase().isEmpty();
        if (!file && fetch<QString>("journal") != u"wal") QSKIP("a file's journal");
        if (file) dir.writeIni(u"[zanmo]\njournal=%1\n"_s.arg(fetch<QString>("journal")));
        dir.addCategory(1, u"食品"_s);
        dir.addGoods(u"101"_s, u"みかん"_s, 1);
        dir.addGoods(u"102"_s, u"りんご"_s, 1);
        fnCloseDB(); // this process holds no connection: the programs alone decide the file's fate
        Shop shop(dir);
        for (const QString& s : fetch<QString>("steps").split(u' ')) {
            const QString failure = shop.step(s);
            QVERIFY2(failure.isEmpty(), qPrintable(s + u": "_s + failure));
        }
        shop.killAll();
        const QString failure = shop.unseen();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        if (file) {
            QCOMPARE(shop.query(u"PRAGMA integrity_check"_s), QStringList{u"ok"_s});
            QCOMPARE(shop.query(u"PRAGMA journal_mode"_s), QStringList{fetch<QString>("journal")});
        }
    }

    // Four receipt screens saving one row at once while another program takes the write lock now and
    // then: every save is told saved or refused, one row holds a saved quantity, one log row per save.
    void concurrentSaves() {
        TempProgramDir dir;
        dir.addCategory(1, u"食品"_s);
        dir.addGoods(u"12"_s, u"みかん"_s, 1);
        std::vector<std::unique_ptr<QProcess>> procs;
        for (int p = 0; p < 4; ++p)
            procs.push_back(launch(u'1', dir.path()));
        for (auto& p : procs)
            QCOMPARE(nextLine(*p), u"ready"_s);
        for (int i = 0; i < 3; ++i) {
            Connection other;
            dir.holdWriteLock(other);
            if (i == 0)
                for (int p = 0; p < 4; ++p) {
                    for (int q = 0; q < 6; ++q)
                        procs[p]->write(u"save 12 20240105 %1\n"_s.arg((p + 1) * 1000 + q).toUtf8());
                    procs[p]->write("close\n");
                }
            QTest::qWait(400); // the saves meanwhile wait on the lock
            other.Execute(u"ROLLBACK"_s);
            QTest::qWait(200);
        }
        QSet<int> saved;
        int refused = 0;
        for (auto& p : procs) {
            QVERIFY(p->state() == QProcess::NotRunning || p->waitForFinished(90000));
            QCOMPARE(p->exitCode(), 0);
            for (const QByteArray& line : p->readAllStandardOutput().split('\n')) {
                if (line.startsWith("saved ")) saved << line.split(' ').value(3).toInt();
                if (line.startsWith("refused ")) ++refused;
            }
        }
        QCOMPARE(saved.size() + refused, 24);
        QCOMPARE(dir.count(u"select count(*) from gdai"_s), 1);
        QVERIFY(saved.contains(dir.scalar(u"select suu from gdai"_s).toDouble()));
        QCOMPARE(dir.count(u"select count(*) from operatlog where naiyou='入庫処理' and kubun=1"_s), 1);
        QCOMPARE(dir.count(u"select count(*) from operatlog where naiyou='入庫処理' and kubun in (1, 2)"_s),
                 int(saved.size()));
    }

    // Two receipt screens saving one row over and over, killed in the middle, three times: a whole
    // quantity one of them typed, never a half-written row, and a sound file.
    void killedInTheMiddleOfSaves() {
        TempProgramDir dir;
        dir.addGoods(u"12"_s, u"みかん"_s, 1);
        fnCloseDB();
        for (int round = 0; round < 3; ++round) {
            std::vector<std::unique_ptr<QProcess>> procs;
            for (int p = 0; p < 2; ++p)
                procs.push_back(launch(u'1', dir.path()));
            for (int p = 0; p < 2; ++p) {
                QCOMPARE(nextLine(*procs[p]), u"ready"_s);
                for (int q = 0; q < 500; ++q)
                    procs[p]->write(u"save 12 20240105 %1\n"_s.arg((p + 1) * 1000 + q).toUtf8());
            }
            // Killed once each has saved a few times: the next save is under way.
            for (auto& p : procs) {
                for (int n = 0; n < 2 + round; ++n)
                    QVERIFY(nextLine(*p).startsWith(u"saved"_s));
                p->kill();
                p->waitForFinished();
            }
        }
        QVERIFY(fnOpenDB());
        if (dir.serverDatabase().isEmpty()) QCOMPARE(dir.scalar(u"PRAGMA integrity_check"_s), u"ok"_s);
        QCOMPARE(dir.count(u"select count(*) from gdai"_s), 1);
        QCOMPARE(
            dir.scalar(
                u"select gcode || '|' || day || '|' || kubun || '|' || denno || '|' || line from gdai"_s),
            u"          12|20240105|0|0|0"_s);
        const double suu = dir.scalar(u"select suu from gdai"_s).toDouble();
        QVERIFY(suu >= 1000 && suu == std::floor(suu));
    }
};

int main(int argc, char** argv) {
    if (argc >= 4 && QByteArray(argv[1]) == "--program") return program(argc, argv);
    QApplication app(argc, argv);
    TestReliability t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_reliability.moc"
