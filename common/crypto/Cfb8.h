// Cipher feedback mode with 8-bit feedback (CFB-8, NIST SP 800-38A) over AES: one block
// operation per byte, the output has exactly the input's length, no padding.
#pragma once
#include <cstdint>
#include <string>

#include "common/crypto/Aes.h"

namespace qv {

class TCfb8 {
public:
    // iv: the first 16-byte shift register.
    TCfb8(const TAes& cipher, const uint8_t iv[TAes::kBlockSize]);

    // Both directions feed the register with the cipher bytes; calls continue one stream.
    std::string Encrypt(const std::string& plain);
    std::string Decrypt(const std::string& cipherText);

private:
    uint8_t NextKeyByte();
    void Shift(uint8_t cipherByte);

    const TAes& cipher_;
    uint8_t register_[TAes::kBlockSize];
};

}  // namespace qv
