#include "support/scoped_env.h"

#include <algorithm>
#include <cstdlib>
#include <ranges>

namespace zul::test {

namespace {
void put(const char* name, const ScopedEnv::Value& value) {
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
}
} // namespace

ScopedEnv::ScopedEnv(std::initializer_list<std::pair<const char*, Value>> values) {
    for (const auto& [name, value] : values) set(name, value);
}

ScopedEnv::~ScopedEnv() {
    for (const auto& [name, old] : saved_ | std::views::reverse) put(name.c_str(), old);
}

void ScopedEnv::set(const char* name, const Value& value) {
    if (std::ranges::none_of(saved_, [name](const auto& s) { return s.first == name; })) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? Value(old) : std::nullopt);
    }
    put(name, value);
}

} // namespace zul::test
