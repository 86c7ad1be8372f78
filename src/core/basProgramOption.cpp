#include "core/basProgramOption.h"

#include <cstdio>
#include <cstring>

const char* fnProgramVersion() {
    return ZANMO_VERSION;
}

int fnProgramOption(int argc, char** argv, const char* program, const char* usage) {
    if (argc < 2) return -1;
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s (zanmo) %s\n", program, fnProgramVersion());
        return 0;
    }
    return -1;
}
