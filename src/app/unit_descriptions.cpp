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

std::size_t slot(const UnitAddress& unit) { return static_cast<std::size_t>(UnitDescriptions::record(unit) - 1); }
} // namespace

std::optional<UnitAddress> parseUnitAddress(const std::string& text) {
    if (text.size() < 2 || text.size() > 3) return std::nullopt;
    const auto house = x10::parseHouse(text.substr(0, 1));
    const std::string digits = text.substr(1);
    if (!house || digits[0] == '0' || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
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
    const std::string stored = records_.ReadRecord(record(unit), true);
    const auto mark = stored.find(DescriptionMark);
    return mark == std::string::npos ? "" : stored.substr(mark + 3);
}

DescriptionResult UnitDescriptions::write(const UnitAddress& unit, const std::string& text) {
    const auto tr = [this](const std::string& s) { return tr_ ? tr_(s) : s; };
    const std::string clean = without(text, '"');
    // What would act on a terminal or turn the text around is never stored.
    if (!isPlainText(clean)) return {false, tr(DescriptionRefusal)};
    const std::string prefix = unitName(unit) + DescriptionMark;
    const auto written = records_.WriteRecord(record(unit), prefix + clean, true);
    if (!written) {
        if (written.fitsChars <= 0) return {false, written.error};
        const int fits = written.fitsChars - static_cast<int>(prefix.size());
        const int chars = utf8Chars(clean.substr(0, static_cast<std::size_t>(std::max(fits, 0))));
        return {false, tr("This description is too long.") + "\n" + tr("Characters that fit:") + " " +
                           std::to_string(chars), chars};
    }
    remember(unit, clean);
    return {};
}

std::vector<DescribedUnit> UnitDescriptions::described() const {
    std::vector<DescribedUnit> out;
    for (int h = 1; h <= Houses; ++h) {
        for (int u = 1; u <= UnitsPerHouse; ++u) {
            std::string text = read({h, u});
            if (!trimBlanks(text).empty()) out.push_back({{h, u}, std::move(text)});
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

void UnitDescriptions::poll() {
    if (!records_.isOpen()) return;
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
