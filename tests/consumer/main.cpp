#include <iostream>

void report(std::ostream& out);

int main() {
    report(std::cout);
    return 0;
}
