#include "app/app.h"

#include "app/groups_panel.h"
#include "app/main_clock.h"
#include "windows/main_window.h"
#include "app/startup.h"
#include "app/unit_descriptions.h"
#include "platform/atomic_file.h"
#include "settings/paths.h"
#include "settings/settings_store.h"
#include "timers/timer_service.h"
#include "windows/timer_window.h"

namespace zul::app {

namespace {
constexpr std::size_t SimulatorHistory = 6;

std::unique_ptr<SettingsBackend> settingsOrDefault(std::unique_ptr<SettingsBackend> given) {
    if (given) return given;
    return std::make_unique<IniSettingsStore>(configFolder() / "settings.ini");
}
} // namespace

std::string TranslatedDialogs::translate(const std::string& text) const {
    std::string out;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        out += line.empty() ? line : language_.langCaption(line);
        if (end == std::string::npos) break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

void TranslatedDialogs::info(const InfoBox& box) {
    InfoBox shown = box;
    shown.message = translate(box.message);
    shown.title = translate(box.title);
    shown.button = translate(box.button);
    inner_.info(shown);
}

void TranslatedDialogs::message(const std::string& text, const std::string& title) {
    inner_.message(translate(text), translate(title));
}

Answer TranslatedDialogs::question(const std::string& text, const std::string& title, bool withCancel) {
    return inner_.question(translate(text), translate(title), withCancel);
}

Answer TranslatedDialogs::questionDefaultNo(const std::string& text, const std::string& title) {
    return inner_.questionDefaultNo(translate(text), translate(title));
}

std::optional<std::string> TranslatedDialogs::input(const std::string& prompt, const std::string& title,
                                                    const std::string& initial) {
    return inner_.input(translate(prompt), translate(title), initial);
}

std::optional<std::string> TranslatedDialogs::openFile(const std::string& title, const std::string& folder,
                                                       const std::vector<FileFilter>& filters) {
    return inner_.openFile(translate(title), folder, filters);
}

std::optional<std::string> TranslatedDialogs::saveFile(const std::string& title, const std::string& initialPath,
                                                       const std::vector<FileFilter>& filters) {
    return inner_.saveFile(translate(title), initialPath, filters);
}

App::App(Platform platform, std::unique_ptr<SettingsBackend> settingsBackend)
    : clock(platform.clock), loop(platform.loop), rawDialogs(platform.dialogs), soundPlayer(platform.sound),
      desktop(platform.desktop), settingsOwned_(settingsOrDefault(std::move(settingsBackend))),
      settings(*settingsOwned_), folder(programFolder(settings)), language(Language::activeFileIn(folder)),
      dialogs(rawDialogs, language), port([this](const std::string& name) { return makePort(name); }),
      transmitter(port, loop, clock, StopAll, x10::readBitStateMicros(settings)), portStore(records),
      portLink(port, portStore, dialogs, loop, transmitter, [this] { windows().showPortDialog(); }),
      errorLog(folder, clock), sounds(settings, soundPlayer, folder), factory_(std::move(platform.makePort)) {
    if (platform.threadPriority) {
        framePriority_ = std::make_unique<FramePriority>(
            *platform.threadPriority, [this](std::error_code refusal) { x10::noteFrameRefusal(errorLog, refusal); });
        transmitter.setFramePriority(framePriority_.get());
    }
    sounds.changed.connect([this] { optionsChanged(); });
    optionsChanged.connect([this] { windows().refreshWindows(); });
    descriptions = std::make_unique<UnitDescriptions>(records, [this](const std::string& t) { return tr(t); });
    descriptions->watch(loop);
    mainClock = std::make_unique<MainClock>(*this);
    mainWindow = std::make_unique<windows::MainWindowForm>(*this);
    groups = std::make_unique<GroupsPanel>(*this);
    startup = std::make_unique<Startup>(*this);
}

App::~App() {
    // The port goes down with the program; the ticks go before what they use.
    timerWindow.reset();
    timers.reset();
    startup.reset();
    groups.reset();
    mainWindow.reset();
    mainClock.reset();
    descriptions.reset();
}

std::string App::tip(const std::string& text) const {
    const std::string t = language.langTip(text);
    const auto first = t.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return t.substr(first, t.find_last_not_of(' ') - first + 1);
}

void App::logError(const std::string& procedure, const std::string& window, const std::string& description,
                   long number) {
    errorLog.logError(procedure, window, number, description);
}

std::vector<std::filesystem::path> App::removeLeftoverSaves() const {
    // The kinds of file the program saves in these folders.
    static const std::vector<std::string> saved{".zul", ".log", ".ini", ".cro", ".grp", ".zld"};
    constexpr int MinAgeSeconds = 60; // a save still under way is never touched
    std::vector<std::filesystem::path> removed = removeStaleTemporaries(folder, saved, MinAgeSeconds);
    if (configFolder() != folder)
        for (auto& f : removeStaleTemporaries(configFolder(), saved, MinAgeSeconds)) removed.push_back(std::move(f));
    return removed;
}

std::unique_ptr<LinePort> App::makePort(const std::string& name) {
    auto made = factory_ ? factory_(name) : nullptr;
    if (auto* decoding = dynamic_cast<DecodingPort*>(made.get())) {
        decoding->setCommandListener([this](const std::string& text) {
            simCommands_.push_back(text);
            while (simCommands_.size() > SimulatorHistory) simCommands_.pop_front();
            simulatorCommand();
        });
    }
    return made;
}

bool App::simulatorInUse() { return port.isOpen() && dynamic_cast<DecodingPort*>(port.current()) != nullptr; }

} // namespace zul::app
