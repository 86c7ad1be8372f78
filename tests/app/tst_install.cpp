#include "data/basSettings.h"
#include "menu/frmMenu.h"
#include "ui/DataRows.h"
#include "ui/basToolbar.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

// The installed tree: `cmake --install` of this build into a temporary prefix, then the installed
// programs started from there; and the Debian package CPack makes of the same build.
class TestInstall : public QObject, DataRows {
    Q_OBJECT
    QTemporaryDir m_prefix;
    QTemporaryDir m_package; // the .deb and its unpacked tree
    QString m_deb;

    QString program(const QString& name) const { return m_prefix.path() + u"/lib/zanmo/"_s + name; }
    // A command run to its end: its standard output, and its exit status where asked.
    static QByteArray run(const QString& command, const QStringList& args, int* status = nullptr,
                          const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                          QByteArray* err = nullptr) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(command, args);
        if (!p.waitForFinished(120000)) qWarning("%s did not end", qPrintable(command));
        if (status) *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        if (err) *err = p.readAllStandardError();
        return p.readAllStandardOutput();
    }
    QString control(const char* field) const {
        return QString::fromUtf8(run(u"dpkg-deb"_s, {u"-f"_s, m_deb, QString::fromLatin1(field)})).trimmed();
    }
    // The launcher's program folder for as long as the returned guard lives.
    [[nodiscard]] static auto programFolder(const QString& folder) {
        fnSetProgramFolder(folder);
        return qScopeGuard([] { fnSetProgramFolder(QString()); });
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
        f.write(bytes);
    }

