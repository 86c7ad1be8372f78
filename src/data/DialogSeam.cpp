#include "data/DialogSeam.h"

#include <QProcess>
#include <cstdio>

namespace {

// Used by the command-line tool and before the GUI seam is installed: print, never block.
class ConsoleDialogs final : public DialogSeam {
public:
    int messageBox(const MessageRequest& r) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(r.title), qPrintable(r.text));
        return r.defaultButton;
    }
    QString saveFileName(const SaveFileRequest&) override { return {}; }
    bool startProgram(const ProgramStart& start, QString* error) override {
        if (QProcess::startDetached(start.program, start.args)) return true;
        if (error) *error = QStringLiteral("ファイルが見つかりません。");
        return false;
    }
};

ConsoleDialogs g_console;
DialogSeam* g_seam = nullptr;

} // namespace

QString DialogSeam::openFileName(const SaveFileRequest&) {
    return {};
}

void DialogSeam::keepText(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

DialogSeam& dialogs() {
    return g_seam ? *g_seam : g_console;
}

void setDialogs(DialogSeam* seam) {
    g_seam = seam;
}
