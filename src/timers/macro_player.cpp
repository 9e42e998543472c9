#include "timers/macro_player.h"

#include <algorithm>

#include "x10/x10_codes.h"

namespace zul {

int RowWait::waitMillis(int pauseMillis) const {
    int wait = pauseMillis - subtractMs;
    if (stepMs > 1) {
        const int half = stepMs / 2;
        wait = wait >= 0 ? (wait + half) / stepMs * stepMs : -((-wait + half) / stepMs * stepMs);
    }
    return std::max(wait, minimumMs);
}

MacroPlayer::MacroPlayer(x10::Transmitter& transmitter, EventLoop& loop, const bool& stopAll)
    : tx_(transmitter), loop_(loop), stopAll_(stopAll) {}

void MacroPlayer::sendLeadIn() { tx_.SendBits(x10::MacroLeadIn); }

bool MacroPlayer::playRows(const std::vector<macros::PlayRow>& rows, const RowWait& wait, const PlayHooks& hooks) {
    auto lamp = [&](bool lit) {
        if (hooks.lamp) hooks.lamp(lit);
    };
    for (const auto& row : rows) {
        if (stopped()) return false;
        loop_.processEvents();
        tx_.Pause(FrameMarginSeconds);
        if (hooks.beforeFrame) hooks.beforeFrame();
        lamp(true);
        tx_.SendBits(x10::MakeFrame(row.code.substr(0, 8), row.code.substr(8, 8)));
        tx_.Pause(FrameMarginSeconds);
        lamp(false);
        tx_.Pause(wait.waitMillis(row.pauseMillis) / 1000.0);
        if (stopped()) return false;
    }
    return true;
}

} // namespace zul
