// Any bytes as a broker address and as a base topic: an address that is taken
// has a host and a port in range and reads back the same from its URL; a
// topic root that is taken has no wildcard, no control character, no "$"
// at its start and is UTF-8.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mqtt/mqtt_settings.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul::mqtt;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (const auto broker = parseBroker(text, error)) {
        if (broker->host.empty() || broker->port < 1 || broker->port > 65535) std::abort();
        std::string again;
        if (parseBroker(brokerUrl(*broker), again) != broker) std::abort();
    } else if (error.empty()) {
        std::abort();
    }
    if (topicRootProblem(text).empty()) {
        if (text.empty() || text.front() == '$' || text.find_first_of("+#") != std::string::npos) std::abort();
        if (!zul::validUtf8(text) || zul::printable(text) != text) std::abort();
    }
    MqttSettings values;
    values.enabled = true;
    values.broker = text;
    values.baseTopic = text;
    checkMqttSettings(values);
    return 0;
}
