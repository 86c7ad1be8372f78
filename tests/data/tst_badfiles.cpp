#include "app/basStartCheck.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"
#include "ui/DataRows.h"

#include <QCryptographicHash>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray digestOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "unreadable";
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

} // namespace

// data1.dat as it may be found: a clear message at start-up, nothing written to it, no crash.
class TestBadFiles : public QObject, DataRows {
    Q_OBJECT

private slots:
    void cleanup() { fnCloseDB(); }

    void broken_data() {
        cols<QString, QString>("file", "message");
        row("missing", "missing", "が見つかりません");
        row("a folder", "folder", "が見つかりません");
        row("zero bytes", "empty", "認識できないデータベース形式");
        row("random bytes", "random", "認識できないデータベース形式");
        row("cut short", "truncated", "ファイルが破損しています");
    }
    void broken() {
        TempProgramDir dir(false, false);
        const QString file = dir.dataFile();
        const QString kind = fetch<QString>("file");
        if (kind == u"folder"_s) QVERIFY(QDir().mkpath(file));
        if (kind == u"empty"_s) QFile(file).open(QIODevice::WriteOnly);
        if (kind == u"random"_s) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QByteArray bytes(8192, 0);
            for (int i = 0; i < bytes.size(); ++i)
                bytes[i] = char((i * 7919 + 13) % 251);
            f.write(bytes);
        }
        if (kind == u"truncated"_s) {
            {
                TempProgramDir full(true);
                for (int i = 0; i < 300; ++i)
                    full.addGoods(QString::number(i), u"品物の名前がここに入る %1"_s.arg(i));
                fnCloseDB();
                QFile::copy(full.dataFile(), file);
            }
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.resize(f.size() / 2));
        }
        const QByteArray before = QFileInfo(file).isFile() ? digestOf(file) : QByteArray();
        ScriptedDialogs dialogs;
        QVERIFY(!fnOpenDB());
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.lastMessage().text.contains(fetch<QString>("message")),
                 qPrintable(dialogs.lastMessage().text));
        QCOMPARE(dialogs.lastMessage().title, u"ＰＥＬＫＯ"_s);
        if (!before.isEmpty()) QCOMPARE(digestOf(file), before); // not written to
        QVERIFY(!QFile::exists(file + u"-wal"_s) && !QFile::exists(file + u"-journal"_s));
    }

    void folderWithSemicolon() {
        TempProgramDir program(false, false);
        TempProgramDir data(false);
        const QString folder = data.path() + u"/店;共有"_s;
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(data.dataFile(), folder + u"/data1.dat"_s));
        fnSetProgramFolder(program.path());
        program.writeIni(u"[zanmo]\ndbmode=1\ndbpath="_s + folder + u"\n"_s);
        ScriptedDialogs dialogs;
        QVERIFY2(fnOpenDB(), qPrintable(dialogs.messages.isEmpty() ? QString() : dialogs.lastMessage().text));
        QCOMPARE(gcnData->filePath(), QFileInfo(folder + u"/data1.dat"_s).absoluteFilePath());
    }

    // What start-up finds before the user types: the message, and whether the database is opened.
    void atStart_data() {
        cols<QString, QString>("case", "message");
        row("read-only file", "file", "data1.dat が読み取り専用になっています");
        row("read-only folder", "folder", "が読み取り専用になっています");
        row("unknown dbmode", "mode", "zanmo.ini の dbmode が正しくありません");
        row("a table missing", "table", "goods");
        row("a column missing", "column", "sysfile.stankakbn");
        row("garbage zanmo.ini", "garbage", "");
    }
    void atStart() {
        TempProgramDir dir(false);
        const QString kind = fetch<QString>("case");
        QFile file(dir.dataFile());
        if (kind == u"file"_s) file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        if (kind == u"folder"_s)
            QFile(dir.path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (kind == u"mode"_s) dir.writeIni(u"[zanmo]\ndbmode=7\n"_s);
        if (kind == u"garbage"_s) dir.writeIni(QString::fromLatin1(QByteArray(300, '\x9f')) + u"=[[\n\x01"_s);
        if (kind == u"table"_s || kind == u"column"_s) {
            QVERIFY(fnOpenDB());
            gcnData->Execute(kind == u"table"_s ? u"drop table goods"_s
                                                : u"alter table sysfile drop column stankakbn"_s);
            fnCloseDB();
        }
        const QByteArray before = digestOf(dir.dataFile());
        ScriptedDialogs dialogs;
        const bool opened = fnCheckDataFile() && fnOpenDB() && fnCheckDatabaseLayout();
        QFile(dir.path())
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QString expected = fetch<QString>("message");
        QCOMPARE(opened, expected.isEmpty());
        QCOMPARE(gcnData != nullptr, expected.isEmpty());
        if (expected.isEmpty()) return;
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.lastMessage().text.contains(expected), qPrintable(dialogs.lastMessage().text));
        QCOMPARE(digestOf(dir.dataFile()), before);
    }
};

QTEST_MAIN(TestBadFiles)
#include "tst_badfiles.moc"
