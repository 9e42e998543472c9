#pragma once
// Environment variables changed for a scope and put back as they were (set or
// not) when it ends, whatever the test does in between.
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zul::test {

class ScopedEnv {
public:
    using Value = std::optional<std::string>; // std::nullopt: unset
    ScopedEnv(std::initializer_list<std::pair<const char*, Value>> values);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    // Changes a variable again (one already changed keeps its first saved value).
    void set(const char* name, const Value& value);

private:
    std::vector<std::pair<std::string, Value>> saved_;
};

} // namespace zul::test
