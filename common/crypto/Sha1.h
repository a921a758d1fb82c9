// SHA-1 message digest (FIPS 180): incremental or in one call.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qv {

using TSha1Digest = std::array<uint8_t, 20>;

class TSha1 {
public:
    TSha1();
    void Update(const void* data, size_t size);
    void Update(const std::string& bytes) { Update(bytes.data(), bytes.size()); }
    // Pads, returns the digest and starts over, ready for the next message.
    TSha1Digest Final();

private:
    void Reset();
    void Block(const uint8_t* block);

    uint32_t h_[5];
    uint8_t buffer_[64];
    size_t buffered_;
    uint64_t length_;  // bytes taken so far
};

TSha1Digest Sha1(const std::string& bytes);

}  // namespace qv
