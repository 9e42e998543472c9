#pragma once
// What other starts of the program hand to the running copy: the command
// line's send and run, a macro file, "previous". Requests for the
// transmitter are carried out from a tick of the program's own loop, so
// their frames go out between the program's other frames and never inside
// one; each caller is answered once its frames are out (or with the reason
// they could not go out).
//
// Macros play one at a time. A single command never waits for one: it goes
// out between the playing macro's frames. A macro that has to wait is told
// what it waits for; a caller that ends its connection gives up its request
// (a player that asks playingCallerGone() stops the macro after the frame
// under way).
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "handoff/instance_message.h"
#include "platform/event_loop.h"

namespace zul::app {

class App;

class HandOffDesk {
public:
    static constexpr int TickMs = 10;
    using Reply = HandOffReply;

    struct Hooks {
        // True once the program can carry out requests (it has started and
        // its port has had its first chance to open); until then they wait.
        std::function<bool()> ready;
        // A text for the desktop program's command box that needs nothing of
        // the transmitter ("previous"); the error to answer, or nothing.
        std::function<std::optional<std::string>(const std::string& text)> commandBox;
        // Plays a macro file with the program's own player, never from inside
        // the desk's tick; done is called once its frames are out.
        std::function<void(const std::string& path, std::function<void()> done)> playMacro;
    };

    HandOffDesk(App& app, Hooks hooks);
    ~HandOffDesk();
    HandOffDesk(const HandOffDesk&) = delete;
    HandOffDesk& operator=(const HandOffDesk&) = delete;

    // A checked message text; reply gets a waiting notice each time what it
    // waits for changes, then exactly one answer (none once its caller has gone).
    void receive(const std::string& text, Reply reply);
    // Requests not yet carried out (the macro playing included).
    std::size_t waiting() const { return queue_.size() + (playing_ ? 1 : 0); }
    // True when the caller of the macro playing now has ended its connection.
    bool playingCallerGone() const { return playing_ && playing_->reply.callerGone(); }

private:
    struct Request {
        HandOffRequest request;
        Reply reply;
        std::string told; // the last waiting notice it got
    };
    void tick();
    void answerAll(const std::string& error);
    // Tells the waiting requests (macros only, or all) what they wait for, once each.
    void tellWaiting(const std::string& what, bool sendsToo);
    void send(Request r);
    void play(Request r);
    std::optional<std::string> transmitterProblem() const;

    App& app_;
    Hooks hooks_;
    std::deque<Request> queue_;
    struct Playing {
        std::string path;
        Reply reply;
    };
    std::optional<Playing> playing_; // the macro handed over that plays now
    std::unique_ptr<Tick> tick_;
    std::shared_ptr<bool> alive_;
};

} // namespace zul::app
