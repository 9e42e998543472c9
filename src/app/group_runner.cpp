#include "app/group_runner.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>

#include "macros/cro_codes.h"
#include "macros/group_file.h"
#include "platform/event_loop.h"
#include "settings/settings_store.h"
#include "timers/timer_file.h"
#include "x10/transmitter.h"
#include "x10/x10_codes.h"

namespace zul {

namespace {

constexpr const char* kTimerTag = "timer";

bool validIndex(int index) { return index >= 0 && index < macros::kGroupCount; }

} // namespace

GroupRunner::GroupRunner(x10::Transmitter& tx, EventLoop& loop, SettingsBackend& settings,
                         std::filesystem::path programFolder)
    : tx_(tx), loop_(loop), settings_(settings), folder_(std::move(programFolder)) {}

std::string GroupRunner::offForm(const std::string& onCode) {
    if (onCode.size() < 16) return onCode;
    return onCode.substr(0, 10) + "1" + onCode.substr(11);
}

double GroupRunner::commandDelay() const {
    const double tenths = settingAsNumber(readSetting(settings_, Setting::GroupDelay), 6);
    return std::max(0.0, tenths / 10);
}

void GroupRunner::runGroup(int index, bool on) {
    if (!validIndex(index)) return;
    std::string& tag = tags_[static_cast<std::size_t>(index)][on ? 0 : 1];
    if (tag.empty() && click) click();
    const double delay = commandDelay();
    if (startFlash) startFlash();
    // A missing or unreadable group file sends nothing; an unreadable one says why.
    const auto file = macros::groupFilePath(folder_, index);
    const FileRead read = readDataFile(file, macros::GroupFileLimit);
    if (!read.ok() && !read.missing() && problem)
        problem("the group file " + file.string() + " cannot be read (" + read.problem + "); group " +
                std::to_string(index + 1) + " sends nothing");
    bool sent = false;
    for (const std::string& line : read.ok() ? macros::parseGroupText(read.bytes).items : std::vector<std::string>{}) {
        // Label lines carry no command; a line that is no 16-bit code cannot be sent.
        if (line.rfind("Group", 0) == 0 || !macros::isBitCode(line)) continue;
        tx_.sendBits(std::string(x10::FrameHeader) + (on ? line : offForm(line)) + x10::FrameFooter);
        sent = sent || (tx_.port().isOpen() && !tx_.port().lost());
        loop_.processEvents();
        tx_.pause(delay);
    }
    if (stopFlash) stopFlash();
    tag.clear();
    if (ran) ran(index, on, sent);
}

void GroupRunner::autoOff(int index) {
    if (click) click();
    const std::optional<double> delay = askDelay ? askDelay() : std::nullopt;
    if (!delay || !(*delay >= 1)) return;
    runGroup(index, true);
    tx_.pause(*delay);
    runGroup(index, false);
}

bool GroupRunner::strtGroup(int index, const std::string& action) {
    const std::string a = asciiUpper(action);
    if (!validIndex(index) || (a != "ON" && a != "OFF")) return false;
    tags_[static_cast<std::size_t>(index)][a == "ON" ? 0 : 1] = kTimerTag;
    runGroup(index, a == "ON");
    return true;
}

const std::string& GroupRunner::tag(int index, bool on) const {
    return tags_.at(static_cast<std::size_t>(index))[on ? 0 : 1];
}

bool GroupRunner::autoOffButtonsShown() const { return readSetting(settings_, Setting::GroupDelayButtons) != "0"; }

void GroupRunner::toggleAutoOffButtons() {
    const bool show = !autoOffButtonsShown();
    writeSetting(settings_, Setting::GroupDelayButtons, show ? "1" : "0");
    if (onAutoOffButtons) onAutoOffButtons(show);
}

// A group without a label is named by its number.
std::string GroupRunner::labelFor(int index) const {
    const std::string& label = labels.at(static_cast<std::size_t>(index));
    return trimBlanks(label).empty() ? std::to_string(index + 1) : label;
}

std::string GroupRunner::onTip(int index) const {
    return tipText("Turn Group") + " " + labelFor(index) + " " + tipText("ON");
}

std::string GroupRunner::offTip(int index) const {
    return tipText("Turn Group") + " " + labelFor(index) + " " + tipText("OFF");
}

std::string GroupRunner::autoOffTip(int index) const {
    return onTip(index) + " " + tipText("-- then auto-OFF after the delay you set.");
}

std::string GroupRunner::timerCommand(int index, bool on, const Translate& caption) const {
    return (caption ? caption("Group") : std::string("Group")) + " " + std::to_string(index + 1) +
           (on ? " ON" : " OFF");
}

} // namespace zul
