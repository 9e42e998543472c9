#pragma once
// A folder of this fuzzing process for the targets that go through files:
// under $ZUL_FUZZ_SCRATCH (tools/run_fuzzers makes one and removes it
// afterwards), else on tmpfs where there is one, else in the temp folder.
// Every write syncs its file, which on a disk would slow the fuzzer to a crawl.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline const std::filesystem::path& fuzzFolder() {
    static const std::filesystem::path folder = [] {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (const char* scratch = std::getenv("ZUL_FUZZ_SCRATCH"); scratch && *scratch) base = scratch;
        else if (!std::filesystem::is_directory(base, ec)) base = std::filesystem::temp_directory_path();
        const auto made = base / ("zul-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(made);
        return made;
    }();
    return folder;
}
