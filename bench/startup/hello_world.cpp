// The floor a program's start cannot go below: the C++ runtime's own start,
// one line through iostream, and the exit. scripts/measure_startup.py holds
// the programs' starts against it.
#include <iostream>

int main() {
    std::cout << "hello, world\n";
    return 0;
}
