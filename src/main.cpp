#include "app/basMain.h"

int main(int argc, char** argv) {
    // Screens register here as they are built.
    const ScreenTable screens = {};
    return Main(argc, argv, screens);
}
