#include "tidewell/proxy/Encryption.h"

#include <cstring>

#include "common/crypto/Aes.h"
#include "common/crypto/Base64.h"
#include "common/crypto/Cfb8.h"
#include "common/crypto/Sha1.h"

namespace qv {

const char kPassPhrase[] = "Brick Ochre";

namespace {

// The 20-byte SHA-1 digest of the pass phrase and four zero bytes make the 192-bit key.
TAes CipherFor(const std::string& passPhrase) {
    TSha1Digest digest = Sha1(passPhrase);
    uint8_t key[24] = {};
    memcpy(key, digest.data(), digest.size());
    return TAes(key, sizeof key);
}

// The initial vector is the key's encryption of a zero block.
TCfb8 StreamFor(const TAes& cipher) {
    uint8_t iv[TAes::kBlockSize] = {};
    cipher.EncryptBlock(iv, iv);
    return TCfb8(cipher, iv);
}

}  // namespace

std::string EncryptText(const std::string& plain, const std::string& passPhrase) {
    if (plain.empty()) return {};
    TAes cipher = CipherFor(passPhrase);
    return Base64Encode(StreamFor(cipher).Encrypt(plain));
}

std::string DecryptText(const std::string& stored, const std::string& passPhrase) {
    std::string bytes = Base64Decode(stored);
    if (bytes.empty()) return {};
    TAes cipher = CipherFor(passPhrase);
    return StreamFor(cipher).Decrypt(bytes);
}

}  // namespace qv
