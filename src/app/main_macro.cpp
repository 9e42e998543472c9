#include "app/main_macro.h"

#include "app/app.h"
#include "app/main_clock.h"
#include "macros/macro_file.h"
#include "timers/macro_player.h"

namespace zul::app {

void CroSend(App& app, const std::filesystem::path& file) {
    MacroPlayer player(app.transmitter, app.loop, app.StopAll);
    player.sendLeadIn();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return;
    const macros::PlayMacro macro = macros::readMacroForPlay(file);
    if (!macro.opened) {
        app.logError("CroSend", "frmFire", "cannot read " + file.string());
        return;
    }
    PlayHooks hooks;
    hooks.beforeFrame = [&app] { app.sounds.playMacroCommand(); };
    hooks.lamp = [&app](bool lit) { app.mainClock->setLamp(lit); };
    if (player.playRows(macro.rows, MainWindowWait, hooks)) app.transmitter.SendBits(x10::MacroTrailer);
}

} // namespace zul::app
