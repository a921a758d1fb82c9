// The cipher layer against the published vectors.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "common/crypto/Aes.h"
#include "common/crypto/Base64.h"
#include "common/crypto/Cfb8.h"
#include "common/crypto/Sha1.h"

using namespace qv;

namespace {

std::string Hex(const std::string& bytes) {
    std::string out;
    char b[3];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02x", c);
        out += b;
    }
    return out;
}

std::string Hex(const TSha1Digest& d) { return Hex(std::string(d.begin(), d.end())); }

std::string Unhex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

}  // namespace

TEST(Sha1Test, Fips180Vectors) {
    struct Case {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.digest, Hex(Sha1(c.message))) << c.message.size() << " bytes";
}

// The padding lands in one block or spills into a second depending on the length; feeding
// the message in uneven pieces must not change the digest.
TEST(Sha1Test, PiecesAndBlockBoundariesGiveTheOneShotDigest) {
    for (size_t len : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u}) {
        std::string message(len, 'q');
        for (size_t i = 0; i < len; ++i) message[i] = static_cast<char>('a' + i % 26);
        TSha1 sha;
        for (size_t i = 0; i < len; i += 7) sha.Update(message.substr(i, 7));
        EXPECT_EQ(Hex(Sha1(message)), Hex(sha.Final())) << len;
    }
    TSha1 reused;  // Final starts over
    reused.Update("junk");
    reused.Final();
    reused.Update("abc");
    EXPECT_EQ("a9993e364706816aba3e25717850c26c9cd0d89d", Hex(reused.Final()));
}

TEST(AesTest, Fips197AppendixC) {
    struct Case {
        const char* key;
        int rounds;
        const char* cipher;
    } cases[] = {
        {"000102030405060708090a0b0c0d0e0f", 10, "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {"000102030405060708090a0b0c0d0e0f1011121314151617", 12, "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", 14,
         "8ea2b7ca516745bfeafc49904b496089"},
    };
    const std::string plain = Unhex("00112233445566778899aabbccddeeff");
    for (const auto& c : cases) {
        std::string key = Unhex(c.key);
        TAes aes(Bytes(key), key.size());
        EXPECT_EQ(c.rounds, aes.Rounds());
        uint8_t out[16];
        aes.EncryptBlock(Bytes(plain), out);
        EXPECT_EQ(c.cipher, Hex(std::string(reinterpret_cast<char*>(out), 16))) << c.key;
    }
}

TEST(AesTest, RefusesOtherKeyLengths) {
    uint8_t key[33] = {};
    for (size_t len : {0u, 15u, 20u, 33u}) EXPECT_THROW(TAes(key, len), std::invalid_argument) << len;
}

// NIST SP 800-38A F.3.9 and F.3.10: CFB8-AES192.
TEST(Cfb8Test, Sp800_38aAes192) {
    const std::string key = Unhex("8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b");
    const std::string iv = Unhex("000102030405060708090a0b0c0d0e0f");
    const std::string plain = Unhex("6bc1bee22e409f96e93d7e117393172aae2d");
    const char cipherHex[] = "cda2521ef0a905ca44cd057cbf0d47a0678a";
    TAes aes(Bytes(key), key.size());

    TCfb8 encrypt(aes, Bytes(iv));
    EXPECT_EQ(cipherHex, Hex(encrypt.Encrypt(plain)));
    TCfb8 decrypt(aes, Bytes(iv));
    EXPECT_EQ(Hex(plain), Hex(decrypt.Decrypt(Unhex(cipherHex))));

    // One stream over several calls is the same as one call.
    TCfb8 pieces(aes, Bytes(iv));
    std::string joined = pieces.Encrypt(plain.substr(0, 5));
    joined += pieces.Encrypt(plain.substr(5));
    EXPECT_EQ(cipherHex, Hex(joined));
}

TEST(Base64Test, Rfc4648Vectors) {
    struct Case {
        const char* plain;
        const char* encoded;
    } cases[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.encoded, Base64Encode(c.plain)) << c.plain;
        EXPECT_EQ(c.plain, Base64Decode(c.encoded)) << c.encoded;
    }
}

TEST(Base64Test, EveryByteValueRoundTrips) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    std::string encoded = Base64Encode(all);
    EXPECT_EQ(std::string::npos, encoded.find_first_not_of(
                                     "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="));
    EXPECT_EQ(all, Base64Decode(encoded));
}

// Groups of four; what follows the last complete group is ignored; decoding ends at a padded
// group and at the first group that is not Base64, keeping what came before.
TEST(Base64Test, DecoderRuleForDamagedText) {
    struct Case {
        const char* text;
        const char* bytes;
    } cases[] = {
        {"Zm9", ""},                // shorter than a group
        {"Zm9vYmF", "foo"},         // trailing partial group ignored
        {"Zm9vY", "foo"},
        {"Zm9v====", "foo"},        // "=" in the first two places is no group
        {"Zm9vY===", "foo"},
        {"Zm9vYg=a", "foo"},        // "=" before a letter
        {"Zm9v!mFy", "foo"},        // a character outside the alphabet
        {"Zm9vYm\x01y", "foo"},
        {"Zm9vYm\xFFy", "foo"},     // a byte with the high bit set
        {"Zm9v YmFy", "foo"},       // blanks are not skipped
        {"Zg==Zm9v", "f"},          // padding ends the data
        {"Zm8=Zm9v", "fo"},
        {"====", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.bytes, Base64Decode(c.text)) << c.text;
}
