#include <gtest/gtest.h>

#include "settings/cipher.h"

namespace zul {
namespace {

std::string stretched(const std::string& in, bool stretch = true) {
    TextCipher c;
    c.setText(in);
    stretch ? c.stretch() : c.shrink();
    return c.text();
}

std::string everyByte() {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    return all;
}

// These forms pin the cipher so that stored records stay readable.
TEST(TextCipher, StretchAndTheStreamArePinnedAndShrinkStaysInBounds) {
    // 'A' = 65: low six bits 1 -> 60 '<', high bits 1 packed at 16 -> 75 'K'.
    EXPECT_EQ(stretched("A"), "<K");
    EXPECT_EQ(stretched("ABC"), "<=>P");
    for (char ch : stretched(everyByte())) {
        EXPECT_GE(ch, ';');
        EXPECT_LE(ch, 'z');
    }
    // Shrinking malformed text stays in bounds.
    EXPECT_EQ(stretched("", false), "");
    EXPECT_EQ(stretched("x", false).size(), 0u);
    EXPECT_EQ(stretched(std::string(5, '\0'), false).size(), 3u);
    EXPECT_EQ(stretched(std::string(9, '\xFF'), false).size(), 6u);

    // With an empty key the stream is restart(-1) then seeded from its value.
    TextCipher c;
    c.setKeyString("");
    c.setText(std::string(4, '\0'));
    c.doXor();
    EXPECT_EQ(c.text(), std::string("\x96\x9a\x1a\xe9", 4));
}

TEST(CipherText, PinnedFormsAndEveryByteButTheDoubleQuoteRoundTrips) {
    EXPECT_EQ(cipherText(false, "Hello"), "HidxIOMgC[");
    EXPECT_EQ(cipherText(false, "0"), "pmw");
    EXPECT_EQ(cipherText(true, "HidxIOMgC["), "Hello");
    EXPECT_EQ(cipherText(false, ""), "");
    EXPECT_EQ(cipherText(true, ""), "");

    std::string all = everyByte();
    all.erase(all.find('"'), 1);
    EXPECT_EQ(cipherText(true, cipherText(false, all)), all);
    for (char ch : all) {
        const std::string one(1, ch);
        EXPECT_EQ(cipherText(true, cipherText(false, one)), one) << int(static_cast<unsigned char>(ch));
    }
    EXPECT_EQ(cipherText(true, cipherText(false, "say \"hi\"")), "say hi");
}

TEST(CipherText, KeysMatterAndTheLengthAndLookOfEncipheredText) {
    const std::string enc = cipherText(false, "Grüße", "first", "second");
    EXPECT_EQ(cipherText(true, enc, "first", "second"), "Grüße");
    EXPECT_NE(cipherText(true, enc, "second", "first"), "Grüße");
    EXPECT_EQ(cipherText(false, "x", "k"), cipherText(false, "x", "k", "k")) << "an empty second key is the first";

    for (std::size_t n : {0u, 1u, 2u, 3u, 4u, 9u, 141u, 142u})
        EXPECT_EQ(cipherText(false, std::string(n, 'q')).size(), encipheredLength(n)) << n;
    EXPECT_EQ(encipheredLength(4), 8u); // 4 -> 6 -> 8
    EXPECT_TRUE(looksEnciphered(cipherText(false, "any text at all")));
    EXPECT_TRUE(looksEnciphered(""));
    EXPECT_FALSE(looksEnciphered("Hello world")); // blank is below ';'
    EXPECT_FALSE(looksEnciphered("HidxIOMgC"));   // no stretch gives this length twice
}

} // namespace
} // namespace zul
