#include "common/crypto/Aes.h"

#include <array>
#include <cstring>
#include <stdexcept>

namespace qv {

namespace {

constexpr uint8_t XTime(uint8_t x) { return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }

constexpr uint8_t GfMul(uint8_t a, uint8_t b) {
    uint8_t r = 0;
    while (b) {
        if (b & 1) r ^= a;
        a = XTime(a);
        b >>= 1;
    }
    return r;
}

constexpr uint8_t Rotl8(uint8_t x, int n) { return static_cast<uint8_t>((x << n) | (x >> (8 - n))); }

// The substitution box from its definition: the multiplicative inverse in GF(2^8), then the
// affine map; built by the compiler, so no table of magic numbers can carry a typo.
constexpr std::array<uint8_t, 256> MakeSBox() {
    std::array<uint8_t, 256> box{};
    for (int x = 0; x < 256; ++x) {
        uint8_t inv = 0;
        for (int y = 1; y < 256 && x != 0; ++y)
            if (GfMul(static_cast<uint8_t>(x), static_cast<uint8_t>(y)) == 1) {
                inv = static_cast<uint8_t>(y);
                break;
            }
        box[x] = static_cast<uint8_t>(inv ^ Rotl8(inv, 1) ^ Rotl8(inv, 2) ^ Rotl8(inv, 3) ^ Rotl8(inv, 4) ^ 0x63);
    }
    return box;
}

constexpr std::array<uint8_t, 256> kSBox = MakeSBox();
static_assert(kSBox[0x00] == 0x63 && kSBox[0x53] == 0xED && kSBox[0xFF] == 0x16, "S-box");

void SubBytes(uint8_t s[16]) {
    for (int i = 0; i < 16; ++i) s[i] = kSBox[s[i]];
}

// The state is column-major: byte r of column c is s[4 * c + r].
void ShiftRows(uint8_t s[16]) {
    uint8_t t[16];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) t[4 * c + r] = s[4 * ((c + r) % 4) + r];
    memcpy(s, t, 16);
}

void MixColumns(uint8_t s[16]) {
    for (int c = 0; c < 4; ++c) {
        uint8_t* col = s + 4 * c;
        uint8_t a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
        col[0] = static_cast<uint8_t>(XTime(a0) ^ (XTime(a1) ^ a1) ^ a2 ^ a3);
        col[1] = static_cast<uint8_t>(a0 ^ XTime(a1) ^ (XTime(a2) ^ a2) ^ a3);
        col[2] = static_cast<uint8_t>(a0 ^ a1 ^ XTime(a2) ^ (XTime(a3) ^ a3));
        col[3] = static_cast<uint8_t>((XTime(a0) ^ a0) ^ a1 ^ a2 ^ XTime(a3));
    }
}

void AddRoundKey(uint8_t s[16], const uint8_t k[16]) {
    for (int i = 0; i < 16; ++i) s[i] ^= k[i];
}

}  // namespace

TAes::TAes(const uint8_t* key, size_t keySize) {
    if (keySize != 16 && keySize != 24 && keySize != 32)
        throw std::invalid_argument("AES key must be 16, 24 or 32 bytes");
    const int nk = static_cast<int>(keySize / 4);
    rounds_ = nk + 6;
    const int words = 4 * (rounds_ + 1);
    uint8_t w[60][4];
    memcpy(w, key, keySize);
    uint8_t rcon = 1;
    for (int i = nk; i < words; ++i) {
        uint8_t t[4] = {w[i - 1][0], w[i - 1][1], w[i - 1][2], w[i - 1][3]};
        if (i % nk == 0) {
            uint8_t first = t[0];
            t[0] = static_cast<uint8_t>(kSBox[t[1]] ^ rcon);
            t[1] = kSBox[t[2]];
            t[2] = kSBox[t[3]];
            t[3] = kSBox[first];
            rcon = XTime(rcon);
        } else if (nk > 6 && i % nk == 4) {
            for (uint8_t& b : t) b = kSBox[b];
        }
        for (int j = 0; j < 4; ++j) w[i][j] = static_cast<uint8_t>(w[i - nk][j] ^ t[j]);
    }
    memcpy(roundKeys_, w, static_cast<size_t>(words) * 4);
}

void TAes::EncryptBlock(const uint8_t in[kBlockSize], uint8_t out[kBlockSize]) const {
    uint8_t s[16];
    memcpy(s, in, 16);
    AddRoundKey(s, roundKeys_[0]);
    for (int round = 1; round < rounds_; ++round) {
        SubBytes(s);
        ShiftRows(s);
        MixColumns(s);
        AddRoundKey(s, roundKeys_[round]);
    }
    SubBytes(s);
    ShiftRows(s);
    AddRoundKey(s, roundKeys_[rounds_]);
    memcpy(out, s, 16);
}

}  // namespace qv
