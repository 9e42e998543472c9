#pragma once
// db.zld: numbered fixed-length records of text. Each 255-byte record holds a
// 16-bit little-endian length and that many bytes of text; the rest is filler.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace zul {

class RecordStore {
public:
    static constexpr int RecordLength = 255;
    static constexpr int MaxValueBytes = RecordLength - 2;

    struct WriteResult {
        bool ok = true;
        std::string error;   // why the write was refused or failed
        int fitsChars = 0;   // with ok false for an overlong value: how many leading characters would fit
        explicit operator bool() const { return ok; }
    };

    RecordStore() = default;
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Opens (creating when missing) the file for reading and writing.
    bool open(const std::filesystem::path& file);
    void close();
    bool isOpen() const;
    const std::filesystem::path& path() const { return path_; }

    // A record never written, or past the end of the file, reads as "".
    std::string ReadRecord(std::int32_t number, bool decipher);
    // Refuses values that would not fit (the old record stays as it was).
    WriteResult WriteRecord(std::int32_t number, const std::string& text, bool encipher);

private:
    std::filesystem::path path_;
    std::fstream file_;
};

} // namespace zul
