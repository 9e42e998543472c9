#include "timers/timer_service.h"

#include "platform/event_loop.h"
#include "timers/timer_file.h"

namespace zul {

TimerService::TimerService(Clock& clock, EventLoop& loop, SettingsBackend& settings, Dialogs& dialogs,
                           std::filesystem::path programFolder, LangLookup lang)
    : clock_(clock), loop_(loop), settings_(settings), dialogs_(dialogs), lang_(lang), table_(programFolder),
      log_(clock, loop, settings, programFolder, lang), clockTick_(clock, loop, settings, table_, shared_),
      sunTick_(clock, loop, settings, table_, lang),
      scheduler_(clock, loop, settings, table_, shared_, clockTick_, log_, lang),
      loopTimer_(loop, settings, table_, shared_, log_, clockTick_, dialogs, lang) {}

TimerService::~TimerService() = default;

void TimerService::setEngine(Engine engine) {
    engine_ = std::move(engine);
    scheduler_.startTimer = engine_.startTimer;
}

TimerEngine& TimerService::createEngine(EngineServices s, TimerEngineHooks hooks) {
    setEngine({}); // the old engine's hooks go before the engine itself
    ownedEngine_.reset();
    ownedEngine_ =
        std::make_unique<TimerEngine>(TimerEngineParts{loop_, clock_, s.transmitter, shared_, table_, log_, settings_,
                                                       s.sounds, s.errors, s.desktop, dialogs_, s.stopAll, lang_},
                                      hooks);
    if (hooks.lamp) loopTimer_.lamp = hooks.lamp;
    TimerEngine* e = ownedEngine_.get();
    setEngine({[e] { e->startTimer(); }, [e] { return e->anyRunnerActive(); }});
    return *e;
}

std::error_code TimerService::load() {
    const std::error_code result = loadTimerTable(table_, settings_);
    log_.resizeStatus(table_.count());
    clockTick_.pass();
    sunTick_.pass();
    clockTick_.tick().setEnabled(true);
    sunTick_.tick().setEnabled(true);
    loopTimer_.restore();
    return result;
}

} // namespace zul
