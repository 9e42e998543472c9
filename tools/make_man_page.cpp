// Writes the manual page zulmarin(1) to the file named by its argument; run by the build.
#include <fstream>
#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_man_page OUTPUT\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << zul::cli::manPage();
    out.close();
    if (!out) {
        std::cerr << "make_man_page: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
