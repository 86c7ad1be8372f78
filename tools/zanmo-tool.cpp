#include <cstdio>

int main() {
    std::fprintf(stderr, "zanmo-tool: not built yet\n");
    return 2;
}
