#include "data/basSettings.h"
#include "menu/frmMenu.h"
#include "ui/basToolbar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
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
// programs started from there; and the Debian package CPack makes of the same build.
class tst_install : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void programFolder();
    void desktopEntries_data();
    void desktopEntries();
    void icon();
    void programsRun();
    void options_data();
    void options();
    void iniPath_data();
    void iniPath();
    void packageFiles_data();
    void packageFiles();
    void packageControl();
    void packageBinaries_data();
    void packageBinaries();
    void launcherStartsScreen();
    void launcherKeys();
    void launcherIcon();
    void launcherMissingData_data();
    void launcherMissingData();
    void launcherSeesNewData();
    void launcherShowsDataPath();
    void launcherReadsInstalledIni();
    void cleanupTestCase();

private:
    QString program(const QString& name) const { return m_prefix.path() + "/lib/zanmo/" + name; }
    // Runs a command to its end; its standard output, or a failed check.
    static QByteArray run(const QString& command, const QStringList& args, int* status = nullptr);
    QTemporaryDir m_prefix;
    QTemporaryDir m_package; // the .deb and its unpacked tree
    QString m_deb;
};

QByteArray tst_install::run(const QString& command, const QStringList& args, int* status) {
    QProcess p;
    p.start(command, args);
    if (!p.waitForFinished(120000)) qWarning("%s did not end", qPrintable(command));
    if (status) *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (!status && p.exitCode() != 0)
        qWarning("%s: %s", qPrintable(command), p.readAllStandardError().constData());
    return p.readAllStandardOutput();
}

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

    // The package of the programs already built: CPack installs, strips and packs, compiling nothing.
    const QString cpack = QFileInfo(cmake).absoluteDir().filePath("cpack");
    QVERIFY(m_package.isValid());
    QProcess pack;
    pack.setWorkingDirectory(m_package.path());
    pack.start(cpack, {"-G", "DEB", "-B", m_package.path(), "--config", build + "/CPackConfig.cmake"});
    QVERIFY(pack.waitForFinished(120000));
    QVERIFY2(pack.exitCode() == 0, pack.readAllStandardOutput() + pack.readAllStandardError());
    const QStringList debs = QDir(m_package.path()).entryList({"zanmo_*.deb"});
    QCOMPARE(debs.size(), 1);
    m_deb = m_package.filePath(debs[0]);
    int status = 0;
    run("dpkg-deb", {"-x", m_deb, m_package.filePath("root")}, &status);
    QCOMPARE(status, 0);
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
    // The windows' instance name (X11 WM_CLASS) each program gives its windows, so docks find the entry.
    QTest::addColumn<QString>("wmClass");
    QTest::newRow("1") << "zanmo-1.desktop" << u"入庫処理"_qs << "zanmo 1"
                       << "zanmo-1";
    QTest::newRow("2") << "zanmo-2.desktop" << u"在庫数調整"_qs << "zanmo 2"
                       << "zanmo-2";
    QTest::newRow("3") << "zanmo-3.desktop" << u"商品台帳"_qs << "zanmo 3"
                       << "zanmo-3";
    QTest::newRow("4") << "zanmo-4.desktop" << u"在庫一覧表"_qs << "zanmo 4"
                       << "zanmo-4";
    QTest::newRow("5") << "zanmo-5.desktop" << u"入庫処理／在庫数調整一覧表"_qs << "zanmo 5"
                       << "zanmo-5";
    QTest::newRow("6") << "zanmo-6.desktop" << u"棚卸取込"_qs << "zanmo 6"
                       << "zanmo-6";
    QTest::newRow("launcher") << "zanmo-menu.desktop" << u"ＰＥＬＫＯ 在庫管理"_qs << "zanmo-menu"
                              << "zanmo-menu";
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
    QTEST(lines.filter(QRegularExpression("^StartupWMClass=")).value(0).mid(15), "wmClass");
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

