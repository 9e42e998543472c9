#pragma once
// Numbered names for test data ("m3.cro"). Built by appending: GCC 12 at -O3
// mistakes "m" + std::to_string(n) (the literal inserted in front of a
// temporary) for an overlapping copy and fails the build with -Wrestrict.
#include <string>

namespace zul::test {

inline std::string numbered(std::string stem, int n, const char* tail = "") {
    stem += std::to_string(n);
    return stem += tail;
}

} // namespace zul::test
