// Any bytes as error.log: reading must not crash, and every message read
// enciphers and deciphers back to itself (less its double quotes), so an entry
// written from it would read back the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/cipher.h"
#include "settings/error_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul;
    for (const ErrorLogEntry& e : parseErrorLog(std::string_view(reinterpret_cast<const char*>(data), size))) {
        std::string message = e.message;
        std::erase(message, '"');
        if (cipherText(true, cipherText(false, e.message)) != message) std::abort();
    }
    return 0;
}
