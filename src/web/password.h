#pragma once
// The web remote's password, kept only as a salted, slow hash:
//   "pbkdf2-sha256:<iterations>:<salt, hex>:<hash, hex>"
// The hashing itself and the random salt come through KeyDerivation, so the
// logic stays free of a crypto library.
#include <optional>
#include <string>

namespace zul::web {

class KeyDerivation {
public:
    virtual ~KeyDerivation() = default;
    // PBKDF2 with HMAC-SHA256: length bytes.
    virtual std::string pbkdf2Sha256(const std::string& password, const std::string& salt, int iterations,
                                     std::size_t length) const = 0;
    // n bytes from the system's source of randomness.
    virtual std::string randomBytes(std::size_t n) const = 0;
};

inline constexpr int PasswordIterations = 100000;
inline constexpr std::size_t MinPasswordLength = 8;
inline constexpr std::size_t MaxPasswordLength = 1024;

// Why a new password cannot be used ("" when it can).
std::string passwordProblem(const std::string& password);
// The stored form of a new password, with a fresh salt.
std::string hashPassword(const KeyDerivation& kd, const std::string& password, int iterations = PasswordIterations);
// True when the password is the one whose stored form this is (false for a
// stored form that cannot be read). The hashes are compared in constant time.
bool passwordMatches(const KeyDerivation& kd, const std::string& stored, const std::string& password);
// True when the text has the stored form's shape.
bool isPasswordHash(const std::string& stored);

} // namespace zul::web
