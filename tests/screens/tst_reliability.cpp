// Several programs saving into one data1.dat at once, and programs killed in the middle of a save.
// The test runs copies of itself as the saving programs ("--saver DIR FIRST COUNT"), each working the
// receipt screen's save path as a user does.

#include "app/basMain.h"
#include "data/DialogSeam.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "screens/frmSiiden.h"
#include "support/TempProgramDir.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QtTest>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kG12 = u"          12"_s;

// Answers every question with Yes and prints each box's first line, for the parent to read.
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

// A saving program: the receipt of goods 12 on 2024-01-05, saved `count` times (count 0: until
// killed) with the quantities first, first + 1, ... Prints "saved N" or "refused N" per save.
int saver(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AnsweringDialogs boxes;
    setDialogs(&boxes);
    fnSetProgramFolder(QString::fromLocal8Bit(argv[2]));
    if (!fnOpenDB()) return 3;
    gstrArgs = {u"1"_s};
    const int first = QByteArray(argv[3]).toInt();
    const int count = QByteArray(argv[4]).toInt();
    frmSiiden form;
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form)) return 4;
    auto* suu = form.findChild<QLineEdit*>(u"txtSuu"_s);
    // The day and the goods typed once, as a user does.
    const std::pair<const char*, const char*> typed[] = {
        {"txtYy", "2024"}, {"txtMm", "1"}, {"txtDd", "5"}, {"txtGcode", "12"}};
    for (auto [name, text] : typed) {
        auto* box = form.findChild<QLineEdit*>(QString::fromLatin1(name));
        box->setFocus();
        box->setText(QString::fromLatin1(text));
    }
    QTest::keyClick(form.findChild<QLineEdit*>(u"txtGcode"_s), Qt::Key_Return);
    for (int i = 0; count == 0 || i < count; ++i) {
        const int q = first + i;
        boxes.last.clear();
        boxes.asked = false;
        suu->setFocus();
        suu->setText(QString::number(q));
        QTest::keyClick(suu, Qt::Key_F5);
        const bool refused = boxes.last.startsWith(u"記録に失敗しました"_s);
        if (!boxes.asked) {
            std::printf("not saving: %s\n", qPrintable(boxes.last)); // the screen did not come to saving
            return 5;
        }
        std::printf("%s %d\n", refused ? "refused" : "saved", q);
        std::fflush(stdout);
    }
    form.close();
    fnCloseDB();
    return 0;
}

QStringList startSavers(QList<QProcess*>& procs, const QString& dir, int programs, int count) {
    QStringList errors;
    for (int p = 0; p < programs; ++p) {
        auto* proc = new QProcess;
        proc->start(QCoreApplication::applicationFilePath(),
                    {u"--saver"_s, dir, QString::number((p + 1) * 1000), QString::number(count)});
        if (!proc->waitForStarted()) errors << proc->errorString();
        procs << proc;
    }
    return errors;
}

} // namespace

class tst_reliability : public QObject {
    Q_OBJECT

private slots:
    void concurrentSaves() {
        TempProgramDir dir;
        dir.addCategory(1, u"食品"_s);
        dir.addGoods(u"12"_s, u"みかん"_s, 1);
        QList<QProcess*> procs;
        QVERIFY(startSavers(procs, dir.path(), 4, 6).isEmpty());
        // Another program holds the write lock now and then.
        for (int i = 0; i < 3; ++i) {
            QTest::qWait(300);
            Connection other;
            dir.holdWriteLock(other);
            QTest::qWait(400);
            other.Execute(u"ROLLBACK"_s);
        }
        QSet<int> saved;
        int refused = 0;
        for (QProcess* p : procs) {
            if (p->state() != QProcess::NotRunning) QVERIFY(p->waitForFinished(90000));
            QCOMPARE(p->exitCode(), 0);
            for (const QByteArray& line : p->readAllStandardOutput().split('\n')) {
                if (line.startsWith("saved ")) saved << line.mid(6).toInt();
                if (line.startsWith("refused ")) ++refused;
            }
            delete p;
        }
        QCOMPARE(saved.size() + refused, 24); // every save told one way or the other
        // One row, holding one of the saved quantities; one log row per save, the first one new.
        QCOMPARE(dir.count(u"select count(*) from gdai"_s), 1);
        QVERIFY(saved.contains(dir.scalar(u"select suu from gdai"_s).toDouble()));
        QCOMPARE(dir.count(u"select count(*) from operatlog where naiyou='入庫処理' and kubun=1"_s), 1);
        QCOMPARE(dir.count(u"select count(*) from operatlog where naiyou='入庫処理' and kubun in (1, 2)"_s),
                 int(saved.size()));
    }

    void killedInTheMiddleOfSaves() {
        TempProgramDir dir;
        dir.addGoods(u"12"_s, u"みかん"_s, 1);
        fnCloseDB();
        for (int round = 0; round < 3; ++round) {
            QList<QProcess*> procs;
            QVERIFY(startSavers(procs, dir.path(), 2, 0).isEmpty());
            QTest::qWait(400 + 170 * round);
            for (QProcess* p : procs) {
                p->kill();
                p->waitForFinished();
                delete p;
            }
        }
        QVERIFY(fnOpenDB());
        if (dir.serverDatabase().isEmpty()) QCOMPARE(dir.scalar(u"PRAGMA integrity_check"_s), u"ok"_s);
        QCOMPARE(dir.count(u"select count(*) from gdai"_s), 1);
        // A whole quantity one of the programs typed, never a half-written row.
        QCOMPARE(
            dir.scalar(
                u"select gcode || '|' || day || '|' || kubun || '|' || denno || '|' || line from gdai"_s),
            kG12 + u"|20240105|0|0|0"_s);
        const double suu = dir.scalar(u"select suu from gdai"_s).toDouble();
        QVERIFY(suu >= 1000 && suu == std::floor(suu));
    }
};

int main(int argc, char** argv) {
    if (argc >= 5 && QByteArray(argv[1]) == "--saver") return saver(argc, argv);
    QApplication app(argc, argv);
    tst_reliability t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_reliability.moc"
