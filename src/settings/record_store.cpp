#include "settings/record_store.h"

#include <algorithm>
#include <array>

#include "platform/settings_backend.h"
#include "settings/cipher.h"
#include "settings/settings_store.h"

namespace zul {

namespace {
std::streamoff offsetOf(std::int32_t number) {
    return static_cast<std::streamoff>(number - 1) * RecordStore::RecordLength;
}

// The longest leading part of text (in bytes, ending on a UTF-8 character
// boundary) whose stored form fits a record.
int fittingPrefix(const std::string& text, bool encipher) {
    std::size_t kept = 0, best = 0;  // kept: bytes that survive the cipher (no '"')
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool boundary = i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        const std::size_t stored = encipher ? encipheredLength(kept) : i;
        if (stored > RecordStore::MaxValueBytes) break;
        if (boundary) best = i;
        if (i < text.size() && !(encipher && text[i] == '"')) ++kept;
    }
    return static_cast<int>(best);
}

RecordStore::WriteResult refused(std::string why, int fits = 0) {
    RecordStore::WriteResult r;
    r.ok = false;
    r.error = std::move(why);
    r.fitsChars = fits;
    return r;
}
} // namespace

RecordStore::~RecordStore() { close(); }

bool RecordStore::open(const std::filesystem::path& file) {
    close();
    path_ = file;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) std::ofstream(file, std::ios::binary | std::ios::app);
    file_.open(file, std::ios::in | std::ios::out | std::ios::binary);
    return file_.is_open();
}

void RecordStore::close() {
    if (file_.is_open()) file_.close();
    file_.clear();
}

bool RecordStore::isOpen() const { return file_.is_open(); }

std::uintmax_t RecordStore::fileSize() {
    file_.clear();
    file_.seekg(0, std::ios::end);
    const auto end = file_.tellg();
    return end < 0 ? 0 : static_cast<std::uintmax_t>(end);
}

std::string RecordStore::ReadRecord(std::int32_t number, bool decipher) {
    if (!isOpen() || number < 1 || number > MaxRecordNumber) return "";
    const auto start = static_cast<std::uintmax_t>(offsetOf(number));
    const std::uintmax_t size = fileSize();
    if (start + 2 > size) return "";
    std::array<char, RecordLength> record{};
    const std::uintmax_t available = std::min<std::uintmax_t>(RecordLength, size - start);
    file_.seekg(offsetOf(number));
    file_.read(record.data(), static_cast<std::streamsize>(available));
    if (!file_) {
        file_.clear();
        return "";
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(record.data());
    std::size_t length = bytes[0] | (std::size_t(bytes[1]) << 8);
    // A damaged length never reads beyond its own record.
    length = std::min<std::size_t>({length, std::size_t{MaxValueBytes}, static_cast<std::size_t>(available - 2)});
    std::string text(record.data() + 2, length);
    return decipher ? CipherText(true, text) : text;
}

RecordStore::WriteResult RecordStore::WriteRecord(std::int32_t number, const std::string& text, bool encipher) {
    if (!isOpen()) return refused("The record file is not open.");
    if (number < 1 || number > MaxRecordNumber)
        return refused("Record number " + std::to_string(number) + " is outside 1 to " +
                       std::to_string(MaxRecordNumber) + ".");
    const std::string stored = encipher ? CipherText(false, text) : text;
    if (stored.size() > MaxValueBytes) {
        const int fits = fittingPrefix(text, encipher);
        return refused("The text is too long to store: only its first " + std::to_string(fits) +
                           " characters would fit.", fits);
    }
    std::array<char, RecordLength> record{};
    record[0] = static_cast<char>(stored.size() & 0xFF);
    record[1] = static_cast<char>(stored.size() >> 8);
    std::copy(stored.begin(), stored.end(), record.begin() + 2);

    const std::uintmax_t size = fileSize();
    const auto start = static_cast<std::uintmax_t>(offsetOf(number));
    if (size < start) {
        // Whole empty records up to this one (a torn last record is completed too).
        file_.seekp(static_cast<std::streamoff>(size));
        const std::string gap(start - size, '\0');
        file_.write(gap.data(), static_cast<std::streamsize>(gap.size()));
    }
    file_.seekp(offsetOf(number));
    file_.write(record.data(), RecordLength);
    file_.flush();
    if (!file_) {
        file_.clear();
        return refused("Could not write record " + std::to_string(number) + " to " + path_.string() + ".");
    }
    return {};
}

std::filesystem::path recordStorePath(SettingsBackend& settings, const std::filesystem::path& programFolder) {
    const std::filesystem::path standard = programFolder / "db.zld";
    std::error_code ec;
    std::filesystem::path chosen = standard;
    if (!std::filesystem::exists(standard, ec)) {
        const std::string stored = ReadSetting(settings, "Database16", "DataFile", standard.string());
        if (!stored.empty()) chosen = stored;
    }
    WriteSetting(settings, "Database16", "DataFile", chosen.string());
    return chosen;
}

} // namespace zul
