#include "common/crypto/Sha1.h"

#include <cstring>

namespace qv {

static uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

TSha1::TSha1() { Reset(); }

void TSha1::Reset() {
    h_[0] = 0x67452301u;
    h_[1] = 0xEFCDAB89u;
    h_[2] = 0x98BADCFEu;
    h_[3] = 0x10325476u;
    h_[4] = 0xC3D2E1F0u;
    buffered_ = 0;
    length_ = 0;
}

void TSha1::Block(const uint8_t* p) {
    uint32_t w[80];
    for (int t = 0; t < 16; ++t)
        w[t] = uint32_t(p[4 * t]) << 24 | uint32_t(p[4 * t + 1]) << 16 | uint32_t(p[4 * t + 2]) << 8 |
               uint32_t(p[4 * t + 3]);
    for (int t = 16; t < 80; ++t) w[t] = Rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3], e = h_[4];
    for (int t = 0; t < 80; ++t) {
        uint32_t f, k;
        if (t < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        } else if (t < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        } else if (t < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        uint32_t temp = Rotl(a, 5) + f + e + k + w[t];
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = temp;
    }
    h_[0] += a;
    h_[1] += b;
    h_[2] += c;
    h_[3] += d;
    h_[4] += e;
}

void TSha1::Update(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    length_ += size;
    while (size > 0) {
        if (buffered_ == 0 && size >= 64) {
            Block(p);
            p += 64;
            size -= 64;
            continue;
        }
        size_t take = 64 - buffered_ < size ? 64 - buffered_ : size;
        memcpy(buffer_ + buffered_, p, take);
        buffered_ += take;
        p += take;
        size -= take;
        if (buffered_ == 64) {
            Block(buffer_);
            buffered_ = 0;
        }
    }
}

TSha1Digest TSha1::Final() {
    uint64_t bits = length_ * 8;
    uint8_t pad[72] = {0x80};
    size_t padLen = buffered_ < 56 ? 56 - buffered_ : 120 - buffered_;
    for (int i = 0; i < 8; ++i) pad[padLen + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    Update(pad, padLen + 8);
    TSha1Digest digest;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(h_[i] >> (24 - 8 * j));
    Reset();
    return digest;
}

TSha1Digest Sha1(const std::string& bytes) {
    TSha1 sha;
    sha.Update(bytes);
    return sha.Final();
}

}  // namespace qv
