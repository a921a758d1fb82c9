// Small builders for byte fixtures of the component stream.
#pragma once
#include <cstdint>
#include <string>

namespace qv::test {

// "04 01 00 00 80" -> those bytes; spaces are ignored.
inline std::string Hex(const char* hex) {
    std::string out;
    auto nib = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    for (const char* p = hex; *p;) {
        if (*p == ' ') { ++p; continue; }
        out.push_back(static_cast<char>(nib(p[0]) << 4 | nib(p[1])));
        p += 2;
    }
    return out;
}

inline std::string Le32(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

// A short string: its length byte, then the bytes.
inline std::string Short(const std::string& s) { return std::string(1, static_cast<char>(s.size())) + s; }

// A text value in the short ASCII form.
inline std::string Ascii(const std::string& s) { return "\x06" + Short(s); }

// The head of one TStartupItem record, before its properties.
inline std::string RecordHead() { return "TPF0" + Short("TStartupItem") + std::string(1, '\0'); }
// The two end markers of a record.
inline std::string RecordEnd() { return std::string(2, '\0'); }

inline std::string Printable(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (unsigned char c : bytes) {
        s += digits[c >> 4];
        s += digits[c & 15];
        s += ' ';
    }
    return s;
}

}  // namespace qv::test