void tst_install::options_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("firstLine"); // a pattern; %1 stands for the package's upstream version
    QTest::newRow("zanmo --version") << "zanmo" << QStringList{"--version"} << 0 << "^zanmo \\(zanmo\\) %1$";
    QTest::newRow("zanmo --help") << "zanmo" << QStringList{"--help"} << 0 << "^usage: zanmo N ";
    QTest::newRow("zanmo-menu --version")
        << "zanmo-menu" << QStringList{"--version"} << 0 << "^zanmo-menu \\(zanmo\\) %1$";
    QTest::newRow("zanmo-menu --help") << "zanmo-menu" << QStringList{"--help"} << 0 << "^usage: zanmo-menu$";
    QTest::newRow("zanmo-tool --version")
        << "zanmo-tool" << QStringList{"--version"} << 0 << "^zanmo-tool \\(zanmo\\) %1$";
    QTest::newRow("zanmo-tool --help")
        << "zanmo-tool" << QStringList{"--help"} << 0 << "^usage: zanmo-tool COMMAND";
    // Launch codes stay as they were: nothing, or a code that names no screen.
    QTest::newRow("zanmo") << "zanmo" << QStringList{} << 0 << "^$";
    QTest::newRow("zanmo --helpme") << "zanmo" << QStringList{"--helpme"} << 2 << "^$";
    QTest::newRow("zanmo 7 --help") << "zanmo" << QStringList{"7", "--help"} << 2 << "^$";
}

// Through the bin links, without a display: the options need none.
void tst_install::options() {
    QFETCH(QString, name);
    QFETCH(QStringList, args);
    QFETCH(QString, firstLine);
    const QString control = QString::fromUtf8(run("dpkg-deb", {"-f", m_deb, "Version"})).trimmed();
    const QString upstream = control.left(control.lastIndexOf('-'));
    QVERIFY(!upstream.isEmpty());
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* display : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(display);
    p.setProcessEnvironment(env);
    p.start(m_prefix.path() + "/bin/" + name, args);
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QTEST(p.exitCode(), "status");
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString first = out.section('\n', 0, 0);
    const QRegularExpression pattern(
        firstLine.contains("%1") ? firstLine.arg(QRegularExpression::escape(upstream)) : firstLine);
    QVERIFY2(pattern.match(first).hasMatch(), qPrintable(first));
}

void tst_install::iniPath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("package") << "/usr/lib/zanmo"
                             << "/etc/zanmo/zanmo.ini";
    QTest::newRow("other prefix") << "/opt/shop/lib/zanmo"
                                  << "/opt/shop/etc/zanmo/zanmo.ini";
    QTest::newRow("trailing slash") << "/opt/shop/lib/zanmo/"
                                    << "/opt/shop/etc/zanmo/zanmo.ini";
    QTest::newRow("a copy beside data1.dat") << "/opt/shop"
                                             << "/opt/shop/zanmo.ini";
    QTest::newRow("a folder named like it") << "/opt/shop/xlib/zanmo"
                                            << "/opt/shop/xlib/zanmo/zanmo.ini";
}

void tst_install::iniPath() {
    QFETCH(QString, folder);
    if (QFile::exists(folder + "/zanmo.ini")) QSKIP("this machine has a zanmo.ini there");
    fnSetProgramFolder(folder);
    QTEST(fnIniPath(), "expected");
    fnSetProgramFolder(QString());
}

void tst_install::packageFiles_data() {
    QTest::addColumn<QString>("path");
    for (const char* path :
         {"usr/lib/zanmo/zanmo", "usr/lib/zanmo/zanmo-menu", "usr/lib/zanmo/zanmo-tool", "usr/bin/zanmo",
          "usr/bin/zanmo-menu", "usr/bin/zanmo-tool", "usr/share/man/man1/zanmo.1.gz",
          "usr/share/man/man1/zanmo-menu.1.gz", "usr/share/man/man1/zanmo-tool.1.gz",
          "usr/share/doc/zanmo/copyright", "usr/share/doc/zanmo/changelog.Debian.gz",
          "usr/share/metainfo/zanmo-menu.metainfo.xml", "usr/share/applications/zanmo-1.desktop",
          "usr/share/applications/zanmo-menu.desktop", "usr/share/icons/hicolor/scalable/apps/zanmo.svg",
          "etc/zanmo/zanmo.ini"})
        QTest::newRow(path) << path;
}

