#include "timers/timer_log.h"

#include <algorithm>
#include <cmath>

#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "settings/settings_store.h"
#include "platform/text.h"
#include "timers/timer_file.h"

namespace zul {

namespace {

constexpr int kAutosavePeriodMs = 60000;

double numberSetting(const SettingsBackend& s, const SettingKey& key, double fallback) {
    return settingAsNumber(readSetting(s, key), fallback);
}

void waitProcessingEvents(Clock& clock, EventLoop& loop, double seconds) {
    const std::int64_t deadline = clock.monotonicMicros() + static_cast<std::int64_t>(seconds * 1e6);
    while (clock.monotonicMicros() < deadline) {
        loop.processEvents();
        const std::int64_t left = (deadline - clock.monotonicMicros() + 999) / 1000;
        if (left > 0) loop.sleepMs(static_cast<int>(std::min<std::int64_t>(left, 10)));
    }
}

} // namespace

std::string lastLinesWithin(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t from = text.size() - maxBytes;
    if (text[from - 1] != '\n') {
        from = text.find('\n', from);
        if (from == std::string::npos) return "";
        ++from;
    }
    return text.substr(from);
}

void fixFileSize(const std::filesystem::path& path, double maxLines) {
    if (!std::isfinite(maxLines)) return;
    const FileRead read = readDataFile(path, TimerLogRepairLimit);
    if (!read.ok()) return;
    std::vector<std::string> elements = splitFileLines(read.bytes);
    // Lines a Windows program wrote in its single-byte code page are kept in UTF-8.
    for (std::string& element : elements) element = textFromFile(element);
    const double u = static_cast<double>(elements.size()) - 1;
    maxLines = std::max(0.0, maxLines);
    const bool tooManyLines = maxLines + 2 < u;
    if (!tooManyLines && read.bytes.size() <= TimerLogLimit.maxBytes) return;
    if (tooManyLines) {
        // Elements 0..k go; k rounds half to even, like the rest of the number handling.
        const auto k = static_cast<std::size_t>(std::nearbyint(u - maxLines));
        elements.erase(elements.begin(),
                       elements.begin() + static_cast<std::ptrdiff_t>(std::min(k + 1, elements.size())));
    }
    std::string text = without(joinWith(elements, kCrLf), '"');
    // The kept part already ends with the file's last line end; add one only
    // when it does not, so repeated trims never pile up empty lines.
    if (text.size() < 2 || text.compare(text.size() - 2, 2, kCrLf) != 0) text += kCrLf;
    writeFileAtomically(path, lastLinesWithin(text, TimerLogLimit.maxBytes));
}

TimerLog::TimerLog(Clock& clock, EventLoop& loop, SettingsBackend& settings, std::filesystem::path programFolder,
                   LangLookup lang)
    : clock_(clock), settings_(settings), programFolder_(std::move(programFolder)), lang_(std::move(lang)) {
    // Before "TimerLogS" was ever stored the box starts ticked, so nothing is lost by default.
    autoSave_ = settingAsBool(readSetting(settings_, Setting::TimerLogAutoSave), true);
    statusView_ = settingAsInt(readSetting(settings_, Setting::TimerLogStatus), 1) == 1;
    pause = [&clock, &loop](double seconds) { waitProcessingEvents(clock, loop, seconds); };
    formatNow = [&clock](const DateTime& t) { return generalDateTimeText(t, clock.uses24Hour()); };
    tick_ = loop.createTick("tmrLogWrite", kAutosavePeriodMs, [this] { autosaveTick(); });
    tick_->setCoarse(true);
    tick_->setEnabled(true);
}

TimerLog::~TimerLog() = default;

void TimerLog::setText(std::string text) {
    text_ = std::move(text);
    if (onTextChanged) onTextChanged();
}

void TimerLog::append(const std::string& entry) {
    setText(text_ + kCrLf + entry);
    entryAdded(entry);
}

void TimerLog::setStatusView(bool on) {
    statusView_ = on;
    writeSetting(settings_, Setting::TimerLogStatus, on ? "1" : "0");
}

void TimerLog::resizeStatus(int timers) {
    const auto n = static_cast<std::size_t>(std::max(0, timers));
    if (n == status_.size()) return;
    status_.resize(n);
    if (onStatusResized) onStatusResized();
}

void TimerLog::setStatus(int timer, const std::string& text, unsigned colour) {
    if (timer < 0) return;
    if (static_cast<std::size_t>(timer) >= status_.size()) resizeStatus(timer + 1);
    TimerStatusLine& line = status_[static_cast<std::size_t>(timer)];
    if (line.text == text && line.colour == colour) return;
    line = {text, colour};
    if (onStatusChanged) onStatusChanged(timer);
}

void TimerLog::setLoopStatus(const std::string& text, unsigned colour) {
    if (loopStatus_.text == text && loopStatus_.colour == colour) return;
    loopStatus_ = {text, colour};
    if (onStatusChanged) onStatusChanged(kLoopStatus);
}

std::string TimerLog::printText() const {
    const std::string now = generalDateTimeText(clock_.now(), clock_.uses24Hour());
    const std::size_t blank = now.find(' ');
    return text_ + kCrLf + "Printed on:  " + now.substr(0, blank) + " at " + now.substr(blank + 1) + kCrLf;
}

std::string TimerLog::nowText() const { return formatNow(clock_.now()); }

std::string TimerLog::saveRecords() const {
    const std::string now = nowText();
    return quotedLine(std::string(kCrLf) + kCrLf + "******** Timer log save " + now + "********" + kCrLf) +
           quotedLine(text_) + quotedLine("******** end of log save for " + now + "********" + kCrLf);
}

void TimerLog::autosaveTick() {
    moveOldLines();
    if (settingAsInt(readSetting(settings_, Setting::TrimTimerLog), 1) == 1)
        fixFileSize(logFilePath(), numberSetting(settings_, Setting::MaxLogFileLines, 59000));
}

bool TimerLog::moveOldLines() {
    if (text_.empty()) return false;
    const double maxSize = numberSetting(settings_, Setting::MaxLogSize, 500);
    const long keep = std::clamp(settingAsInt(readSetting(settings_, Setting::KeepLogSize), 400), 0, 32767);
    std::vector<std::string> lines = splitAt(text_, kCrLf);
    const long u = static_cast<long>(lines.size()) - 1;
    if (u <= maxSize) return false;

    const bool saving = autoSave_;
    std::string records, kept;
    if (saving)
        records = quotedLine(std::string(kCrLf) + "******** Timer log autosave " + nowText() + "********" + kCrLf);
    for (long i = 0; i <= u; ++i) {
        std::string& line = lines[static_cast<std::size_t>(i)];
        if (i < u - keep) {
            if (saving) records += quotedLine(line);
            continue;
        }
        if (line == " ") line = kCrLf;
        kept += kCrLf + line;
    }
    if (saving) {
        records += quotedLine(std::string(kCrLf) + "******** end  autosave for " + nowText() + "********" + kCrLf);
        if (onAutosaveBusy) onAutosaveBusy(true);
        // When the file cannot take the lines they stay in the window.
        if (!appendToFile(records)) setText(std::move(kept));
    } else {
        setText(std::move(kept));
    }
    if (pause) pause(1.0);
    if (saving && onAutosaveBusy) onAutosaveBusy(false);
    return true;
}

std::error_code TimerLog::appendToFile(const std::string& records) {
    const std::filesystem::path file = logFilePath();
    std::error_code ec;
    if (records.size() >= TimerLogLimit.maxBytes) ec = FileError::TooLarge;
    const FileRead old = ec ? FileRead{} : readDataFile(file, TimerLogRepairLimit);
    if (!ec && !old.ok() && !old.missing()) ec = old.error;
    if (!ec) {
        // Trimmed before the records go in, so the file never outgrows its reader.
        const std::size_t room = TimerLogLimit.maxBytes - records.size();
        const std::string kept = old.bytes.size() > room ? lastLinesWithin(without(old.bytes, '"'), room) : old.bytes;
        ec = writeFileAtomically(file, kept + records, TimerLogLimit);
    }
    if (ec && !saveFailing_ && saveFailed)
        saveFailed("the timer log cannot be saved to " + file.string() + ": " + ec.message());
    saveFailing_ = static_cast<bool>(ec);
    return ec;
}

std::error_code TimerLog::clear() {
    // Appended like the autosave and the closing, so no earlier record is lost.
    if (autoSave_ && !text_.empty()) {
        if (std::error_code ec = appendFileAtomically(logFilePath(), saveRecords(), TimerLogLimit)) return ec;
    }
    setText("");
    return {};
}

std::optional<std::filesystem::path> TimerLog::saveAs(Dialogs& dialogs) {
    if (text_.empty()) return std::nullopt;
    const std::optional<std::string> answer = dialogs.input(lang_.cap("Please enter a filename for the log file."),
                                                            lang_.cap("File Name?"), lang_.cap("Timer"));
    if (!answer || answer->empty()) return std::nullopt;
    if (answer->find_first_of("/\\") != std::string::npos) {
        dialogs.message(lang_.cap("Please enter a file name without a folder."));
        return std::nullopt;
    }
    const std::filesystem::path file = programFolder_ / (*answer + ".log");
    if (std::error_code ec = writeFileAtomically(file, saveRecords())) {
        dialogs.message(lang_.cap("The log could not be saved:") + " " + file.string() + kCrLf + ec.message());
        return std::nullopt;
    }
    return file;
}

std::error_code TimerLog::unload() {
    std::error_code ec;
    if (autoSave_ && !text_.empty()) ec = appendToFile(saveRecords());
    writeSetting(settings_, Setting::TimerLogAutoSave, autoSave_ ? "1" : "0");
    return ec;
}

} // namespace zul
