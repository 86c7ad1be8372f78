// The screens on a server that restarts, stops or stops answering while they are open (issue 31):
// what the user sees, and what is in the database afterwards. A cluster of the test's own
// (OwnCluster), so the run's shared server keeps serving the tests beside this one.

#include "EntryDriver.h"

#include "data/DbError.h"
#include "reports/ActiveReport.h"
#include "reports/PrintScreenDriver.h"
#include "reports/frmPrintZaiko.h"
#include "screens/frmSiiden.h"
#include "support/OwnCluster.h"
#include "support/TestServer.h"
#include "ui/DataRows.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>
#include <functional>

using namespace entry;
using namespace Qt::Literals::StringLiterals;

namespace {

// Hands every box to the scripted answers, after `before` has seen it: the moment a user answers
// a box is the moment the test lets the server go away.
class HookedDialogs final : public DialogSeam {
public:
    HookedDialogs(ScriptedDialogs& inner, std::function<void(const MessageRequest&)> before)
        : m_inner(inner), m_before(std::move(before)) {
        setDialogs(this);
    }
    ~HookedDialogs() override { setDialogs(&m_inner); }
    int messageBox(const MessageRequest& r) override {
        if (m_before) m_before(r);
        return m_inner.messageBox(r);
    }
    QString saveFileName(const SaveFileRequest& r) override { return m_inner.saveFileName(r); }
    bool startProgram(const ProgramStart& s, QString* error) override {
        return m_inner.startProgram(s, error);
    }

private:
    ScriptedDialogs& m_inner;
    std::function<void(const MessageRequest&)> m_before;
};

const QString kSaved = u"記録します"_s;

} // namespace

class tst_serverscreens : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<OwnCluster> m_cluster;
    std::unique_ptr<EntryBench<frmSiiden>> b;
    QWidget* form() const { return b->form.get(); }

    // The receipt of goods 12 on `day` saved with F5, every question answered Yes.
    void saveReceipt(int day, const QString& quantity) {
        b->dialogs.answerMessage(MsgYes);
        b->dialogs.answerMessage(MsgYes);
        pickGoods(form(), day, u"12"_s);
        QTest::keyClicks(child<QLineEdit>(form(), "txtSuu"), quantity);
        press(Qt::Key_F5);
    }
    QStringList texts() const {
        QStringList out;
        for (const MessageRequest& m : b->dialogs.messages)
            out << m.text;
        return out;
    }
    QString serverName() const {
        return u"サーバー 'postgresql://zanmo@127.0.0.1:%1/%2'"_s.arg(m_cluster->port(),
                                                                      b->dir.serverDatabase());
    }