private slots:
    void initTestCase() {
        const QString bin = qEnvironmentVariable("ZANMO_BIN");
        if (bin.isEmpty()) QSKIP("ZANMO_BIN is not set (run through CTest)");
        const QString cmake = QStandardPaths::findExecutable(u"cmake"_s);
        if (cmake.isEmpty()) QSKIP("cmake is not on PATH");
        const QString build = QFileInfo(bin).absoluteDir().filePath(u".."_s); // <build>/bin/zanmo
        int status = -1;
        run(cmake, {u"--install"_s, build, u"--prefix"_s, m_prefix.path()}, &status);
        QCOMPARE(status, 0);
        // The package of the programs already built: CPack installs, strips and packs, compiling nothing.
        run(QFileInfo(cmake).absoluteDir().filePath(u"cpack"_s),
            {u"-G"_s, u"DEB"_s, u"-B"_s, m_package.path(), u"--config"_s, build + u"/CPackConfig.cmake"_s},
            &status);
        QCOMPARE(status, 0);
        const QStringList debs = QDir(m_package.path()).entryList({u"zanmo_*.deb"_s});
        QCOMPARE(debs.size(), 1);
        m_deb = m_package.filePath(debs[0]);
        run(u"dpkg-deb"_s, {u"-x"_s, m_deb, m_package.filePath(u"root"_s)}, &status);
        QCOMPARE(status, 0);
    }

    // bin/ leads to the program folder, where zanmo.ini and data1.dat are looked for.
    void programFolder() {
        for (const QString name : {u"zanmo"_s, u"zanmo-tool"_s, u"zanmo-menu"_s}) {
            const QFileInfo real(program(name)), entry(m_prefix.path() + u"/bin/"_s + name);
            QVERIFY2(real.isFile() && real.isExecutable() && entry.exists(), qPrintable(entry.filePath()));
            QCOMPARE(entry.canonicalFilePath(), real.canonicalFilePath());
        }
        QFile icon(m_prefix.path() + u"/share/icons/hicolor/scalable/apps/zanmo.svg"_s);
        QVERIFY(icon.open(QIODevice::ReadOnly) && icon.readAll().contains("<svg"));
    }

    // Each entry's name, command and window instance name (X11 WM_CLASS), so docks find the entry.
    void desktopEntries_data() {
        cols<QString, QString, QString>("file", "name", "exec");
        const char* names[] = {
            "入庫処理", "在庫数調整", "商品台帳", "在庫一覧表", "入庫処理／在庫数調整一覧表", "棚卸取込"};
        for (int n = 1; n <= 6; ++n)
            row(names[n - 1], qPrintable(u"zanmo-%1"_s.arg(n)), names[n - 1],
                qPrintable(u"zanmo %1"_s.arg(n)));
        row("launcher", "zanmo-menu", "ＰＥＬＫＯ 在庫管理", "zanmo-menu");
    }
    void desktopEntries() {
        const QString file = fetch<QString>("file");
        QFile f(m_prefix.path() + u"/share/applications/"_s + file + u".desktop"_s);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
        const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
        QCOMPARE(lines.value(0), u"[Desktop Entry]"_s);
        for (const QString line : {u"Type=Application"_s, u"Icon=zanmo"_s, u"Terminal=false"_s,
                                   u"Name="_s + fetch<QString>("name"), u"Exec="_s + fetch<QString>("exec"),
                                   u"StartupWMClass="_s + file})
            QVERIFY2(lines.contains(line), qPrintable(line));
    }

    // Each program opens its screen from the installed folder: all at once, through the bin links,
    // so the check stays about as long as one start.
    void programsRun() {
        int status = -1;
        run(m_prefix.path() + u"/bin/zanmo-tool"_s,
            {u"init"_s, u"--demo"_s, m_prefix.path() + u"/lib/zanmo"_s}, &status);
        QCOMPARE(status, 0);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        std::vector<std::unique_ptr<QProcess>> running;
        for (int n = 1; n <= 7; ++n) {
            running.push_back(std::make_unique<QProcess>());
            running.back()->setProcessEnvironment(env);
            running.back()->start(m_prefix.path() + (n <= 6 ? u"/bin/zanmo"_s : u"/bin/zanmo-menu"_s),
                                  n <= 6 ? QStringList{QString::number(n)} : QStringList{});
            QVERIFY2(running.back()->waitForStarted(10000), qPrintable(QString::number(n)));
        }
        // Each screen logs its opening into the program folder's data1.dat (the link found its folder).
        const auto opened = [this] {
            int n = -1;
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"tst_install"_s);
                db.setDatabaseName(program(u"data1.dat"_s));
                db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
                QSqlQuery q(db);
                if (db.open() && q.exec(u"select count(distinct naiyou) from operatlog where kubun = 0"_s) &&
                    q.next())
                    n = q.value(0).toInt();
            }
            QSqlDatabase::removeDatabase(u"tst_install"_s);
            return n;
        };
        QTRY_COMPARE_WITH_TIMEOUT(opened(), 6, 20000);
        for (const auto& p : running) {
            QVERIFY2(p->state() == QProcess::Running, p->readAllStandardError().constData());
            p->kill();
            p->waitForFinished(5000);
        }
    }

    // Through the bin links, without a display: the options need none, nor does a launch that shows
    // nothing. firstLine is a pattern, %1 the package's upstream version. Launch codes stay as they
    // were: nothing, or a code that names no screen, told in one line.
    void options_data() {
        cols<QString, int, QString>("command", "status", "firstLine");
        for (const char* name : {"zanmo", "zanmo-menu", "zanmo-tool"})
            row(name, qPrintable(QLatin1String(name) + u" --version"_s), 0,
                qPrintable(u"^"_s + QLatin1String(name) + u" \\(zanmo\\) %1$"_s));
        row("zanmo --help", "zanmo --help", 0, "^usage: zanmo N ");
        row("zanmo-menu --help", "zanmo-menu --help", 0, "^usage: zanmo-menu$");
        row("zanmo-tool --help", "zanmo-tool --help", 0, "^usage: zanmo-tool COMMAND");
        row("no launch code", "zanmo", 0, "^$");
        row("an empty launch code", "zanmo ", 0, "^$");
        row("9", "zanmo 9", 2, "^$");
        row("letters", "zanmo abc 20240105", 2, "^$");
        row("--helpme", "zanmo --helpme", 2, "^$");
        row("7 --help", "zanmo 7 --help", 2, "^$");
    }
    void options() {
        const QString version = control("Version"), upstream = version.left(version.lastIndexOf(u'-'));
        QVERIFY(!upstream.isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* display : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(display));
        QStringList args = fetch<QString>("command").split(u' ');
        int status = -1;
        QByteArray err;
        const QString first =
            QString::fromUtf8(run(m_prefix.path() + u"/bin/"_s + args.takeFirst(), args, &status, env, &err))
                .section(u'\n', 0, 0);
        QCOMPARE(status, fetch<int>("status"));
        QVERIFY2(status ? err.count('\n') == 1 && err.contains("launch code") : err.isEmpty(),
                 err.constData());
        const QString pattern = fetch<QString>("firstLine");
        QVERIFY2(QRegularExpression(
                     pattern.contains(u"%1"_s) ? pattern.arg(QRegularExpression::escape(upstream)) : pattern)
                     .match(first)
                     .hasMatch(),
                 qPrintable(first));
    }

    void iniPath_data() {
        cols<QString, QString>("folder", "expected");
        row("package", "/usr/lib/zanmo", "/etc/zanmo/zanmo.ini");
        row("other prefix", "/opt/shop/lib/zanmo", "/opt/shop/etc/zanmo/zanmo.ini");
        row("trailing slash", "/opt/shop/lib/zanmo/", "/opt/shop/etc/zanmo/zanmo.ini");
        row("a copy beside data1.dat", "/opt/shop", "/opt/shop/zanmo.ini");
        row("a folder named like it", "/opt/shop/xlib/zanmo", "/opt/shop/xlib/zanmo/zanmo.ini");
    }
    void iniPath() {
        const QString folder = fetch<QString>("folder");
        if (QFile::exists(folder + u"/zanmo.ini"_s)) QSKIP("this machine has a zanmo.ini there");
        const auto back = programFolder(folder);
        QCOMPARE(fnIniPath(), fetch<QString>("expected"));
    }

    // Files of the package; gzip -n: no name or time in a header, so the package is the same
    // whenever it is built.
    void packageFiles() {
        for (const char* path :
             {"usr/lib/zanmo/zanmo", "usr/lib/zanmo/zanmo-menu", "usr/lib/zanmo/zanmo-tool", "usr/bin/zanmo",
              "usr/bin/zanmo-menu", "usr/bin/zanmo-tool", "usr/share/man/man1/zanmo.1.gz",
              "usr/share/man/man1/zanmo-menu.1.gz", "usr/share/man/man1/zanmo-tool.1.gz",
              "usr/share/doc/zanmo/copyright", "usr/share/doc/zanmo/changelog.Debian.gz",
              "usr/share/metainfo/zanmo-menu.metainfo.xml", "usr/share/applications/zanmo-1.desktop",
              "usr/share/applications/zanmo-menu.desktop", "usr/share/icons/hicolor/scalable/apps/zanmo.svg",
              "etc/zanmo/zanmo.ini"}) {
            QFile f(m_package.filePath(u"root/"_s + QLatin1String(path)));
            QVERIFY2(f.open(QIODevice::ReadOnly), path);
            const QByteArray header = f.read(10); // gzip: no flags, time 0
            if (f.fileName().endsWith(u".gz"_s))
                QVERIFY2(header.startsWith("\x1f\x8b") && header.mid(3, 5) == QByteArray(5, '\0'), path);
        }
    }

    void packageControl() {
        QVERIFY2(!control("Maintainer").contains(u"localhost"_s), qPrintable(control("Maintainer")));
        const QStringList recommends = control("Recommends").split(QRegularExpression(u",\\s*"_s));
        QVERIFY2(recommends.contains(u"libqt6sql6-psql"_s) && recommends.contains(u"postgresql-client"_s),
                 qPrintable(recommends.join(u' ')));
        QVERIFY2(control("Description").count(u'\n') >= 3, "a synopsis and an extended description");
        // The settings under /etc are the admin's: upgrades keep the changes.
        QCOMPARE(QString::fromUtf8(run(u"dpkg-deb"_s, {u"-I"_s, m_deb, u"conffiles"_s})).trimmed(),
                 u"/etc/zanmo/zanmo.ini"_s);
        const QString changelog = QString::fromUtf8(run(
            u"gzip"_s, {u"-dc"_s, m_package.filePath(u"root/usr/share/doc/zanmo/changelog.Debian.gz"_s)}));
        QCOMPARE(changelog.section(u'\n', 0, 0).section(u' ', 0, 1),
                 u"zanmo ("_s + control("Version") + u')');
    }

    void packageBinaries_data() {
        cols<QString>("name");
        row("zanmo", "zanmo"), row("zanmo-menu", "zanmo-menu"), row("zanmo-tool", "zanmo-tool");
    }
    void packageBinaries() {
        const QString file = m_package.filePath(u"root/usr/lib/zanmo/"_s + fetch<QString>("name"));
        const QByteArray sections = run(u"readelf"_s, {u"-S"_s, u"-W"_s, file});
        QVERIFY(sections.contains(".text"));
        QVERIFY2(!sections.contains(".symtab") && !sections.contains(".debug_") &&
                     !sections.contains(".comment"),
                 "not stripped");
        if (qEnvironmentVariable("ZANMO_HARDENING") != u"ON"_s) QSKIP("built without ZANMO_HARDENING");
        const QString header =
            QString::fromUtf8(run(u"readelf"_s, {u"-h"_s, u"-l"_s, u"-d"_s, u"-W"_s, file}));
        QVERIFY2(header.contains(u"DYN (Position-Independent Executable"_s), "not PIE");
        QVERIFY2(header.contains(u"GNU_RELRO"_s), "no relro");
        QVERIFY2(header.contains(QRegularExpression(u"FLAGS.*BIND_NOW"_s)), "no bindnow");
        const QString symbols = QString::fromUtf8(run(u"readelf"_s, {u"--dyn-syms"_s, u"-W"_s, file}));
        QVERIFY2(symbols.contains(u"__stack_chk_fail"_s), "no stack protector");
        QVERIFY2(symbols.contains(QRegularExpression(u"__\\w+_chk@"_s)), "no fortified calls");
    }

    // The installed launcher finds the installed screen program and starts it detached; it carries
    // the program's icon.
    void launcherStartsScreen() {
        const auto back = programFolder(m_prefix.path() + u"/lib/zanmo"_s);
        frmMenu menu;
        QCOMPARE(QFileInfo(menu.programPath()).canonicalFilePath(),
                 QFileInfo(program(u"zanmo"_s)).canonicalFilePath());
        QCOMPARE(menu.windowIcon().pixmap(32).toImage(), fnProgramIcon().pixmap(32).toImage());
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
    }

    // Return and keypad Enter start the focused screen; Escape closes the launcher.
    void launcherKeys() {
        QTemporaryDir folder;
        const auto back = programFolder(folder.path());
        frmMenu menu;
        menu.setProgramPath(u"/bin/true"_s); // which screen was asked for is what counts
        menu.show();
        menu.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&menu));
        QSignalSpy started(&menu, &frmMenu::screenStarted);
        for (const auto& [n, key] : {std::pair{3, Qt::Key_Return}, std::pair{5, Qt::Key_Enter}}) {
            auto* button = menu.findChild<QPushButton*>(u"cmdScreen%1"_s.arg(n));
            button->setFocus();
            QTest::keyClick(button, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            QCOMPARE(started.count(), 1);
            QCOMPARE(started.takeFirst()[0].toInt(), n);
        }
        QTest::keyClick(menu.focusWidget(), Qt::Key_Escape);
        QVERIFY(!menu.isVisible());
        QCOMPARE(started.count(), 0);
    }

    // The notice of a missing data1.dat (%1: the program folder; data: the folder it names), and
    // the database the launcher names: beside it, or as the installed zanmo.ini under PREFIX/etc says.
    void launcherData_data() {
        cols<QString, QString, bool, QString>("ini", "dataFile", "told", "data");
        row("no ini, no data1.dat", "", "", true, "%1");
        row("no ini, data1.dat there", "", "data1.dat", false, "%1/data1.dat");
        row("dbpath without data1.dat", "[zanmo]\ndbmode=1\ndbpath=%1/shop\n", "data1.dat", true, "%1/shop");
        row("dbmode 0, another file", "[zanmo]\ndbmode=0\n", "data2.dat", true, "%1");
        row("server", "[zanmo]\ndbmode=2\ndbhost=db\n", "", false, "");
        row("bad dbmode", "[zanmo]\ndbmode=7\n", "", false, "");
        row("dbpath, installed", "[zanmo]\ndbmode=1\ndbpath=/srv/shop\n", "installed", true, "/srv/shop");
        row("the installed zanmo.ini", "[zanmo]\ndbmode=1\ndbpath=/srv/other\n", "etc", true, "/srv/other");
    }
    void launcherData() {
        const QString dataFile = fetch<QString>("dataFile");
        QTemporaryDir temporary;
        const bool installed = dataFile == u"installed"_s || dataFile == u"etc"_s;
        const QString folder = installed ? m_prefix.path() + u"/lib/zanmo"_s : temporary.path();
        QString ini = fetch<QString>("ini"), data = fetch<QString>("data");
        QFile::remove(folder + u"/zanmo.ini"_s);
        if (dataFile == u"etc"_s)
            QVERIFY2(QFile::exists(m_prefix.path() + u"/etc/zanmo/zanmo.ini"_s), "not installed");
        if (!ini.isEmpty())
            write((dataFile == u"etc"_s ? m_prefix.path() + u"/etc/zanmo"_s : folder) + u"/zanmo.ini"_s,
                  ini.replace(u"%1"_s, folder).toUtf8());
        if (!dataFile.isEmpty() && !installed) write(folder + u'/' + dataFile, {});
        const auto back = programFolder(folder);
        frmMenu menu;
        auto* missing = menu.findChild<QLabel*>(u"lblMissing"_s);
        QCOMPARE(missing->isVisibleTo(&menu), fetch<bool>("told"));
        data.replace(u"%1"_s, folder);
        if (missing->isVisibleTo(&menu)) {
            QVERIFY2(missing->text().startsWith(data + u"/data1.dat がありません。"_s),
                     qPrintable(missing->text()));
            QVERIFY2(missing->text().contains(u"zanmo-tool init --demo "_s + data + u'\n') ||
                         missing->text().endsWith(u"zanmo-tool init --demo "_s + data),
                     qPrintable(missing->text()));
            // Made in a terminal while the launcher is open: back in the launcher the notice is gone.
            if (data != folder) return;
            menu.show();
            write(data + u"/data1.dat"_s, {});
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(&menu, &activate);
            QVERIFY(!missing->isVisible());
        } else if (!data.isEmpty()) {
            QCOMPARE(menu.findChild<QLabel*>(u"lblData"_s)->text(),
                     u"データ: "_s + QDir::toNativeSeparators(data));
        }
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