void tst_install::packageFiles() {
    QFETCH(QString, path);
    const QFileInfo file(m_package.filePath("root/" + path));
    QVERIFY2(file.exists(), qPrintable(path));
    // gzip -n: no name or time in the header, so the package is the same whenever it is built.
    if (path.endsWith(".gz")) {
        QFile f(file.filePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray header = f.read(10);
        QCOMPARE(header.left(2), QByteArray("\x1f\x8b"));
        QCOMPARE(header.mid(3, 5), QByteArray(5, '\0')); // no flags, time 0
    }
}

void tst_install::packageControl() {
    auto field = [this](const char* name) {
        return QString::fromUtf8(run("dpkg-deb", {"-f", m_deb, name})).trimmed();
    };
    QVERIFY2(!field("Maintainer").contains("localhost"), qPrintable(field("Maintainer")));
    const QStringList recommends = field("Recommends").split(QRegularExpression(",\\s*"));
    QVERIFY2(recommends.contains("libqt6sql6-psql"), qPrintable(field("Recommends")));
    QVERIFY2(recommends.contains("postgresql-client"), qPrintable(field("Recommends")));
    // A synopsis and an extended description under it.
    QVERIFY2(field("Description").count('\n') >= 3, qPrintable(field("Description")));
    // The settings under /etc are the admin's: upgrades keep the changes.
    QCOMPARE(QString::fromUtf8(run("dpkg-deb", {"-I", m_deb, "conffiles"})).trimmed(),
             "/etc/zanmo/zanmo.ini");
    // The changelog's top entry is this version.
    const QString changelog = QString::fromUtf8(
        run("gzip", {"-dc", m_package.filePath("root/usr/share/doc/zanmo/changelog.Debian.gz")}));
    QCOMPARE(changelog.section('\n', 0, 0).section(' ', 0, 1), "zanmo (" + field("Version") + ")");
}

void tst_install::packageBinaries_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"zanmo", "zanmo-menu", "zanmo-tool"})
        QTest::newRow(name) << name;
}

