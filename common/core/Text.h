// Text helpers. Our texts are in the system's ANSI code page; UTF-16 and UTF-8 appear only at
// the edges (COM, the component stream format), so the conversions live here.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

namespace qv {

// Upper-cases the ASCII letters a-z only; every other byte stays as it is.
std::string UpperCaseAscii(std::string s);
// Case-insensitive comparison of ASCII letters only.
bool SameTextAscii(const std::string& a, const std::string& b);

std::wstring AnsiToWide(const std::string& s, UINT codePage = CP_ACP);
std::string WideToAnsi(const std::wstring& s, UINT codePage = CP_ACP);
std::string WideToUtf8(const std::wstring& s);
std::wstring Utf8ToWide(const std::string& s);

std::string IntToStr(int64_t v);
std::string UIntToStr(uint64_t v);

// Removes leading and trailing spaces and control characters.
std::string Trim(const std::string& s);

}  // namespace qv
