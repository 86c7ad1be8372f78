#include "data/basSettings.h"
#include "menu/frmMenu.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <vector>

// The installed tree: `cmake --install` of this build into a temporary prefix, then the installed
// programs started from there.
class tst_install : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void programFolder();
    void desktopEntries_data();
    void desktopEntries();
    void icon();
    void programsRun();
    void launcherStartsScreen();
    void launcherShowsDataPath();
    void cleanupTestCase();

private:
    QString program(const QString& name) const { return m_prefix.path() + "/lib/zanmo/" + name; }
    QTemporaryDir m_prefix;
};

static QProcessEnvironment offscreen() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

void tst_install::initTestCase() {
    const QString bin = qEnvironmentVariable("ZANMO_BIN");
    if (bin.isEmpty()) QSKIP("ZANMO_BIN is not set (run through CTest)");
    const QString cmake = QStandardPaths::findExecutable("cmake");
    if (cmake.isEmpty()) QSKIP("cmake is not on PATH");
    // ZANMO_BIN is <build>/bin/zanmo.
    const QString build = QFileInfo(bin).absoluteDir().filePath("..");
    QVERIFY(QFile::exists(build + "/cmake_install.cmake"));
    QVERIFY(m_prefix.isValid());
    QProcess p;
    p.start(cmake, {"--install", build, "--prefix", m_prefix.path()});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
}

void tst_install::programFolder() {
    for (const QString name : {"zanmo", "zanmo-tool", "zanmo-menu"}) {
        const QFileInfo real(program(name));
        QVERIFY2(real.isFile() && real.isExecutable(), qPrintable(real.filePath()));
        // bin/ leads to the program folder, where zanmo.ini and data1.dat are looked for.
        const QFileInfo entry(m_prefix.path() + "/bin/" + name);
        QVERIFY2(entry.exists(), qPrintable(entry.filePath()));
        QCOMPARE(entry.canonicalFilePath(), real.canonicalFilePath());
    }
}

void tst_install::desktopEntries_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("exec");
    QTest::newRow("1") << "zanmo-1.desktop" << u"入庫処理"_qs << "zanmo 1";
    QTest::newRow("2") << "zanmo-2.desktop" << u"在庫数調整"_qs << "zanmo 2";
    QTest::newRow("3") << "zanmo-3.desktop" << u"商品台帳"_qs << "zanmo 3";
    QTest::newRow("4") << "zanmo-4.desktop" << u"在庫一覧表"_qs << "zanmo 4";
    QTest::newRow("5") << "zanmo-5.desktop" << u"入庫処理／在庫数調整一覧表"_qs << "zanmo 5";
    QTest::newRow("6") << "zanmo-6.desktop" << u"棚卸取込"_qs << "zanmo 6";
    QTest::newRow("launcher") << "zanmo-menu.desktop" << u"ＰＥＬＫＯ 在庫管理"_qs << "zanmo-menu";
}

void tst_install::desktopEntries() {
    QFETCH(QString, file);
    QFile f(m_prefix.path() + "/share/applications/" + file);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    QCOMPARE(lines.value(0), "[Desktop Entry]");
    for (const QString line : {"Type=Application", "Icon=zanmo", "Terminal=false"})
        QVERIFY2(lines.contains(line), qPrintable(line));
    QTEST(lines.filter(QRegularExpression("^Name=")).value(0).mid(5), "name");
    QTEST(lines.filter(QRegularExpression("^Exec=")).value(0).mid(5), "exec");
}

void tst_install::icon() {
    QFile f(m_prefix.path() + "/share/icons/hicolor/scalable/apps/zanmo.svg");
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("<svg"));
}

void tst_install::programsRun() {
    QProcess init;
    init.start(m_prefix.path() + "/bin/zanmo-tool", {"init", "--demo", m_prefix.path() + "/lib/zanmo"});
    QVERIFY(init.waitForFinished(60000));
    QVERIFY2(init.exitCode() == 0, init.readAllStandardError().constData());
    QVERIFY(QFile::exists(program("data1.dat")));

    // All at once, through the bin links, so the whole check stays about as long as one start.
    std::vector<std::unique_ptr<QProcess>> running;
    QStringList labels;
    for (int n = 1; n <= 7; ++n) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(offscreen());
        if (n <= 6)
            p->start(m_prefix.path() + "/bin/zanmo", {QString::number(n)});
        else
            p->start(m_prefix.path() + "/bin/zanmo-menu", {});
        labels << (n <= 6 ? QString("zanmo %1").arg(n) : "zanmo-menu");
        QVERIFY2(p->waitForStarted(10000), qPrintable(labels.last()));
        running.push_back(std::move(p));
    }
    QTest::qWait(1500);
    // Each screen logs its opening into the program folder's data1.dat (the link found its folder);
    // on a busy machine six screens take a while to get there.
    const auto opened = [this] {
        int n = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "tst_install");
            db.setDatabaseName(program("data1.dat"));
            db.setConnectOptions("QSQLITE_OPEN_READONLY");
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec("select count(distinct naiyou) from operatlog where kubun = 0") && q.next())
                    n = q.value(0).toInt();
            }
        }
        QSqlDatabase::removeDatabase("tst_install");
        return n;
    };
    QTRY_COMPARE_WITH_TIMEOUT(opened(), 6, 20000);
    for (size_t i = 0; i < running.size(); ++i) {
        QProcess& p = *running[i];
        QVERIFY2(p.state() == QProcess::Running,
                 qPrintable(labels[i] + " ended: " + QString::fromLocal8Bit(p.readAllStandardError())));
        p.kill();
        p.waitForFinished(5000);
    }
}

void tst_install::launcherStartsScreen() {
    fnSetProgramFolder(m_prefix.path() + "/lib/zanmo");
    frmMenu menu;
    QCOMPARE(QFileInfo(menu.programPath()).canonicalFilePath(),
             QFileInfo(program("zanmo")).canonicalFilePath());
    QCOMPARE(menu.findChild<QLabel*>("lblData")->text(),
             u"データ: "_qs + QDir::toNativeSeparators(program("data1.dat")));
    menu.show();
    menu.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QSignalSpy started(&menu, &frmMenu::screenStarted);
    QTest::keyClick(&menu, Qt::Key_1);
    QCOMPARE(started.count(), 1);
    QCOMPARE(started[0][0].toInt(), 1);
    const auto pid = static_cast<pid_t>(started[0][1].toLongLong());
    QVERIFY(pid > 0);
    QTest::qWait(1500);
    // Detached: the screen is no child of ours, so it is checked and ended by its id.
    QVERIFY2(::kill(pid, 0) == 0, "zanmo 1 ended early");
    ::kill(pid, SIGKILL);
    QVERIFY(menu.isVisible());
    fnSetProgramFolder(QString());
}

void tst_install::launcherShowsDataPath() {
    const QString folder = m_prefix.path() + "/lib/zanmo";
    QFile ini(folder + "/zanmo.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[zanmo]\ndbmode=1\ndbpath=/srv/shop\n");
    ini.close();
    fnSetProgramFolder(folder);
    frmMenu menu;
    QCOMPARE(menu.findChild<QLabel*>("lblData")->text(), u"データ: /srv/shop/data1.dat"_qs);
    fnSetProgramFolder(QString());
}

void tst_install::cleanupTestCase() {
    fnSetProgramFolder(QString());
}

QTEST_MAIN(tst_install)
#include "tst_install.moc"