private slots:
    void initTestCase() {
        if (!TestServer::active()) QSKIP("the server run (-pg) only");
        m_cluster = std::make_unique<OwnCluster>();
        QVERIFY2(m_cluster->started(), qPrintable(m_cluster->why()));
    }
    void init() {
        b = std::make_unique<EntryBench<frmSiiden>>(u"1"_s);
        b->dir.addLedger(u"12"_s, 20240101, 9, 10);
        b->open();
    }
    void cleanup() {
        m_cluster->recover();
        b.reset();
    }
    void cleanupTestCase() { m_cluster.reset(); }

    // The screen stays open while the server restarts (or is stopped and started again): the next
    // save goes through as if nothing had happened.
    void saveAfterRestart_data() {
        cols<QString>("how");
        row("a restart", "restart");
        row("stopped and started again", "down-up");
    }
    void saveAfterRestart() {
        saveReceipt(kDay, u"5"_s);
        QCOMPARE(texts(), QStringList{kSaved});
        if (fetch<QString>("how") == u"restart")
            QVERIFY(m_cluster->restart());
        else
            QVERIFY(m_cluster->down() && m_cluster->up());
        b->dialogs.clear();
        saveReceipt(kDay + 1, u"7"_s);
        QCOMPARE(texts(), QStringList{kSaved});
        QCOMPARE(b->gdai(u"day,kubun,suu"_s), u"20240101|9|10.0,20240105|0|5.0,20240106|0|7.0"_s);
        QCOMPARE(b->logs(1), 2);
        QCOMPARE(labelText(form(), "lblZaikoSuu"), u"22"_s); // the stock shown after the save
    }

    // A server that stays away: F5 says so at once (the input check's first read meets it), naming
    // the server, asks nothing and keeps the input; once the server is back the same input saves.
    void saveWhileServerDown() {
        pickGoods(form(), kDay, u"12"_s);
        QTest::keyClicks(child<QLineEdit>(form(), "txtSuu"), u"5"_s);
        QVERIFY(m_cluster->down());
        QElapsedTimer timer;
        timer.start();
        press(Qt::Key_F5);
        QVERIFY2(timer.elapsed() < 30000, "no attempt after the server was found away");
        QCOMPARE(b->dialogs.messages.size(), 1);
        const QString told = b->said().text;
        QVERIFY2(told.startsWith(serverName() + u" に接続できません。サーバーが動いているか"_s),
                 qPrintable(told));
        QCOMPARE(b->said().icon, MsgIcon::Critical);
        QCOMPARE(text(form(), "txtSuu").remove(u','), u"5"_s);
        QVERIFY(form()->isEnabled());
        QVERIFY(m_cluster->up());
        QCOMPARE(b->gdai(u"day,kubun"_s), u"20240101|9"_s);
        b->dialogs.clear();
        b->dialogs.answerMessage(MsgYes);
        press(Qt::Key_F5);
        QCOMPARE(texts(), QStringList{kSaved});
        QCOMPARE(b->gdai(u"day,kubun,suu"_s), u"20240101|9|10.0,20240105|0|5.0"_s);
    }

    // The server stops answering the moment the user confirms the save: the screen gives up after
    // the statement limit with a plain message instead of waiting as long as the silence lasts;
    // nothing was written; when the server goes on, the same input saves once.
    void saveWhileServerSilent() {
        pickGoods(form(), kDay, u"12"_s);
        QTest::keyClicks(child<QLineEdit>(form(), "txtSuu"), u"5"_s);
        b->dialogs.answerMessage(MsgYes);
        QElapsedTimer timer;
        {
            HookedDialogs hook(b->dialogs, [&](const MessageRequest& r) {
                if (r.text != kSaved) return;
                m_cluster->pause();
                timer.start();
            });
            press(Qt::Key_F5);
        }
        // Not a measure of speed: one wait for the statement limit and one connection attempt, not
        // one for each of the save's attempts.
        const qint64 waited = timer.elapsed();
        QVERIFY2(waited < 35000, qPrintable(QString::number(waited)));
        const QString told = b->said().text;
        QVERIFY2(told.startsWith(u"記録に失敗しました！\r\n"_s + serverName() + u" が "_s) &&
                     told.contains(u"秒以上応答しないため、処理を打ち切りました。"_s),
                 qPrintable(told));
        QVERIFY(form()->isEnabled());
        m_cluster->resume();
        QCOMPARE(b->gdai(u"day,kubun"_s), u"20240101|9"_s);
        QCOMPARE(b->logs(1), 0);
        b->dialogs.clear();
        b->dialogs.answerMessage(MsgYes);
        press(Qt::Key_F5);
        QCOMPARE(texts(), QStringList{kSaved});
        QCOMPARE(b->gdai(u"day,kubun,suu"_s), u"20240101|9|10.0,20240105|0|5.0"_s);
        QCOMPARE(b->logs(1), 1);
    }

    // The stock list previewed while the server is silent: a plain message within the limit, no
    // preview, the print screen usable; when the server goes on the list shows.
    void reportWhileServerSilent() {
        b.reset(); // the print screen alone, on a program folder of its own
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        dir.addGoods(u"10"_s, u"みかん"_s);
        dir.addLedger(u"10"_s, 20240101, 0, 8);
        frmPrintZaiko screen;
        QVERIFY(showAndActivate(&screen));
        type(&screen, "txtCode_0", {});
        press(Qt::Key_Return);
        type(&screen, "txtCode_1", {});
        press(Qt::Key_Return);
        m_cluster->pause();
        QElapsedTimer timer;
        timer.start();
        child<QPushButton>(&screen, "cmdBtn_1")->click();
        const qint64 waited = timer.elapsed();
        QVERIFY2(waited < 60000, qPrintable(QString::number(waited)));
        QVERIFY(previews().isEmpty());
        QVERIFY(!dialogs.messages.isEmpty());
        const QString told = dialogs.lastMessage().text;
        QVERIFY2(told.contains(u"秒以上応答しないため、処理を打ち切りました。"_s) ||
                     told.contains(u"に接続できません。"_s),
                 qPrintable(told));
        QVERIFY(child<QWidget>(&screen, "cmdBtn_1")->isEnabled());
        m_cluster->resume();
        dialogs.clear();
        child<QPushButton>(&screen, "cmdBtn_1")->click();
        QCOMPARE(previews().size(), 1);
        QCOMPARE(previews().first()->report()->printedRows().value(0).value(0).trimmed(), u"10"_s);
        closePreviews();
        screen.close();
    }
};

QTEST_MAIN(tst_serverscreens)
#include "tst_serverscreens.moc"
