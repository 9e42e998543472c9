// Any bytes as a message on the single-instance channel: what is accepted is
// one printable UTF-8 line of bounded length, exactly what encoding it gives;
// the same for the running copy's answer and its waiting notice, and every
// accepted text has a kind.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "handoff/instance_message.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul;
    using namespace zul::app;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (const auto text = decodeHandOff(bytes)) {
        if (text->empty() || text->size() > MaxHandOffBytes || !validUtf8(*text)) std::abort();
        for (unsigned char c : *text)
            if (c < 0x20 || c == 0x7F) std::abort();
        if (encodeHandOff(*text) != bytes) std::abort();
        const HandOffRequest request = classifyHandOff(*text);
        if (request.argument.size() > text->size()) std::abort();
    }
    if (const auto answer = decodeAnswer(bytes)) {
        if (!validUtf8(answer->message) || answer->message.size() > MaxHandOffBytes) std::abort();
        if ((!answer->ok || answer->waiting) && answer->message.empty()) std::abort();
        if (answer->waiting && !answer->ok) std::abort();
        // An answer or a notice that was accepted is sent again exactly as it came.
        if (encodeAnswer(*answer) != bytes) std::abort();
    }
    // Any text that survives the trip comes back unchanged.
    if (const auto back = decodeHandOff(encodeHandOff(bytes)); back && *back != bytes) std::abort();
    return 0;
}
