#include "app/basMain.h"
#include "reports/frmPrintNTden.h"
#include "reports/frmPrintZaiko.h"
#include "reports/frmStocktake.h"
#include "screens/frmGdai.h"
#include "screens/frmSiiden.h"
#include "screens/frmTanaden.h"

int main(int argc, char** argv) {
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
