#include "app/basMain.h"

#include "app/QtDialogs.h"
#include "app/basStartCheck.h"
#include "data/basDb.h"
#include "data/basSettings.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <vector>

QStringList gstrArgs;
qint16 gintArgCount = 0;
quint8 gbytDbMode = 0;

namespace {
constexpr int kMaxTokens = 11;

QString trimBlanks(const QString& s) {
    int b = 0, e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return s.mid(b, e - b);
}
} // namespace

qint16 fnGetCommandLine(QStringList& tokens, const QString& argumentText) {
    if (argumentText.isEmpty()) return 0;
    QString rest = argumentText;
    int i = 0;
    for (; i < kMaxTokens; ++i) {
        // The array always ends at the token being filled, as ReDim Preserve leaves it.
        while (tokens.size() > i + 1)
            tokens.removeLast();
        while (tokens.size() < i + 1)
            tokens.append(QString());
        const int blank = rest.indexOf(u' ');
        if (blank < 0) break;
        tokens[i] = rest.left(blank);
        rest = trimBlanks(rest.mid(blank + 1));
    }
    // Eleven tokens are full: whatever follows the eleventh separator is dropped, so a token never
    // holds a blank and no token lies beyond the array.
    if (i == kMaxTokens) return kMaxTokens;
    tokens[i] = rest;
    return static_cast<qint16>(i + 1);
}

int Main(int argc, char** argv, const ScreenTable& screens) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    gintArgCount = fnGetCommandLine(gstrArgs, args.join(QLatin1Char(' ')));
    if (gintArgCount == 0) return 0;

    // A token that names no screen would show nothing: end before any window or database work.
    const auto screen = screens.find(gstrArgs.value(0));
    if (screen == screens.end() || !screen->second) {
        std::fprintf(stderr, "zanmo: no screen for launch code '%s'\n",
                     gstrArgs.value(0).toLocal8Bit().constData());
        return 2;
    }

    // Each screen has its own desktop entry: the windows' instance name (X11 WM_CLASS, the entry's
    // StartupWMClass) and application id (Wayland) name it; the class stays the program's.
    QByteArray instance = (QStringLiteral("zanmo-") + screen->first).toLocal8Bit();
    char nameOption[] = "-name";
    std::vector<char*> qtArgv(argv, argv + argc);
    qtArgv.insert(qtArgv.begin() + 1, {nameOption, instance.data()});
    int qtArgc = static_cast<int>(qtArgv.size());
    qtArgv.push_back(nullptr);
    QApplication app(qtArgc, qtArgv.data());
    QApplication::setApplicationName(QStringLiteral("zanmo"));
    QApplication::setDesktopFileName(QString::fromLocal8Bit(instance));
    // The suite is Japanese whatever the machine's locale: Qt's own dialogs speak Japanese too.
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtJapanese);
    installQtDialogs();
    // A failure has been shown to the user; the screen still opens.
    if (fnCheckDataFile() && fnOpenDB()) fnCheckDatabaseLayout();
    gbytDbMode = fnGetDbMode();
    QWidget* form = screen->second();
    if (!form) {
        fnCloseDB();
        return 2;
    }
    form->show();
    const int status = app.exec();
    fnCloseDB();
    return status;
}
