#include "menu/frmMenu.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    frmMenu menu;
    menu.show();
    return app.exec();
}
