#include "app/main_macro.h"

#include "app/app.h"
#include "app/main_clock.h"
#include "macros/macro_file.h"

namespace zul::app {

namespace {
void playOne(App& app, const std::filesystem::path& file, const NowPlaying& how) {
    MacroPlayer player(app.transmitter, app.loop, app.StopAll);
    player.sendLeadIn();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return;
    const macros::PlayMacro macro = macros::readMacroForPlay(file);
    if (!macro.opened) {
        app.logError(how.procedure, how.window, "cannot read " + file.string() + ": " + macro.problem);
        return;
    }
    PlayHooks hooks;
    hooks.beforeFrame = [&app] { app.sounds.playMacroCommand(); };
    hooks.lamp = [&app](bool lit) { app.mainClock->setLamp(lit); };
    hooks.stopRequested = how.stopRequested;
    if (player.playRows(macro.rows, how.wait, hooks)) app.transmitter.endOfRun();
}

void playTurn(App& app, const std::filesystem::path& file, const NowPlaying& how) {
    app.macroTurns.playing = file.filename().string();
    playOne(app, file, how);
    app.macroTurns.playing.clear();
    if (how.finished) how.finished();
}
} // namespace

std::string MacroTurns::statusText(const std::function<std::string(const std::string&)>& tr) const {
    if (waiting.empty() || playing.empty()) return "";
    std::string text =
        waiting.front().first.filename().string() + " " + tr("waits for") + " " + playing + " " + tr("to end");
    if (waiting.size() > 1) text += " (+" + std::to_string(waiting.size() - 1) + ")";
    return text;
}

void playMacroNow(App& app, const std::filesystem::path& file, NowPlaying how) {
    MacroTurns& turns = app.macroTurns;
    if (!turns.playing.empty()) {
        turns.waiting.emplace_back(file, std::move(how));
        return;
    }
    playTurn(app, file, how);
    while (!turns.waiting.empty()) {
        auto [next, nextHow] = std::move(turns.waiting.front());
        turns.waiting.pop_front();
        // The program closing plays nothing more; whoever waits is told.
        if (app.StopAll) {
            if (nextHow.finished) nextHow.finished();
            continue;
        }
        playTurn(app, next, nextHow);
    }
}

void croSend(App& app, const std::filesystem::path& file, std::function<void()> finished,
             std::function<bool()> stopRequested) {
    NowPlaying how;
    how.finished = std::move(finished);
    how.stopRequested = std::move(stopRequested);
    playMacroNow(app, file, std::move(how));
}

} // namespace zul::app
