#include "timers/macro_player.h"

#include <algorithm>

#include "x10/x10_codes.h"

namespace zul {

int RowWait::waitMillis(int pauseMillis, bool lastRow) const {
    if (lastRow && lastRowMs >= 0) return lastRowMs;
    return waitMillis(pauseMillis);
}

int RowWait::waitMillis(int pauseMillis) const {
    int wait = fixedMs >= 0 ? fixedMs : pauseMillis - subtractMs;
    if (stepMs > 1) {
        const int half = stepMs / 2;
        wait = wait >= 0 ? (wait + half) / stepMs * stepMs : -((-wait + half) / stepMs * stepMs);
    }
    return std::max(wait, minimumMs);
}

MacroPlayer::MacroPlayer(x10::Transmitter& transmitter, EventLoop& loop, const bool& stopAll)
    : tx_(transmitter), loop_(loop), stopAll_(stopAll) {}

void MacroPlayer::sendLeadIn() { tx_.sendBits(x10::MacroLeadIn); }

void MacroPlayer::waitFor(int ms, const PlayHooks& hooks) {
    if (!hooks.stopRequested) {
        tx_.pause(ms / 1000.0);
        return;
    }
    // A window's Stop ends a long pause too: the wait goes in short steps.
    for (int left = ms; left > 0 && !stopped() && !hooks.stopRequested(); left -= StopCheckMs)
        tx_.pause(std::min(left, StopCheckMs) / 1000.0);
}

bool MacroPlayer::playRows(const std::vector<macros::PlayRow>& rows, const RowWait& wait, const PlayHooks& hooks) {
    auto lamp = [&](bool lit) {
        if (hooks.lamp) hooks.lamp(lit);
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const macros::PlayRow& row = rows[i];
        if (stopped()) return false;
        loop_.processEvents();
        tx_.pause(FrameMarginSeconds);
        if (hooks.beforeFrame) hooks.beforeFrame();
        lamp(true);
        tx_.sendBits(x10::makeFrame(row.code.substr(0, 8), row.code.substr(8, 8)));
        tx_.pause(FrameMarginSeconds);
        lamp(false);
        waitFor(wait.waitMillis(row.pauseMillis, i + 1 == rows.size()), hooks);
        if (stopped()) return false;
        if (hooks.stopRequested && hooks.stopRequested()) break;
    }
    return true;
}

} // namespace zul
