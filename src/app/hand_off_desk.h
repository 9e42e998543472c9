#pragma once
// What other starts of the program hand to the running copy: the command
// line's send and run, a macro file, "previous". Requests for the
// transmitter are carried out one at a time, from a tick of the program's
// own loop, so their frames go out between the program's other frames and
// never inside one; each caller is answered once its frames are out (or
// with the reason they could not go out).
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/instance_message.h"
#include "platform/event_loop.h"

namespace zul::app {

class App;

class HandOffDesk {
public:
    static constexpr int TickMs = 10;
    using Reply = std::function<void(const HandOffAnswer&)>;

    struct Hooks {
        // True once the program can carry out requests (it has started and
        // its port has had its first chance to open); until then they wait.
        std::function<bool()> ready;
        // A text for the desktop program's command box that needs nothing of
        // the transmitter ("previous"); the error to answer, or nothing.
        std::function<std::optional<std::string>(const std::string& text)> commandBox;
        // Plays a macro file with the program's own player; done is called
        // once its frames are out.
        std::function<void(const std::string& path, std::function<void()> done)> playMacro;
    };

    HandOffDesk(App& app, Hooks hooks);
    ~HandOffDesk();
    HandOffDesk(const HandOffDesk&) = delete;
    HandOffDesk& operator=(const HandOffDesk&) = delete;

    // A checked message text; reply is called exactly once.
    void receive(const std::string& text, Reply reply);
    // Requests not yet carried out (the one in progress included).
    std::size_t waiting() const { return queue_.size() + (busy_ ? 1 : 0); }

private:
    struct Request {
        HandOffRequest request;
        Reply reply;
    };
    void tick();
    void carryOut(Request r);
    std::optional<std::string> transmitterProblem() const;

    App& app_;
    Hooks hooks_;
    std::deque<Request> queue_;
    bool busy_ = false;
    std::unique_ptr<Tick> tick_;
    std::shared_ptr<bool> alive_;
};

} // namespace zul::app
