#include "handoff/hand_off_desk.h"

#include <algorithm>

#include "app/app.h"
#include "platform/text.h"
#include "x10/x10_codes.h"

namespace zul::app {

namespace {
constexpr const char* ClosingMessage = "the running copy of zulmarin is closing";

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    for (const std::string& w : splitAt(text, " "))
        if (!w.empty()) out.push_back(w);
    return out;
}

bool isSend(const HandOffRequest& r) { return r.kind == HandOffRequest::Kind::Send; }
} // namespace

HandOffDesk::HandOffDesk(App& app, Hooks hooks)
    : app_(app), hooks_(std::move(hooks)), alive_(std::make_shared<bool>(true)) {
    tick_ = app.loop.createTick("handOff", TickMs, [this] { tick(); });
}

HandOffDesk::~HandOffDesk() {
    *alive_ = false;
    tick_.reset();
    for (Request& r : queue_) r.reply(answerError(ClosingMessage));
}

void HandOffDesk::receive(const std::string& text, Reply reply) {
    HandOffRequest request = classifyHandOff(text);
    if (request.kind == HandOffRequest::Kind::CommandBox && !endsWithNoCase(trimBlanks(without(text, '"')), ".cro")) {
        const auto error = hooks_.commandBox ? hooks_.commandBox(text) : std::nullopt;
        reply(error ? answerError(*error) : HandOffAnswer{});
        return;
    }
    if (request.kind == HandOffRequest::Kind::CommandBox) request = {HandOffRequest::Kind::Run, without(text, '"')};
    queue_.push_back({std::move(request), std::move(reply), {}});
    tick_->setEnabled(true);
}

void HandOffDesk::answerAll(const std::string& error) {
    while (!queue_.empty()) {
        const Request r = std::move(queue_.front());
        queue_.pop_front();
        r.reply(answerError(error));
    }
}

void HandOffDesk::tellWaiting(const std::string& what, bool sendsToo) {
    for (Request& r : queue_) {
        if (r.told == what || (isSend(r.request) && !sendsToo)) continue;
        r.told = what;
        r.reply(answerWaiting(what));
    }
}

void HandOffDesk::tick() {
    if (app_.StopAll) answerAll(ClosingMessage);
    // A caller that has gone has given up its request.
    std::erase_if(queue_, [](const Request& r) { return r.reply.callerGone(); });
    if (queue_.empty()) {
        tick_->setEnabled(false);
        return;
    }
    if (hooks_.ready && !hooks_.ready()) return tellWaiting("waiting for the running copy of zulmarin to start", true);
    // One request per tick: a single command goes first, between the playing macro's frames.
    const auto next = std::find_if(queue_.begin(), queue_.end(), [](const Request& r) { return isSend(r.request); });
    if (next != queue_.end()) {
        Request r = std::move(*next);
        queue_.erase(next);
        return send(std::move(r));
    }
    if (playing_)
        return tellWaiting("waiting for the macro " + playing_->path + ", handed over earlier, to end", false);
    Request r = std::move(queue_.front());
    queue_.pop_front();
    play(std::move(r));
}

std::optional<std::string> HandOffDesk::transmitterProblem() const {
    if (!app_.port.isOpen()) return "the transmitter's port is not open in the running copy of zulmarin";
    return std::nullopt;
}

void HandOffDesk::send(Request r) {
    const std::vector<std::string> w = words(r.request.argument);
    std::string error = "send needs HOUSE UNIT ACTION";
    const auto command = w.size() == 3 ? x10::parseCommand(w[0], w[1], w[2], error) : std::nullopt;
    if (!command) return r.reply(answerError(error));
    if (const auto problem = transmitterProblem()) return r.reply(answerError(*problem));
    app_.transmitter.sendBits(app_.codes.frameFor(*command));
    r.reply(app_.StopAll ? answerError(ClosingMessage) : HandOffAnswer{});
}

void HandOffDesk::play(Request r) {
    const std::string path = trimBlanks(r.request.argument);
    std::error_code ec;
    if (!std::filesystem::path(path).is_absolute() || !std::filesystem::is_regular_file(path, ec))
        return r.reply(answerError("no such macro file: " + path));
    if (const auto problem = transmitterProblem()) return r.reply(answerError(*problem));
    if (!hooks_.playMacro) return r.reply(answerError("this copy of zulmarin does not play macros"));
    playing_ = Playing{path, std::move(r.reply)};
    hooks_.playMacro(path, [this, alive = alive_] {
        if (!*alive || !playing_) return;
        const Reply reply = std::move(playing_->reply);
        playing_.reset();
        reply(app_.StopAll ? answerError(ClosingMessage + std::string(" (the macro was cut short)")) : HandOffAnswer{});
    });
}

} // namespace zul::app
