#pragma once
// The text cipher: a keyed XOR stream plus a 3-to-4 stretch into printable
// characters (codes 59 ';' to 122 'z'). Used for db.zld records and error.log.
#include <cstdint>
#include <string>

namespace zul {

// The fixed default key.
extern const char* const DefaultCipherKey;

class TextCipher {
public:
    void setKeyString(const std::string& key);  // reseeds the stream
    const std::string& keyString() const { return key_; }
    void setText(std::string text) { text_ = std::move(text); }
    const std::string& text() const { return text_; }

    void DoXor();
    void Stretch();
    void Shrink();

private:
    double nextValue();           // the next stream value in [0, 1)
    double restart(double seed);  // restart the stream from a (negative) argument, returning its first value
    std::string key_;
    std::string text_;
    std::uint32_t state_ = 0;
};

// The two-pass routine: decipher true deciphers. Double quotes are removed
// first. Empty keys mean the default key; an empty second key means the first.
std::string CipherText(bool decipher, const std::string& text, const std::string& firstKey = "",
                       const std::string& secondKey = "");

} // namespace zul