void tst_install::packageBinaries() {
    QFETCH(QString, name);
    const QString file = m_package.filePath("root/usr/lib/zanmo/" + name);
    const QString sections = QString::fromUtf8(run("readelf", {"-S", "-W", file}));
    QVERIFY(sections.contains(".text"));
    QVERIFY2(!sections.contains(".symtab") && !sections.contains(".debug_") && !sections.contains(".comment"),
             "not stripped");
    if (qEnvironmentVariable("ZANMO_HARDENING") != "ON") QSKIP("built without ZANMO_HARDENING");
    const QString header = QString::fromUtf8(run("readelf", {"-h", "-l", "-d", "-W", file}));
    QVERIFY2(header.contains("DYN (Position-Independent Executable"), "not PIE");
    QVERIFY2(header.contains("GNU_RELRO"), "no relro");
    QVERIFY2(header.contains(QRegularExpression("FLAGS.*BIND_NOW")), "no bindnow");
    const QString symbols = QString::fromUtf8(run("readelf", {"--dyn-syms", "-W", file}));
    QVERIFY2(symbols.contains("__stack_chk_fail"), "no stack protector");
    QVERIFY2(symbols.contains(QRegularExpression("__\\w+_chk@")), "no fortified calls");
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

void tst_install::launcherKeys() {
    QTemporaryDir folder;
    fnSetProgramFolder(folder.path());
    frmMenu menu;
    // A stand-in that ends at once: which screen was asked for is what counts.
    menu.setProgramPath("/bin/true");
    menu.show();
    menu.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    QSignalSpy started(&menu, &frmMenu::screenStarted);
    for (const auto& [n, key] : {std::pair{3, Qt::Key_Return}, std::pair{5, Qt::Key_Enter}}) {
        auto* button = menu.findChild<QPushButton*>(QString("cmdScreen%1").arg(n));
        button->setFocus();
        QTest::keyClick(button, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(started.count(), 1);
        QCOMPARE(started.takeFirst()[0].toInt(), n);
    }
    QTest::keyClick(menu.focusWidget(), Qt::Key_Escape);
    QVERIFY(!menu.isVisible());
    QCOMPARE(started.count(), 0);
    fnSetProgramFolder(QString());
}

void tst_install::launcherIcon() {
    QTemporaryDir folder;
    fnSetProgramFolder(folder.path());
    frmMenu menu;
    QVERIFY(!menu.windowIcon().isNull());
    QCOMPARE(menu.windowIcon().pixmap(32).toImage(), fnProgramIcon().pixmap(32).toImage());
    fnSetProgramFolder(QString());
}

void tst_install::launcherMissingData_data() {
    QTest::addColumn<QString>("ini");      // %1 stands for the program folder
    QTest::addColumn<QString>("dataFile"); // made beside the program when not empty
    QTest::addColumn<bool>("told");
    QTest::addColumn<QString>("data"); // the folder told to hold data1.dat
    QTest::newRow("no ini, no data1.dat") << ""
                                          << "" << true << "%1";
    QTest::newRow("no ini, data1.dat there") << ""
                                             << "data1.dat" << false << "";
    QTest::newRow("dbpath without data1.dat") << "[zanmo]\ndbmode=1\ndbpath=%1/shop\n"
                                              << "data1.dat" << true << "%1/shop";
    QTest::newRow("dbmode 0, another file") << "[zanmo]\ndbmode=0\n"
                                            << "data2.dat" << true << "%1";
    QTest::newRow("server") << "[zanmo]\ndbmode=2\ndbhost=db\n"
                            << "" << false << "";
    QTest::newRow("bad dbmode") << "[zanmo]\ndbmode=7\n"
                                << "" << false << "";
}

void tst_install::launcherMissingData() {
    QFETCH(QString, ini);
    QFETCH(QString, dataFile);
    QFETCH(bool, told);
    QFETCH(QString, data);
    QTemporaryDir folder;
    if (!ini.isEmpty()) {
        QFile f(folder.filePath("zanmo.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QString(ini).replace("%1", folder.path()).toUtf8());
    }
    if (!dataFile.isEmpty()) {
        QFile f(folder.filePath(dataFile));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    fnSetProgramFolder(folder.path());
    frmMenu menu;
    auto* missing = menu.findChild<QLabel*>("lblMissing");
    QVERIFY(missing);
    QCOMPARE(missing->isVisibleTo(&menu), told);
    if (told) {
        const QString dir = QString(data).replace("%1", folder.path());
        QVERIFY2(missing->text().startsWith(dir + u"/data1.dat がありません。"_qs),
                 qPrintable(missing->text()));
        QVERIFY2(missing->text().contains("zanmo-tool init --demo " + dir + "\n") ||
                     missing->text().endsWith("zanmo-tool init --demo " + dir),
                 qPrintable(missing->text()));
    }
    fnSetProgramFolder(QString());
}

// Made in a terminal while the launcher is open: back in the launcher the notice is gone.
void tst_install::launcherSeesNewData() {
    QTemporaryDir folder;
    fnSetProgramFolder(folder.path());
    frmMenu menu;
    menu.show();
    auto* missing = menu.findChild<QLabel*>("lblMissing");
    QVERIFY(missing->isVisible());
    QFile f(folder.filePath("data1.dat"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&menu, &activate);
    QVERIFY(!missing->isVisible());
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

// Installed, with no zanmo.ini beside the program: the one under PREFIX/etc is read.
void tst_install::launcherReadsInstalledIni() {
    const QString folder = m_prefix.path() + "/lib/zanmo";
    QFile::remove(folder + "/zanmo.ini");
    QFile ini(m_prefix.path() + "/etc/zanmo/zanmo.ini");
    QVERIFY2(ini.exists(), "not installed");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[zanmo]\ndbmode=1\ndbpath=/srv/other\n");
    ini.close();
    fnSetProgramFolder(folder);
    frmMenu menu;
    QCOMPARE(menu.findChild<QLabel*>("lblData")->text(), u"データ: /srv/other/data1.dat"_qs);
    fnSetProgramFolder(QString());
}

void tst_install::cleanupTestCase() {
    fnSetProgramFolder(QString());
}

QTEST_MAIN(tst_install)
#include "tst_install.moc"
