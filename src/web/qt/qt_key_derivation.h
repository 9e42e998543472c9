#pragma once
// The password hashing of the web remote on Qt: PBKDF2-HMAC-SHA256 from
// QPasswordDigestor, salts from the system's random source.
#include "web/password.h"

namespace zul::web::qt {

class QtKeyDerivation : public KeyDerivation {
public:
    std::string pbkdf2Sha256(const std::string& password, const std::string& salt, int iterations,
                             std::size_t length) const override;
    std::string randomBytes(std::size_t n) const override;
};

} // namespace zul::web::qt
