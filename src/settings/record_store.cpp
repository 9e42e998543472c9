#include "settings/record_store.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/settings_backend.h"
#include "settings/cipher.h"
#include "settings/settings_store.h"

namespace zul {

namespace {
std::size_t offsetOf(std::int32_t number) { return static_cast<std::size_t>(number - 1) * RecordStore::RecordLength; }

// The longest leading part of text (in bytes, ending on a UTF-8 character
// boundary) whose stored form fits a record.
int fittingPrefix(const std::string& text, bool encipher) {
    std::size_t kept = 0, best = 0; // kept: bytes that survive the cipher (no '"')
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool boundary = i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        const std::size_t stored = encipher ? encipheredLength(kept) : i;
        if (stored > RecordStore::MaxValueBytes) break;
        if (boundary) best = i;
        if (i < text.size() && !(encipher && text[i] == '"')) ++kept;
    }
    return static_cast<int>(best);
}

bool writable(const std::filesystem::path& p) { return ::faccessat(AT_FDCWD, p.c_str(), W_OK, AT_EACCESS) == 0; }

RecordStore::WriteResult refused(std::string why, int fits = 0) {
    RecordStore::WriteResult r;
    r.ok = false;
    r.error = std::move(why);
    r.fitsChars = fits;
    return r;
}
} // namespace

RecordStore::~RecordStore() { close(); }

bool RecordStore::open(const std::filesystem::path& file, bool forWriting) {
    close();
    path_ = file;
    FileRead read = readDataFile(file, Limit);
    std::string problem = read.problem;
    if (read.missing() && forWriting) {
        if (const auto ec = writeFileAtomically(file, "")) problem = ec.message();
        else problem.clear();
    } else if (read.ok() && forWriting) {
        // Every write replaces the file, so both it and its folder must be writable.
        const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
        if (!writable(file)) problem = "it cannot be written: " + std::generic_category().message(errno);
        else if (!writable(folder)) problem = "its folder cannot be written: " + std::generic_category().message(errno);
    }
    if (!problem.empty()) {
        problem_ = file.string() + ": " + problem;
        return false;
    }
    bytes_ = std::move(read.bytes);
    stamp_ = stampOf(file);
    ++generation_;
    open_ = true;
    writable_ = forWriting;
    return true;
}

void RecordStore::close() {
    open_ = writable_ = false;
    bytes_.clear();
    problem_.clear();
}

std::string RecordStore::readRecord(std::int32_t number, bool decipher) {
    if (!isOpen() || number < 1 || number > MaxRecordNumber) return "";
    const std::size_t start = offsetOf(number);
    if (start + 2 > bytes_.size()) return "";
    const std::size_t available = std::min<std::size_t>(RecordLength, bytes_.size() - start);
    const auto* bytes = reinterpret_cast<const unsigned char*>(bytes_.data() + start);
    std::size_t length = bytes[0] | (std::size_t(bytes[1]) << 8);
    // A damaged length never reads beyond its own record.
    length = std::min<std::size_t>({length, std::size_t{MaxValueBytes}, available - 2});
    std::string text(bytes_, start + 2, length);
    // Records written by a Windows program hold single-byte text.
    return textFromFile(decipher ? cipherText(true, text) : text);
}

RecordStore::WriteResult RecordStore::writeRecord(std::int32_t number, const std::string& text, bool encipher) {
    if (!isOpen() || !writable_) return refused("The record file is not open for writing.");
    if (number < 1 || number > MaxRecordNumber)
        return refused("Record number " + std::to_string(number) + " is outside 1 to " +
                       std::to_string(MaxRecordNumber) + ".");
    const std::string stored = encipher ? cipherText(false, text) : text;
    if (stored.size() > MaxValueBytes) {
        const int fits = fittingPrefix(text, encipher);
        return refused(
            "The text is too long to store: only its first " + std::to_string(fits) + " characters would fit.", fits);
    }
    std::string record(RecordLength, '\0');
    record[0] = static_cast<char>(stored.size() & 0xFF);
    record[1] = static_cast<char>(stored.size() >> 8);
    record.replace(2, stored.size(), stored);

    refresh();
    // Whole empty records up to this one (a torn last record is completed too).
    const std::size_t start = offsetOf(number);
    std::string next = bytes_;
    if (next.size() < start + RecordLength) next.resize(std::max(next.size(), start + RecordLength), '\0');
    next.replace(start, RecordLength, record);
    if (const auto ec = writeFileAtomically(path_, next))
        return refused("Could not write record " + std::to_string(number) + " to " + path_.string() + ": " +
                       ec.message());
    bytes_ = std::move(next);
    stamp_ = stampOf(path_);
    ++generation_;
    return {};
}

bool RecordStore::refresh() {
    if (!isOpen()) return false;
    const FileStamp now = stampOf(path_);
    if (now == stamp_) return false;
    FileRead read = readDataFile(path_, Limit);
    if (!read.ok()) return false; // gone or unreadable for now: what was read stays
    bytes_ = std::move(read.bytes);
    stamp_ = now;
    ++generation_;
    return true;
}

std::string recordStoreProblemText(const RecordStore& store) {
    return "The record store cannot be opened: " + store.problem();
}

std::filesystem::path recordStorePath(SettingsBackend& settings, const std::filesystem::path& programFolder) {
    const std::filesystem::path standard = programFolder / "db.zld";
    std::error_code ec;
    std::filesystem::path chosen = standard;
    if (!std::filesystem::exists(standard, ec)) {
        const std::string stored = settings.read(Setting::DataFile).value_or(standard.string());
        if (!stored.empty()) chosen = stored;
    }
    writeSetting(settings, Setting::DataFile, chosen.string());
    return chosen;
}

} // namespace zul
