#include "common/core/Text.h"

#include <cstdio>

namespace qv {

std::string UpperCaseAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
    return a.size() == b.size() && UpperCaseAscii(a) == UpperCaseAscii(b);
}

static std::wstring MultiToWide(const std::string& s, UINT cp) {
    if (s.empty()) return {};
    int n = ::MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

static std::string WideToMulti(const std::wstring& w, UINT cp) {
    if (w.empty()) return {};
    int n = ::WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string s(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring AnsiToWide(const std::string& s, UINT codePage) { return MultiToWide(s, codePage); }
std::string WideToAnsi(const std::wstring& s, UINT codePage) { return WideToMulti(s, codePage); }
std::string WideToUtf8(const std::wstring& s) { return WideToMulti(s, CP_UTF8); }
std::wstring Utf8ToWide(const std::string& s) { return MultiToWide(s, CP_UTF8); }

std::string IntToStr(int64_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
    return buf;
}

std::string UIntToStr(uint64_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(v));
    return buf;
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

}  // namespace qv
