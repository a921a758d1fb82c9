#include "common/crypto/Cfb8.h"

#include <cstring>

namespace qv {

TCfb8::TCfb8(const TAes& cipher, const uint8_t iv[TAes::kBlockSize]) : cipher_(cipher) {
    memcpy(register_, iv, sizeof register_);
}

uint8_t TCfb8::NextKeyByte() {
    uint8_t out[TAes::kBlockSize];
    cipher_.EncryptBlock(register_, out);
    return out[0];
}

void TCfb8::Shift(uint8_t cipherByte) {
    memmove(register_, register_ + 1, sizeof register_ - 1);
    register_[sizeof register_ - 1] = cipherByte;
}

std::string TCfb8::Encrypt(const std::string& plain) {
    std::string out(plain.size(), '\0');
    for (size_t i = 0; i < plain.size(); ++i) {
        uint8_t c = static_cast<uint8_t>(static_cast<uint8_t>(plain[i]) ^ NextKeyByte());
        out[i] = static_cast<char>(c);
        Shift(c);
    }
    return out;
}

std::string TCfb8::Decrypt(const std::string& cipherText) {
    std::string out(cipherText.size(), '\0');
    for (size_t i = 0; i < cipherText.size(); ++i) {
        uint8_t c = static_cast<uint8_t>(cipherText[i]);
        out[i] = static_cast<char>(c ^ NextKeyByte());
        Shift(c);
    }
    return out;
}

}  // namespace qv
