#pragma once
// db.zld: numbered fixed-length records of text. Each 255-byte record holds a
// 16-bit little-endian length and that many bytes of text; the rest is filler
// (zero bytes). Records are numbered from 1; record n starts at byte (n - 1) * 255.
//
// The store is small (a few hundred records), so it is read whole when opened
// and every write replaces the file atomically: a crash or a power loss leaves
// the old record or the new one, never half of one. Another process may write
// the file too (zulmarin units describe while the program runs): a write
// first takes up what the file holds now, so it never puts back older
// records, and refresh() takes it up on request.
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/atomic_file.h"
#include "settings/record_numbers.h"

namespace zul {

class SettingsBackend;

class RecordStore {
public:
    static constexpr int RecordLength = 255;
    static constexpr int MaxValueBytes = RecordLength - 2;
    // Record numbers above this are refused: the file stays a sensible size.
    static constexpr std::int32_t MaxRecordNumber = 65535;
    // Just above MaxRecordNumber records.
    static constexpr FileLimit Limit{16 * 1024 * 1024, "the record store holds at most 65535 records of 255 bytes"};

    struct WriteResult {
        bool ok = true;
        std::string error; // why the write was refused or failed
        int fitsChars = 0; // with ok false for an overlong value: how many leading bytes of
                           // the text would fit (never splitting a UTF-8 character)
        explicit operator bool() const { return ok; }
    };

    RecordStore() = default;
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Opens the file for reading and writing (creating it when missing), or
    // only for reading. False when it cannot be; problem() then says why.
    bool open(const std::filesystem::path& file, bool forWriting = true);
    void close();
    bool isOpen() const { return open_; }
    const std::filesystem::path& path() const { return path_; }
    // "PATH: reason" when the last open failed, else "".
    const std::string& problem() const { return problem_; }

    // A record never written, or past the end of the file, reads as "".
    std::string readRecord(std::int32_t number, bool decipher);
    // Refuses values that would not fit (the old record stays as it was).
    // Writing past the end first fills the gap with empty records.
    WriteResult writeRecord(std::int32_t number, const std::string& text, bool encipher);
    // Reads the file again when it changed since it was last read or written
    // here. True when it did.
    bool refresh();
    // Counts every change of what the store holds (opened, written, read
    // again), so a reader can tell that it has something new to look at.
    std::uint64_t generation() const { return generation_; }

private:
    std::filesystem::path path_;
    std::string bytes_; // the file as last read or written
    FileStamp stamp_;   // of the file as last read or written
    std::uint64_t generation_ = 0;
    std::string problem_;
    bool open_ = false, writable_ = false;
};

// "The record store cannot be opened: PATH: reason", for a store whose open failed.
std::string recordStoreProblemText(const RecordStore& store);

// The record store's file: program folder / "db.zld" when it exists, else the
// path under "Database16"/"DataFile" (default that same program-folder path).
// The path chosen is written back to "Database16"/"DataFile".
std::filesystem::path recordStorePath(SettingsBackend& settings, const std::filesystem::path& programFolder);

} // namespace zul
