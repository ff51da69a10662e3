#include <cstdio>

int main() {
    std::puts("Stylorex: the main window comes with a later change.");
    return 0;
}
