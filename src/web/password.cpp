#include "web/password.h"

#include <optional>

#include "platform/text.h"

namespace zul::web {

namespace {
constexpr const char* Scheme = "pbkdf2-sha256";
constexpr std::size_t SaltBytes = 16, HashBytes = 32;
constexpr int MaxIterations = 10000000;

std::string toHex(const std::string& bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
    return out;
}

std::optional<std::string> fromHex(const std::string& text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int value = 0;
        for (const char c : text.substr(i, 2)) {
            const auto digit = std::string_view("0123456789abcdef").find(c);
            if (digit == std::string_view::npos) return std::nullopt;
            value = value * 16 + static_cast<int>(digit);
        }
        out += static_cast<char>(value);
    }
    return out;
}

struct Stored {
    int iterations = 0;
    std::string salt, hash;
};

std::optional<Stored> readStored(const std::string& text) {
    const auto parts = splitAt(text, ":");
    if (parts.size() != 4 || parts[0] != Scheme) return std::nullopt;
    const auto iterations = wholeNumberIn(parts[1]);
    const auto salt = fromHex(parts[2]), hash = fromHex(parts[3]);
    if (!iterations || *iterations < 1 || *iterations > MaxIterations || !salt || salt->empty() || !hash ||
        hash->size() != HashBytes)
        return std::nullopt;
    return Stored{static_cast<int>(*iterations), *salt, *hash};
}
} // namespace

std::string passwordProblem(const std::string& password) {
    if (password.size() < MinPasswordLength)
        return "The password must have at least " + std::to_string(MinPasswordLength) + " characters.";
    if (password.size() > MaxPasswordLength)
        return "The password must have at most " + std::to_string(MaxPasswordLength) + " characters.";
    if (!validUtf8(password)) return "The password is not UTF-8 text.";
    return "";
}

std::string hashPassword(const KeyDerivation& kd, const std::string& password, int iterations) {
    const std::string salt = kd.randomBytes(SaltBytes);
    return std::string(Scheme) + ":" + std::to_string(iterations) + ":" + toHex(salt) + ":" +
           toHex(kd.pbkdf2Sha256(password, salt, iterations, HashBytes));
}

bool passwordMatches(const KeyDerivation& kd, const std::string& stored, const std::string& password) {
    const auto s = readStored(stored);
    if (!s || password.size() > MaxPasswordLength) return false;
    const std::string got = kd.pbkdf2Sha256(password, s->salt, s->iterations, HashBytes);
    if (got.size() != s->hash.size()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < got.size(); ++i)
        difference |= static_cast<unsigned char>(got[i] ^ s->hash[i]);
    return difference == 0;
}

bool isPasswordHash(const std::string& stored) { return readStored(stored).has_value(); }

} // namespace zul::web
