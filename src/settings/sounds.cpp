#include "settings/sounds.h"

#include <system_error>

#include "platform/dialogs.h"
#include "platform/sound_player.h"
#include "settings/paths.h"
#include "settings/settings_store.h"

namespace zul {

namespace {

// Listed in the enum's order, so a list index is the event's number.
const std::array<SoundEventInfo, 5> kEvents = {{
    {SoundEvent::Click, " Button Click", Setting::ClickSound, "click.wav"},
    {SoundEvent::Recorded, " Item gets Recorded", Setting::RecordedSound, "rec.wav"},
    {SoundEvent::Resize, " Resize Window", Setting::ResizeSound, "expand.wav"},
    {SoundEvent::TimerStart, " Timer Starts", Setting::TimerStartSound, "tmrstart.wav"},
    {SoundEvent::MacroCommand, " Macro sends command", Setting::MacroCommandSound, "tick.wav"},
}};

// The order in which the five keys are written.
const SoundEvent kSaveOrder[] = {SoundEvent::Click, SoundEvent::Recorded, SoundEvent::TimerStart,
                                 SoundEvent::MacroCommand, SoundEvent::Resize};

} // namespace

const std::array<SoundEventInfo, 5>& soundEvents() { return kEvents; }

const SoundEventInfo& soundEventOf(SoundEvent e) { return kEvents[static_cast<std::size_t>(e)]; }

void playSound(SoundPlayer& player, const std::string& path) {
    if (path.empty() || equalsNoCase(path, "none")) return;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return;
    player.play(path);
}

Sounds::Sounds(SettingsBackend& settings, SoundPlayer& player, std::filesystem::path programFolder)
    : settings_(settings), player_(player), folder_(std::move(programFolder)) {
    for (const auto& e : kEvents) setPath(e.event, defaultPath(e.event));
}

void Sounds::load() {
    on_ = readSetting(settings_, Setting::SoundsOn) == "True";
    for (const auto& e : kEvents) setPath(e.event, storedPath(e.event));
}

void Sounds::enable(bool on) {
    on_ = on;
    writeSetting(settings_, Setting::SoundsOn, on ? "True" : "False");
    changed();
}

std::string Sounds::defaultPath(SoundEvent e) const {
    // The program folder's own copy, else the one the program ships.
    const std::filesystem::path own = folder_ / soundEventOf(e).defaultFile;
    std::error_code ec;
    if (std::filesystem::exists(own, ec)) return own.string();
    const std::filesystem::path shipped = shippedFile(soundEventOf(e).defaultFile);
    return (std::filesystem::exists(shipped, ec) ? shipped : own).string();
}

std::string Sounds::storedPath(SoundEvent e) const {
    return settings_.read(soundEventOf(e).key).value_or(defaultPath(e));
}

void Sounds::savePaths() {
    for (SoundEvent e : kSaveOrder) writeSetting(settings_, soundEventOf(e).key, path(e));
    changed();
}

void Sounds::play(SoundEvent e) {
    if (on_) playAlways(e);
}

void Sounds::playAlways(SoundEvent e) { playFile(path(e)); }

void Sounds::playFile(const std::string& path) { playSound(player_, path); }

bool Sounds::flag(const SettingKey& key) const { return readSetting(settings_, key) == "1"; }

bool Sounds::timerTsound() const { return flag(Setting::TimerStartSoundOn); }
bool Sounds::timerMsound() const { return flag(Setting::MacroCommandSoundOn); }
void Sounds::setTimerTsound(bool on) {
    writeSetting(settings_, Setting::TimerStartSoundOn, on ? "1" : "0");
    changed();
}

void Sounds::setTimerMsound(bool on) {
    writeSetting(settings_, Setting::MacroCommandSoundOn, on ? "1" : "0");
    changed();
}

void Sounds::playTimerStart() {
    if (timerTsound()) play(SoundEvent::TimerStart);
}

void Sounds::playMacroCommand() {
    if (timerMsound()) play(SoundEvent::MacroCommand);
}

} // namespace zul
