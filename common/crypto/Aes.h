// The AES block cipher (FIPS 197), encryption direction only: CFB mode, the one mode we use,
// never runs the inverse cipher. Keys of 16, 24 or 32 bytes (10, 12 or 14 rounds).
#pragma once
#include <cstddef>
#include <cstdint>

namespace qv {

class TAes {
public:
    static constexpr size_t kBlockSize = 16;

    // Throws std::invalid_argument for a key of another length.
    TAes(const uint8_t* key, size_t keySize);

    int Rounds() const { return rounds_; }
    // in and out may be the same block.
    void EncryptBlock(const uint8_t in[kBlockSize], uint8_t out[kBlockSize]) const;

private:
    int rounds_;
    uint8_t roundKeys_[15][kBlockSize];
};

}  // namespace qv
