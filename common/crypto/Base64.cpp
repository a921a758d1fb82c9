#include "common/crypto/Base64.h"

#include <cstdint>

namespace qv {

static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(const std::string& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        uint32_t v = uint32_t(p[i]) << 16 | uint32_t(p[i + 1]) << 8 | p[i + 2];
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t v = uint32_t(p[i]) << 16 | (rest == 2 ? uint32_t(p[i + 1]) << 8 : 0);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// The 6-bit value of a character, -1 for "=" and -2 for anything outside the alphabet.
static int SextetOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return c == '=' ? -1 : -2;
}

std::string Base64Decode(const std::string& text) {
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (size_t g = 0; g + 4 <= text.size(); g += 4) {
        int s[4];
        for (int k = 0; k < 4; ++k) s[k] = SextetOf(text[g + k]);
        // Padding may take the last one or two places, never the first two.
        int pad = s[3] == -1 ? (s[2] == -1 ? 2 : 1) : 0;
        bool valid = s[0] >= 0 && s[1] >= 0 && (pad == 2 || s[2] >= 0) && (pad > 0 || s[3] >= 0);
        if (!valid) break;
        uint32_t v = uint32_t(s[0]) << 18 | uint32_t(s[1]) << 12 | uint32_t(pad < 2 ? s[2] : 0) << 6 |
                     uint32_t(pad < 1 ? s[3] : 0);
        out += static_cast<char>(v >> 16);
        if (pad < 2) out += static_cast<char>((v >> 8) & 0xFF);
        if (pad < 1) out += static_cast<char>(v & 0xFF);
        if (pad > 0) break;  // a padded group ends the data
    }
    return out;
}

}  // namespace qv
