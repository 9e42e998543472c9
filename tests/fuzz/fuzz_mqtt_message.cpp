// Any bytes as a message that arrives at the bridge: the first byte's low bit
// says retained, the topic runs to the first line break, the payload is the
// rest. Every message is a request whose values are in range, or a refusal
// whose line, as the logs show it, is one line of UTF-8 without controls.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mqtt/topics.h"
#include "platform/text.h"

namespace {
bool oneSafeLine(const std::string& text) {
    if (!zul::validUtf8(text)) return false;
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul::mqtt;
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto cut = bytes.find('\n');
    const std::string topic = bytes.substr(0, cut);
    const std::string payload = cut == std::string::npos ? "" : bytes.substr(cut + 1);
    const TopicScheme topics("zulmarin", "homeassistant", "zulmarin_0badcafe");
    const auto parsed = parseMessage(topics, topic, payload, payload.size(), (data[0] & 1) != 0);
    if (const auto* no = std::get_if<Refusal>(&parsed)) {
        if (no->kind.empty() || !oneSafeLine(zul::printable(no->message))) std::abort();
        return 0;
    }
    const Request& r = std::get<Request>(parsed);
    switch (r.target) {
    case Target::Unit:
        if (r.unit.house < 1 || r.unit.house > 16 || r.unit.unit < 1 || r.unit.unit > 16) std::abort();
        if (r.word == "LEVEL" ? r.percent < 1 || r.percent > 100
                              : r.word != "ON" && r.word != "OFF" && r.word != "BRI" && r.word != "DIM")
            std::abort();
        break;
    case Target::Group:
        if (r.group < 1 || r.group > 8 || (r.word != "ON" && r.word != "OFF")) std::abort();
        break;
    case Target::Macro:
        // A name that stays in the program folder and names one file.
        if (!macroNameProblem(r.macroFile).empty() || r.macroFile.size() < 4) std::abort();
        break;
    case Target::Discovery:
        if (topics.discovery(r.component, r.objectId) != topic) std::abort();
        break;
    default: break;
    }
    if (data[0] & 1 && r.target != Target::Discovery) std::abort(); // a retained command is never taken
    return 0;
}
