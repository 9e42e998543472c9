#include "settings/cipher.h"

#include <algorithm>
#include <bit>

namespace zul {

const char* const DefaultCipherKey = "7251k9mmbxh46 wtd2p r5hv318wke7612zwtd49 ";

// The stream is a 24-bit linear congruential generator:
//   state = (state * 0x43FD43FD + 0xC39EC3) mod 2^24, value = state / 2^24.
// restart(arg): the single-precision bit pattern b of arg is folded into the
//   state, state = (b + (b >> 24)) mod 2^24, then one step gives the value.
//   The same argument always restarts the same sequence.
// seed(value): the high 32 bits h of the double's bit pattern are folded to
//   16 bits, m = (h mod 2^16) XOR (h >> 16), which replace the middle 16 bits
//   of the state (the low byte is kept).
// Text enciphered with this generator deciphers only with this generator.
namespace {
constexpr std::uint32_t StateMask = 0xFFFFFF;
constexpr double StateRange = 16777216.0; // 2^24

std::uint32_t step(std::uint32_t s) { return (s * 0x43FD43FDu + 0xC39EC3u) & StateMask; }
unsigned char byteAt(const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); }
char toChar(unsigned v) { return static_cast<char>(static_cast<unsigned char>(v & 0xFF)); }
} // namespace

double TextCipher::nextValue() {
    state_ = step(state_);
    return state_ / StateRange;
}

double TextCipher::restart(double arg) {
    const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(arg));
    state_ = (bits + (bits >> 24)) & StateMask;
    return nextValue();
}

void TextCipher::seed(double value) {
    const auto high = static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(value) >> 32);
    const std::uint32_t folded = ((high & 0xFFFF) ^ (high >> 16)) << 8;
    state_ = (state_ & 0xFF) | (folded & 0xFFFF00);
}

void TextCipher::setKeyString(const std::string& key) {
    key_ = key;
    seed(restart(-1.0));
    for (std::size_t i = 0; i < key_.size(); ++i) {
        const double r = nextValue();
        const float t = -static_cast<float>(r * byteAt(key_, i));
        seed(restart(t));
    }
}

void TextCipher::doXor() {
    for (char& ch : text_) {
        const auto r = static_cast<unsigned>(nextValue() * 256.0);
        ch = toChar(static_cast<unsigned char>(ch) ^ r);
    }
}

void TextCipher::stretch() {
    const std::size_t n = text_.size();
    std::string out;
    out.reserve(n + (n + 2) / 3);
    unsigned packed = 0;
    for (std::size_t i = 1; i <= n; ++i) {
        const unsigned c = byteAt(text_, i - 1);
        out += toChar((c & 63) + 59);
        switch (i % 3) {
        case 1: packed |= (c / 64) * 16; break;
        case 2: packed |= (c / 64) * 4; break;
        default:
            packed |= c / 64;
            out += toChar(packed + 59);
            packed = 0;
        }
    }
    if (n % 3 != 0) out += toChar(packed + 59);
    text_ = std::move(out);
}

void TextCipher::shrink() {
    const std::size_t n = text_.size();
    const std::size_t length = n == 0 ? 0 : (n - 1) - (n - 1) / 4;
    std::string out;
    out.reserve(length);
    // Malformed input (not made by Stretch) gives garbage, never a read past the end.
    auto codeAt = [&](std::size_t pos) { return pos >= 1 && pos <= n ? unsigned(byteAt(text_, pos - 1)) - 59 : 0u; };
    std::size_t j = 0, p = 0;
    unsigned q = 0;
    for (std::size_t i = 1; i <= length; ++i) {
        const unsigned low = codeAt(++j);
        unsigned high = 0;
        switch (i % 3) {
        case 1:
            p = std::min(p + 4, n);
            q = codeAt(p);
            high = ((q / 16) & 3) * 64;
            break;
        case 2: high = ((q / 4) & 3) * 64; break;
        default: high = (q & 3) * 64; ++j;
        }
        out += toChar(low | high);
    }
    text_ = std::move(out);
}

std::string cipherText(bool decipher, const std::string& text, const std::string& firstKey,
                       const std::string& secondKey) {
    const std::string first = firstKey.empty() ? std::string(DefaultCipherKey) : firstKey;
    const std::string second = secondKey.empty() ? first : secondKey;
    std::string plain = text;
    std::erase(plain, '"');
    TextCipher cipher;
    cipher.setText(std::move(plain));
    if (decipher) {
        for (const std::string* key : {&first, &second}) {
            cipher.setKeyString(*key);
            cipher.shrink();
            cipher.doXor();
        }
    } else {
        for (const std::string* key : {&second, &first}) {
            cipher.setKeyString(*key);
            cipher.doXor();
            cipher.stretch();
        }
    }
    return cipher.text();
}

namespace {
std::size_t stretchedLength(std::size_t n) { return n + (n + 2) / 3; }
// The plain length a stretch of it would give exactly m, or false.
bool unstretch(std::size_t m, std::size_t& n) {
    if (m == 0) {
        n = 0;
        return true;
    }
    n = (m - 1) - (m - 1) / 4;
    return stretchedLength(n) == m;
}
} // namespace

std::size_t encipheredLength(std::size_t plainBytes) { return stretchedLength(stretchedLength(plainBytes)); }

bool looksEnciphered(const std::string& text) {
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= ';' && c <= 'z'; })) return false;
    std::size_t once = 0, plain = 0;
    return unstretch(text.size(), once) && unstretch(once, plain);
}

} // namespace zul
