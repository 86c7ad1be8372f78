#include "core/basProgramOption.h"
#include "menu/frmMenu.h"
#include "ui/basToolbar.h"

#include <QApplication>

namespace {
const char* const kUsage = "usage: zanmo-menu\n"
                           "\n"
                           "Shows one large button per screen of the inventory program; a button, its digit\n"
                           "key 1 to 5 or Enter on it opens `zanmo N` and the launcher stays open. Escape\n"
                           "closes it. It shows the database in use and tells when data1.dat is missing.\n"
                           "See zanmo-menu(1) and zanmo(1).\n"
                           "\n"
                           "  --help     this text\n"
                           "  --version  the version\n";
} // namespace

int main(int argc, char** argv) {
    if (const int status = fnProgramOption(argc, argv, "zanmo-menu", kUsage); status >= 0) return status;
    QApplication app(argc, argv);
    // The window class (X11) and application id (Wayland) its desktop entry names.
    QApplication::setApplicationName(QStringLiteral("zanmo-menu"));
    QApplication::setDesktopFileName(QStringLiteral("zanmo-menu"));
    QApplication::setWindowIcon(fnProgramIcon());
    frmMenu menu;
    menu.show();
    return app.exec();
}
