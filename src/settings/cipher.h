#pragma once
// The text cipher: a keyed XOR stream plus a 3-to-4 stretch into printable
// characters (codes 59 ';' to 122 'z'). Used for db.zld records and error.log.
// Characters are bytes: a UTF-8 text is enciphered byte by byte.
#include <cstdint>
#include <string>

namespace zul {

// The fixed default key (41 characters).
extern const char* const DefaultCipherKey;

class TextCipher {
public:
    void setKeyString(const std::string& key); // reseeds the stream
    const std::string& keyString() const { return key_; }
    void setText(std::string text) { text_ = std::move(text); }
    const std::string& text() const { return text_; }

    // XORs every byte of the text with the next stream byte; twice with the
    // same freshly set key restores the text.
    void doXor();
    // Spreads every 3 bytes over 4 printable characters (n -> n + (n + 2) / 3).
    void stretch();
    // The inverse of Stretch (n -> (n - 1) - (n - 1) / 4).
    void shrink();

private:
    double nextValue();         // the next stream value in [0, 1)
    double restart(double arg); // restart the stream from a (negative) argument, returning its first value
    void seed(double value);    // seed the stream from a value
    std::string key_;
    std::string text_;
    std::uint32_t state_ = 0x50000; // 24-bit generator state
};

// The two-pass routine: decipher true deciphers. Double quotes are removed
// first. Empty keys mean the default key; an empty second key means the first.
std::string cipherText(bool decipher, const std::string& text, const std::string& firstKey = "",
                       const std::string& secondKey = "");

// Length of the two-pass enciphered form of a text of n bytes without double quotes.
std::size_t encipheredLength(std::size_t plainBytes);

// True when text has the shape of a two-pass enciphered text (only characters
// ';' to 'z', lengths a stretch can produce), so deciphering it is meaningful.
bool looksEnciphered(const std::string& text);

} // namespace zul
