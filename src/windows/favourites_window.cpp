#include "windows/favourites_window.h"

#include <algorithm>
#include <climits>

#include "platform/datetime.h"
#include "platform/text.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "settings/sounds.h"
#include "x10/transmitter.h"
#include "x10/x10_codes.h"

namespace zul::windows {

namespace {

constexpr const char* kDefaultOptions = "10,0,0";
constexpr int kDefaultRows = 10;
constexpr WindowPositionKeys kPositionKeys{Setting::FavouritesLeft, Setting::FavouritesTop};
constexpr const char* kBrightByte = "10001000";
constexpr const char* kDimByte = "10011000";

std::optional<int> wholeNumber(const std::string& text) {
    const auto v = wholeNumberIn(text);
    if (!v || *v < INT_MIN || *v > INT_MAX) return std::nullopt;
    return static_cast<int>(*v);
}

// A description record: code, "## ", description. Nothing for a record without them.
std::optional<Favourite> favouriteOf(const std::string& record) {
    const std::size_t marks = record.find("##");
    const std::size_t text = record.find("## ");
    if (marks == std::string::npos || text == std::string::npos) return std::nullopt;
    Favourite f{record.substr(0, marks), record.substr(text + 3)};
    if (f.description.empty()) return std::nullopt;
    return f;
}

bool byName(const Favourite& a, const Favourite& b) { return asciiLower(a.description) < asciiLower(b.description); }

} // namespace

FavouritesWindowForm::FavouritesWindowForm(FavouritesServices services) : s_(std::move(services)) {
    clock_ = s_.loop.createTick("Timer1", ClockMs, [this] {
        // A hint stays a while before the clock takes the line back.
        if (hintSince_ < 0 || s_.clock.monotonicMicros() - hintSince_ >= HintMs * 1000LL) showClock();
    });
}

FavouritesWindowForm::~FavouritesWindowForm() = default;

void FavouritesWindowForm::open() {
    opened_ = false;
    std::string options = s_.records.readRecord(RecordNumber::FavouritesOptions, true);
    if (options.size() < 5) {
        options = kDefaultOptions;
        s_.records.writeRecord(RecordNumber::FavouritesOptions, options, true);
    }
    const auto parts = splitAt(options, ",");
    maxVisible_ = parts[0];
    onTop_ = parts.size() > 1 && trimBlanks(parts[1]) == "1";
    sortByName_ = parts.size() > 2 && trimBlanks(parts[2]) == "1";
    setFavs();
    showClock();
    clock_->setEnabled(true);
    s_.sounds.play(SoundEvent::Click);
    opened_ = true;
}

void FavouritesWindowForm::setFavs() {
    sorted_.clear();
    inRecordOrder_.clear();
    const int end = RecordNumber::FirstUnitDescription + RecordNumber::UnitDescriptions;
    for (int n = RecordNumber::FirstUnitDescription; n < end; ++n)
        if (auto f = favouriteOf(s_.records.readRecord(n, true))) inRecordOrder_.push_back(std::move(*f));
    sorted_ = inRecordOrder_;
    std::stable_sort(sorted_.begin(), sorted_.end(), byName);
    scrollTo(first_);
    notify();
}

int FavouritesWindowForm::rows() const {
    const auto wanted = wholeNumber(maxVisible_);
    const int most = wanted && *wanted > 0 ? *wanted : kDefaultRows;
    return std::min(most, static_cast<int>(shown().size()));
}

void FavouritesWindowForm::scrollTo(int row) {
    const int last = static_cast<int>(shown().size()) - rows();
    first_ = std::clamp(row, 0, std::max(last, 0));
}

void FavouritesWindowForm::setMaxVisible(const std::string& text) {
    maxVisible_ = without(text, ',');
    writeOptions();
}

void FavouritesWindowForm::setOnTop(bool on) {
    onTop_ = on;
    writeOptions();
}

void FavouritesWindowForm::setSortByName(bool on) {
    sortByName_ = on;
    writeOptions();
    setFavs();
}

void FavouritesWindowForm::writeOptions() {
    const std::string options = maxVisible_ + "," + (onTop_ ? "1" : "0") + "," + (sortByName_ ? "1" : "0");
    s_.records.writeRecord(RecordNumber::FavouritesOptions, options, true);
    if (opened_) clicked();
}

void FavouritesWindowForm::clicked() { s_.sounds.play(SoundEvent::Click); }

void FavouritesWindowForm::press(int button, bool on) {
    const int row = first_ + button;
    if (button < 0 || button >= rows() || row >= static_cast<int>(shown().size())) return;
    const Favourite& f = shown()[static_cast<std::size_t>(row)];
    std::string error;
    const auto command = x10::parseCommand(f.code.substr(0, 1), f.code.substr(1), on ? "ON" : "OFF", error);
    if (command) {
        const x10::CodeBytes bytes = s_.codes.bytesFor(*command);
        s_.transmitter.sendBits(x10::makeFrame(bytes.house, bytes.unit));
        keptCode_ = trimBlanks(f.code);
        keptHouseByte_ = bytes.house;
    }
    clicked();
}

void FavouritesWindowForm::holdDown(bool bright) {
    if (keptHouseByte_.empty()) {
        hint(tr("Switch a unit ON or OFF first; BRI and DIM act on it."));
        return;
    }
    held_ = true;
    const std::string frame = x10::makeFrame(keptHouseByte_.substr(0, 5) + "000", bright ? kBrightByte : kDimByte);
    while (held_ && !s_.stopAll) {
        s_.transmitter.sendBits(frame);
        s_.loop.processEvents();
        s_.transmitter.pause(HoldRepeatSeconds);
    }
    held_ = false;
}

void FavouritesWindowForm::holdClick() { clicked(); }

void FavouritesWindowForm::showClock() {
    hintSince_ = -1;
    status_ = generalDateTimeText(s_.clock.now(), s_.clock.uses24Hour());
    notify();
}

void FavouritesWindowForm::hint(std::string text) {
    hintSince_ = s_.clock.monotonicMicros();
    status_ = std::move(text);
    notify();
}

void FavouritesWindowForm::hoverUnit(int button, bool on) {
    const int row = first_ + button;
    if (row < 0 || row >= static_cast<int>(shown().size())) return;
    const Favourite& f = shown()[static_cast<std::size_t>(row)];
    hint(f.code + (on ? " ON: " : " OFF: ") + f.description);
}

void FavouritesWindowForm::hoverDimmer(bool bright) { hint(tr(bright ? "Brighten" : "Dim") + " " + keptCode_); }

std::optional<std::pair<int, int>> FavouritesWindowForm::storedPosition() const {
    return storedWindowPosition(s_.settings, kPositionKeys);
}

int FavouritesWindowForm::storedWidth() const {
    return allowedWidth(wholeNumber(readSetting(s_.settings, Setting::FavouritesWidth)).value_or(DefaultWidthTwips));
}

void FavouritesWindowForm::close(bool byUser, std::optional<std::pair<int, int>> position, int widthTwips) {
    clock_->setEnabled(false);
    if (position) {
        storeWindowPosition(s_.settings, kPositionKeys, *position);
    }
    writeSetting(s_.settings, Setting::FavouritesWidth, std::to_string(allowedWidth(widthTwips)));
    if (!byUser) return;
    keptCode_.clear();
    keptHouseByte_.clear();
    clicked();
    if (showMainWindow) showMainWindow();
}

} // namespace zul::windows
