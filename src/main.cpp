#include "app/basMain.h"
#include "core/basProgramOption.h"
#include "reports/frmPrintNTden.h"
#include "reports/frmPrintZaiko.h"
#include "reports/frmStocktake.h"
#include "screens/frmGdai.h"
#include "screens/frmSiiden.h"
#include "screens/frmTanaden.h"

namespace {
const char* const kUsage =
    "usage: zanmo N [YYYYMMDD CODE]\n"
    "\n"
    "Opens one screen of the inventory program and ends when it is closed:\n"
    "  1  入庫処理                    receipt entry\n"
    "  2  在庫数調整                  stock-count adjustment\n"
    "  3  商品台帳                    goods ledger\n"
    "  4  在庫一覧表                  current-stock and shortage lists\n"
    "  5  入庫処理／在庫数調整一覧表  receipt and adjustment lists\n"
    "YYYYMMDD CODE open that product's receipt or count of that day on screens 1 and 2.\n"
    "Without an argument the program ends at once.\n"
    "\n"
    "The database is data1.dat in the program folder, or as zanmo.ini there says; an installed\n"
    "program without one reads /etc/zanmo/zanmo.ini. See zanmo(1).\n"
    "\n"
    "  --help     this text\n"
    "  --version  the version\n";
} // namespace

int main(int argc, char** argv) {
    // No launch code starts with "--", so the options leave every launch as it was.
    if (const int status = fnProgramOption(argc, argv, "zanmo", kUsage); status >= 0) return status;
    // Screens register here as they are built.
    const ScreenTable screens = {
        {"1", [] { return static_cast<QWidget*>(new frmSiiden); }},
        {"2", [] { return static_cast<QWidget*>(new frmTanaden); }},
        {"3", [] { return static_cast<QWidget*>(new frmGdai); }},
        {"4", [] { return static_cast<QWidget*>(new frmPrintZaiko); }},
        {"5", [] { return static_cast<QWidget*>(new frmPrintNTden); }},
        // Beside the suite's five screens: stocktaking from a file.
        {"6", [] { return static_cast<QWidget*>(new frmStocktake); }},
    };
    return Main(argc, argv, screens);
}
