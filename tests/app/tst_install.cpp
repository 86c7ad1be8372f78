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
class TestInstall : public QObject {
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

void TestInstall::initTestCase() {
    const QString bin = qEnvironmentVariable("ZANMO_BIN");
    if (bin.isEmpty()) QFAIL("ZANMO_BIN is not set (run through CTest)");
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

void TestInstall::programFolder() {
    for (const QString name : {"zanmo", "zanmo-tool", "zanmo-menu"}) {
        const QFileInfo real(program(name));
        QVERIFY2(real.isFile() && real.isExecutable(), qPrintable(real.filePath()));
        // bin/ leads to the program folder, where zanmo.ini and data1.dat are looked for.
        const QFileInfo entry(m_prefix.path() + "/bin/" + name);
        QVERIFY2(entry.exists(), qPrintable(entry.filePath()));
        QCOMPARE(entry.canonicalFilePath(), real.canonicalFilePath());
    }
}

void TestInstall::desktopEntries_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("exec");
    QTest::newRow("1") << "zanmo-1.desktop" << u"入庫処理"_qs << "zanmo 1";
    QTest::newRow("2") << "zanmo-2.desktop" << u"在庫数調整"_qs << "zanmo 2";
    QTest::newRow("3") << "zanmo-3.desktop" << u"商品台帳"_qs << "zanmo 3";
    QTest::newRow("4") << "zanmo-4.desktop" << u"在庫一覧表"_qs << "zanmo 4";
    QTest::newRow("5") << "zanmo-5.desktop" << u"入庫処理／在庫数調整一覧表"_qs << "zanmo 5";
    QTest::newRow("launcher") << "zanmo-menu.desktop" << u"ＰＥＬＫＯ 在庫管理"_qs << "zanmo-menu";
}

void TestInstall::desktopEntries() {
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

void TestInstall::icon() {
    QFile f(m_prefix.path() + "/share/icons/hicolor/scalable/apps/zanmo.svg");
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("<svg"));
}

void TestInstall::programsRun() {
    QProcess init;
    init.start(m_prefix.path() + "/bin/zanmo-tool", {"init", "--demo", m_prefix.path() + "/lib/zanmo"});
    QVERIFY(init.waitForFinished(60000));
    QVERIFY2(init.exitCode() == 0, init.readAllStandardError().constData());
    QVERIFY(QFile::exists(program("data1.dat")));

    // All at once, through the bin links, so the whole check stays about as long as one start.
    std::vector<std::unique_ptr<QProcess>> running;
    QStringList labels;
    for (int n = 1; n <= 6; ++n) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(offscreen());
        if (n <= 5)
            p->start(m_prefix.path() + "/bin/zanmo", {QString::number(n)});
        else
            p->start(m_prefix.path() + "/bin/zanmo-menu", {});
        labels << (n <= 5 ? QString("zanmo %1").arg(n) : "zanmo-menu");
        QVERIFY2(p->waitForStarted(10000), qPrintable(labels.last()));
        running.push_back(std::move(p));
    }
    QTest::qWait(1500);
    for (size_t i = 0; i < running.size(); ++i) {
        QProcess& p = *running[i];
        QVERIFY2(p.state() == QProcess::Running,
                 qPrintable(labels[i] + " ended: " + QString::fromLocal8Bit(p.readAllStandardError())));
        p.kill();
        p.waitForFinished(5000);
    }

    // Each screen logged its opening into the program folder's data1.dat: the link found its folder.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "TestInstall");
        db.setDatabaseName(program("data1.dat"));
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("select count(distinct naiyou) from operatlog where kubun = 0"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 5);
    }
    QSqlDatabase::removeDatabase("TestInstall");
}

void TestInstall::launcherStartsScreen() {
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

void TestInstall::launcherShowsDataPath() {
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

void TestInstall::cleanupTestCase() {
    fnSetProgramFolder(QString());
}

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
