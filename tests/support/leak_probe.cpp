// Loses memory on purpose: the self-test of the sanitized build's launcher shows that a leak fails
// the program that has it.
#include <cstdlib>

void* volatile kept;

int main() {
    kept = std::malloc(1337);
    kept = nullptr;
    return 0;
}
