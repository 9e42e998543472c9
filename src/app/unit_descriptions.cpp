#include "app/unit_descriptions.h"

#include <algorithm>

#include "platform/event_loop.h"
#include "platform/text.h"
#include "settings/record_store.h"
#include "x10/x10_codes.h"

namespace zul::app {

namespace {
constexpr const char* DescriptionMark = "## ";

int utf8Chars(const std::string& text) {
    int n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

// Twice what the marks of every unit take.
constexpr FileLimit AppliancesLimit{16 * 1024, "it holds at most 256 unit names"};
} // namespace

std::filesystem::path appliancesFile(const std::filesystem::path& recordStore) {
    return recordStore.parent_path() / "appliances.zul";
}

std::optional<UnitAddress> parseUnitAddress(const std::string& text) {
    if (text.size() < 2 || text.size() > 3) return std::nullopt;
    const auto house = x10::parseHouse(text.substr(0, 1));
    const std::string digits = text.substr(1);
    if (!house || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int unit = std::stoi(digits);
    if (unit < 1 || unit > UnitsPerHouse) return std::nullopt;
    return UnitAddress{*house, unit};
}

std::string unitName(const UnitAddress& unit) { return x10::houseLetter(unit.house) + std::to_string(unit.unit); }

UnitDescriptions::UnitDescriptions(RecordStore& records, Translate translate)
    : records_(records), tr_(std::move(translate)) {}

UnitDescriptions::~UnitDescriptions() = default;

std::string UnitDescriptions::read(const UnitAddress& unit) const {
    const std::string stored = records_.readRecord(record(unit), true);
    const auto mark = stored.find(DescriptionMark);
    return mark == std::string::npos ? "" : stored.substr(mark + 3);
}

DescriptionResult UnitDescriptions::write(const UnitAddress& unit, const std::string& text) {
    const auto tr = [this](const std::string& s) { return tr_ ? tr_(s) : s; };
    const std::string clean = without(text, '"');
    // What would act on a terminal or turn the text around is never stored.
    if (!isPlainText(clean)) return {false, tr(DescriptionRefusal)};
    const std::string prefix = unitName(unit) + DescriptionMark;
    const auto written = records_.writeRecord(record(unit), prefix + clean, true);
    if (!written) {
        if (written.fitsChars <= 0) return {false, written.error};
        const int fits = written.fitsChars - static_cast<int>(prefix.size());
        const int chars = utf8Chars(clean.substr(0, static_cast<std::size_t>(std::max(fits, 0))));
        return {false,
                tr("This description is too long.") + "\n" + tr("Characters that fit:") + " " + std::to_string(chars),
                chars};
    }
    remember(unit, clean);
    return {};
}

std::vector<DescribedUnit> UnitDescriptions::described() const {
    std::vector<DescribedUnit> out;
    for (int h = 1; h <= Houses; ++h) {
        for (int u = 1; u <= UnitsPerHouse; ++u) {
            std::string text = read({h, u});
            if (!trimBlanks(text).empty()) out.push_back({{h, u}, std::move(text), appliance({h, u})});
        }
    }
    return out;
}

void UnitDescriptions::watch(EventLoop& loop) {
    tick_ = loop.createTick("descriptionWatch", FirstLookMs, [this] {
        poll();
        if (haveSnapshot_ && tick_->interval() != WatchMs) tick_->setInterval(WatchMs);
    });
    tick_->setEnabled(true);
}

void UnitDescriptions::remember(const UnitAddress& unit, const std::string& text) {
    std::string& known = snapshot_[slot(unit)];
    if (haveSnapshot_ && known == text) return;
    known = text;
    changed(unit, text);
}

bool UnitDescriptions::appliance(const UnitAddress& unit) const {
    if (!appliancesRead_) readAppliances();
    return appliances_[slot(unit)];
}

std::string UnitDescriptions::setAppliance(const UnitAddress& unit, bool appliance) {
    if (!records_.isOpen()) return "the record store is not open";
    for (const UnitAddress& u : readAppliances()) changed(u, read(u));
    if (appliances_[slot(unit)] == appliance) return "";
    auto marks = appliances_;
    marks[slot(unit)] = appliance;
    std::string bytes;
    for (int h = 1; h <= Houses; ++h)
        for (int u = 1; u <= UnitsPerHouse; ++u)
            if (marks[slot({h, u})]) bytes += quotedLine(unitName({h, u}));
    const std::filesystem::path file = appliancesFile(records_.path());
    if (const std::error_code error = writeFileAtomically(file, bytes))
        return "the appliance marks cannot be saved in " + file.string() + ": " + error.message();
    for (const UnitAddress& u : readAppliances()) changed(u, read(u));
    return "";
}

std::vector<UnitAddress> UnitDescriptions::readAppliances() const {
    std::vector<UnitAddress> flipped;
    if (records_.path().empty()) return flipped;
    const std::filesystem::path file = appliancesFile(records_.path());
    const FileStamp stamp = stampOf(file);
    if (appliancesRead_ && stamp == appliancesStamp_) return flipped;
    appliancesRead_ = true;
    appliancesStamp_ = stamp;
    std::array<bool, Houses * UnitsPerHouse> marks{};
    for (const std::string& line : unquotedLines(readDataFile(file, AppliancesLimit).bytes))
        if (const auto unit = parseUnitAddress(asciiUpper(trimBlanks(line)))) marks[slot(*unit)] = true;
    for (int h = 1; h <= Houses; ++h) {
        for (int u = 1; u <= UnitsPerHouse; ++u) {
            const std::size_t i = slot({h, u});
            if (marks[i] == appliances_[i]) continue;
            appliances_[i] = marks[i];
            flipped.push_back({h, u});
        }
    }
    return flipped;
}

void UnitDescriptions::poll() {
    if (!records_.isOpen()) return;
    for (const UnitAddress& u : readAppliances())
        if (haveSnapshot_) changed(u, read(u));
    records_.refresh();
    // Also after a write of this process's own, which may have taken up another's.
    if (haveSnapshot_ && records_.generation() == seenGeneration_) return;
    seenGeneration_ = records_.generation();
    takeSnapshot();
}

void UnitDescriptions::takeSnapshot() {
    const bool report = haveSnapshot_;
    haveSnapshot_ = true;
    for (int h = 1; h <= Houses; ++h) {
        for (int u = 1; u <= UnitsPerHouse; ++u) {
            const UnitAddress unit{h, u};
            std::string text = read(unit);
            if (!report) snapshot_[slot(unit)] = std::move(text);
            else remember(unit, text);
        }
    }
}

} // namespace zul::app
