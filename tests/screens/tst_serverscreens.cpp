// The screens on a server that restarts, stops or stops answering while they are open: what the
// user is told, and what the database holds afterwards. A cluster of the test's own (OwnCluster), so
// the run's shared server keeps serving the tests beside this one.

#include "support/ScreenBench.h"
#include "ui/DataRows.h"

#include "app/basMain.h"
#include "data/Connection.h"
#include "reports/ActiveReport.h"
#include "reports/PrintScreenDriver.h"
#include "reports/frmPrintZaiko.h"
#include "screens/frmSiiden.h"
#include "support/OwnCluster.h"
#include "support/TestServer.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace screen;
using namespace Qt::Literals::StringLiterals;

class TestServerScreens : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<OwnCluster> m_cluster;
    std::unique_ptr<ScreenBench> b;
    std::unique_ptr<BeforeBoxes> m_hook;
    QElapsedTimer m_timer;
    bool m_pauseOnSave = false;

    // Steps this file adds to the bench's: the server restarted, down, up, paused (the clock started)
    // or resumed; "pauseOnSave" pauses it the moment the save's question is answered; "timer" starts
    // the clock "?within:MS" reads; "?ledger=ROWS" (addLedgerRows notation), "?previews=N", "?critical"
    // the last box's icon, "?gaveUp" the last box says the server was given up on.
    bool step(const QString& s) {
        bool known = true;
        [&] {
            const QString arg = s.section(u':', 1), value = s.section(u'=', 1);
            const QString told = b->dialogs.messages.isEmpty() ? QString() : b->dialogs.lastMessage().text;
            if (s == u"restart")
                QVERIFY(m_cluster->restart());
            else if (s == u"down")
                QVERIFY(m_cluster->down());
            else if (s == u"up")
                QVERIFY(m_cluster->up());
            else if (s == u"pause")
                m_cluster->pause(), m_timer.start();
            else if (s == u"resume")
                m_cluster->resume();
            else if (s == u"pauseOnSave")
                m_pauseOnSave = true;
            else if (s == u"timer")
                m_timer.start();
            else if (s.startsWith(u"?within:"))
                QVERIFY2(m_timer.elapsed() < arg.toInt(), qPrintable(QString::number(m_timer.elapsed())));
            else if (s.startsWith(u"?ledger="))
                QCOMPARE(ledgerRows(b->dir), value);
            else if (s.startsWith(u"?previews="))
                QCOMPARE(previews().size(), value.toInt());
            else if (s == u"?critical")
                QCOMPARE(b->dialogs.lastMessage().icon, MsgIcon::Critical);
            else if (s == u"?gaveUp")
                QVERIFY2(told.contains(u"秒以上応答しないため、処理を打ち切りました。"_s) ||
                             told.contains(u"に接続できません。"_s),
                         qPrintable(told));
            else
                known = false;
        }();
        return known;
    }

private slots:
    void initTestCase() {
        if (!TestServer::active()) QSKIP("the server run (-pg) only");
        m_cluster = std::make_unique<OwnCluster>();
        QVERIFY2(m_cluster->started(), qPrintable(m_cluster->why()));
        Connection::setDefaultStatementTimeout(2000); // a silent server is given up on sooner
    }
    void init() {
        b = std::make_unique<ScreenBench>();
        b->extraStep = [this](const QString& s) { return step(s); };
        m_pauseOnSave = false;
        m_hook = std::make_unique<BeforeBoxes>(b->dialogs, [this](const MessageRequest& r) {
            if (!m_pauseOnSave || r.text != u"記録します"_s) return;
            m_pauseOnSave = false;
            m_cluster->pause();
            m_timer.start();
        });
    }
    void cleanup() {
        m_cluster->recover();
        closePreviews();
        m_hook.reset();
        b.reset();
        gstrArgs.clear();
    }
    void cleanupTestCase() { m_cluster.reset(); }

    // The receipt screen on goods 12 (a count of 10 on 1 Jan); steps, then the ledger and the log.
    // SERVER stands for the server's name as the boxes give it.
    void entry_data() {
        cols<QString, QString, QString>("steps", "after", "logs");
        const QString save = u"date:20240105;txtGcode=12;Enter;keys:5;"_s,
                      saved = u"?said=記録します (ＰＥＬＫＯ);"_s;
        const QString log5 = u"0, 1 入庫処理:[2024/01/05][ 12]"_s;
        // Kept open while the server restarts, or stops and starts again: the next save goes through.
        for (const char* how : {"restart", "down;up"})
            row(how,
                u"yes;"_s + save + u"F5;"_s + saved + u"clear;"_s + how +
                    u";yes;date:20240106;txtGcode=12;Enter;keys:7;F5;"_s + saved + u"?lblZaikoSuu=22"_s,
                "20240101 9 10; 20240105 0 5; 20240106 0 7", log5 + u", 1 入庫処理:[2024/01/06][ 12]"_s);
        // Away: F5 says so at once, naming the server, asks nothing and keeps the input; once the
        // server is back the same input saves.
        row("away",
            save +
                u"down;timer;F5;?within:30000;?said=SERVER に接続できません。サーバーが動いているか*;"
                "?critical;?txtSuu=5;up;?ledger=20240101 9 10;clear;yes;F5;"_s +
                saved,
            "20240101 9 10; 20240105 0 5", log5);
        // Silent the moment the save is confirmed: given up after the statement limit (one wait, not
        // one per attempt of the save), nothing written; when it goes on, the same input saves once.
        row("silent",
            save +
                u"yes;pauseOnSave;F5;?within:35000;?said=記録します (ＰＥＬＫＯ)/記録に失敗しました！\r\n"
                "SERVER が *秒以上応答しないため、処理を打ち切りました。*;resume;?ledger=20240101 9 10;"
                "?enabled:txtSuu;clear;yes;F5;"_s +
                saved,
            "20240101 9 10; 20240105 0 5", log5);
    }
    void entry() {
        b->dir.addCategory(1, u"食品"_s);
        addGoodsRows(b->dir, u"12 みかん"_s);
        addLedgerRows(b->dir, u"20240101 9 10"_s);
        gstrArgs = QStringList{u"1"_s};
        b->open<frmSiiden>()->setLockWait(30); // eleven attempts against a held lock stay short
        const QString server = u"サーバー 'postgresql://zanmo@127.0.0.1:%1/%2'"_s.arg(
            m_cluster->port(), b->dir.serverDatabase());
        const QString failure = b->play(fetch<QString>("steps").replace(u"SERVER"_s, server));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(ledgerRows(b->dir), fetch<QString>("after"));
        QCOMPARE(b->logs(u"入庫処理"_s), fetch<QString>("logs"));
        QVERIFY(b->form->isEnabled());
    }

    // The stock list previewed while the server is silent: a plain message within the limit, no
    // preview, the print screen usable; when the server goes on the list shows.
    void report() {
        addGoodsRows(b->dir, u"10 みかん"_s);
        addLedgerRows(b->dir, u"20240101 0 8"_s, u"10"_s);
        b->open<frmPrintZaiko>();
        QCOMPARE(b->play(u"txtCode_0=;Enter;txtCode_1=;Enter;pause;click:cmdBtn_1;?within:60000;?previews=0;"
                         "?gaveUp;?enabled:cmdBtn_1;resume;clear;click:cmdBtn_1;?previews=1"_s),
                 QString());
        QCOMPARE(previews().first()->report()->printedRows().value(0).value(0).trimmed(), u"10"_s);
    }
};

QTEST_MAIN(TestServerScreens)
#include "tst_serverscreens.moc"
