#include "app/main_macro.h"

#include "app/app.h"
#include "app/main_clock.h"
#include "macros/macro_file.h"

namespace zul::app {

bool playMacroNow(App& app, const std::filesystem::path& file, const NowPlaying& how) {
    MacroPlayer player(app.transmitter, app.loop, app.StopAll);
    player.sendLeadIn();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return false;
    const macros::PlayMacro macro = macros::readMacroForPlay(file);
    if (!macro.opened) {
        app.logError(how.procedure, how.window, "cannot read " + file.string() + ": " + macro.problem);
        return false;
    }
    PlayHooks hooks;
    hooks.beforeFrame = [&app] { app.sounds.playMacroCommand(); };
    hooks.lamp = [&app](bool lit) { app.mainClock->setLamp(lit); };
    hooks.stopRequested = how.stopRequested;
    if (player.playRows(macro.rows, how.wait, hooks)) app.transmitter.endOfRun();
    return true;
}

void CroSend(App& app, const std::filesystem::path& file) { playMacroNow(app, file, NowPlaying{}); }

} // namespace zul::app
