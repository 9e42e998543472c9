// Any bytes as db.zld: every record reads without crashing, as UTF-8 and
// within its 253 characters (a byte of a store a Windows copy wrote may
// become up to three bytes of UTF-8), and a record written reads back while the others stay as they were.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_folder.h"
#include "platform/text.h"
#include "settings/record_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul;
    static const std::filesystem::path file = fuzzFolder() / "db.zld";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    RecordStore store;
    if (!store.open(file)) std::abort();
    const std::int32_t last = static_cast<std::int32_t>(size / RecordStore::RecordLength) + 2;
    std::vector<std::string> before;
    for (std::int32_t n = 1; n <= last; ++n) {
        before.push_back(store.readRecord(n, false));
        const std::string& value = before.back();
        const auto characters = std::count_if(value.begin(), value.end(), [](char c) { return (c & 0xC0) != 0x80; });
        if (!validUtf8(value) || characters > RecordStore::MaxValueBytes) std::abort();
        store.readRecord(n, true);
    }
    // The first bytes of the input, enciphered, into record 2: they read back
    // without their double quotes, which the cipher drops, and as UTF-8 (bytes
    // that are not are taken as Windows-1252, as in a store a Windows copy wrote).
    std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 100));
    if (!store.writeRecord(2, text, true)) return 0; // too long once enciphered
    std::erase(text, '"');
    if (store.readRecord(2, true) != textFromFile(text)) std::abort();
    RecordStore reopened;
    if (!reopened.open(file, false)) std::abort();
    // (A torn last record is completed with filler, so only whole records must stay as they were.)
    for (std::int32_t n = 1; n * RecordStore::RecordLength <= static_cast<std::int64_t>(size); ++n)
        if (n != 2 && reopened.readRecord(n, false) != before[static_cast<std::size_t>(n - 1)]) std::abort();
    return 0;
}
