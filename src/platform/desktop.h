#pragma once
#include <string>
#include <vector>

namespace zul {

// What the program asks of the desktop around it.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Opens a file or web address with the program the desktop associates with it.
    virtual bool open(const std::string& pathOrUrl) = 0;
    // Starts another program without waiting for it.
    virtual bool startProgram(const std::string& program, const std::vector<std::string>& args) = 0;
};

} // namespace zul
