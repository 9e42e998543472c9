#include "windows/sounds_tab.h"

#include "platform/dialogs.h"

namespace zul::windows {

SoundsTabForm::SoundsTabForm(Sounds& sounds, Dialogs& dialogs, Lookup lang)
    : sounds_(sounds), dialogs_(dialogs), lang_(std::move(lang)) {}

void SoundsTabForm::open() {
    for (const auto& e : soundEvents()) files_[static_cast<std::size_t>(e.event)] = sounds_.path(e.event);
    selected_ = -1;
    changed_ = false;
    opened_ = false;
    reloadTimerBoxes();
}

bool SoundsTabForm::soundsOn() const { return sounds_.on(); }

void SoundsTabForm::setSoundsOn(bool on) {
    sounds_.enable(on);
    if (on && opened_) sounds_.play(SoundEvent::Click);
}

void SoundsTabForm::setTimerStartBox(bool on) {
    timerStart_ = on;
    sounds_.setTimerTsound(on);
    if (timerBoxes_) timerBoxes_(timerStart_, macroCommand_);
}

void SoundsTabForm::setMacroCommandBox(bool on) {
    macroCommand_ = on;
    sounds_.setTimerMsound(on);
    if (timerBoxes_) timerBoxes_(timerStart_, macroCommand_);
}

void SoundsTabForm::reloadTimerBoxes() {
    timerStart_ = sounds_.timerTsound();
    macroCommand_ = sounds_.timerMsound();
}

std::vector<std::string> SoundsTabForm::eventList() const {
    std::vector<std::string> list;
    for (const auto& e : soundEvents()) list.push_back(tr(e.caption));
    return list;
}

void SoundsTabForm::select(int index) { selected_ = index >= 0 && index < 5 ? index : -1; }

std::string SoundsTabForm::shownFile() const {
    return selected_ < 0 ? std::string() : files_[static_cast<std::size_t>(selected_)];
}

void SoundsTabForm::play() { sounds_.playFile(shownFile()); }

void SoundsTabForm::browse() {
    if (selected_ < 0) return;
    sounds_.play(SoundEvent::Click);
    const std::string caption = eventList()[static_cast<std::size_t>(selected_)];
    std::filesystem::path folder = std::filesystem::path(shownFile()).parent_path();
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec)) folder = sounds_.programFolder();
    const auto chosen = dialogs_.openFile("Sound Event - " + caption, folder.string(),
                                          {{"All Files (*.*)", {"*.*"}}, {"Sound Files (*.wav)", {"*.wav"}}});
    if (!chosen || chosen->empty()) return;
    files_[static_cast<std::size_t>(selected_)] = *chosen;
    changed_ = true;
}

void SoundsTabForm::noSound() {
    if (selected_ < 0) return;
    files_[static_cast<std::size_t>(selected_)] = "none";
    changed_ = true;
}

void SoundsTabForm::restoreDefaults() {
    const Answer a = dialogs_.questionDefaultNo(
        tr("Are you sure you want to restore all sounds to the default settings?"), tr("Restore Default?"));
    if (a != Answer::Yes) return;
    sounds_.play(SoundEvent::Click);
    for (const auto& e : soundEvents()) files_[static_cast<std::size_t>(e.event)] = sounds_.defaultPath(e.event);
    save();
}

void SoundsTabForm::save() {
    for (const auto& e : soundEvents()) sounds_.setPath(e.event, files_[static_cast<std::size_t>(e.event)]);
    sounds_.savePaths();
    changed_ = false;
}

void SoundsTabForm::askSaveOnClose() {
    if (!changed_) return;
    if (dialogs_.question(tr("Save changes before closing?"), tr("Sounds have Changed"), false) == Answer::Yes) save();
}

} // namespace zul::windows
