#include "tidewell/proxy/Encryption.h"

#include <gtest/gtest.h>

#include <string>

using namespace qv;

TEST(EncryptionTest, PassPhraseIsBuiltIn) { EXPECT_STREQ("Brick Ochre", kPassPhrase); }

// Stored texts that earlier installations wrote must still decrypt: these were made with an
// independent implementation of the same scheme (SHA-1 key plus four zero bytes, AES-192,
// initial vector = encrypted zero block, CFB-8, Base64).
TEST(EncryptionTest, KnownStoredTexts) {
    struct Case {
        const char* plain;
        const char* stored;
    } cases[] = {{"A", "zA=="}, {"secret", "/phQ8ccB"}, {"p@ss w0rd!", "/WHd0Se3jI9iOg=="}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.stored, EncryptText(c.plain, kPassPhrase)) << c.plain;
        EXPECT_EQ(c.plain, DecryptText(c.stored, kPassPhrase)) << c.stored;
    }
}

TEST(EncryptionTest, EmptyGivesEmpty) {
    EXPECT_EQ("", EncryptText("", kPassPhrase));
    EXPECT_EQ("", DecryptText("", kPassPhrase));
}

TEST(EncryptionTest, RoundTripsAroundTheBlockSize) {
    for (size_t len : {1u, 15u, 16u, 17u, 200u}) {
        std::string plain(len, '\0');
        for (size_t i = 0; i < len; ++i) plain[i] = static_cast<char>(i * 37 + 1);  // every byte value shows up
        std::string stored = EncryptText(plain, kPassPhrase);
        EXPECT_EQ((len + 2) / 3 * 4, stored.size()) << len;  // no padding before Base64
        EXPECT_NE(plain, stored);
        EXPECT_EQ(stored.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(stored, EncryptText(plain, kPassPhrase)) << "same text, same stored text";
        EXPECT_EQ(plain, DecryptText(stored, kPassPhrase)) << len;
    }
}

TEST(EncryptionTest, StoredTextIsNeverThePlainText) {
    // A text that is itself valid Base64 of the right length is the one that could slip through.
    for (const char* plain : {"Zm9v", "AAAA", "hunter2", "password"}) {
        std::string stored = EncryptText(plain, kPassPhrase);
        EXPECT_NE(plain, stored);
        EXPECT_EQ(std::string::npos, stored.find(plain));
    }
}

TEST(EncryptionTest, PassPhraseMatters) {
    EXPECT_NE(EncryptText("secret", kPassPhrase), EncryptText("secret", "Brick Ochre "));
    EXPECT_NE("secret", DecryptText(EncryptText("secret", kPassPhrase), "brick ochre"));
}

TEST(EncryptionTest, GarbageStoredTextDecryptsWithoutHarm) {
    for (const char* stored : {"x", "!!!!", "====", "/phQ8ccB!", "/phQ", "\xFF\xFE\xFD\xFC\xFB", "zA=\n"}) {
        std::string plain = DecryptText(stored, kPassPhrase);
        EXPECT_LE(plain.size(), std::string(stored).size() / 4 * 3) << stored;
    }
    // A sound beginning still gives its bytes.
    EXPECT_EQ("sec", DecryptText("/phQ!!!!", kPassPhrase));
}
