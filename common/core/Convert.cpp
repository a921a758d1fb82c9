#include "common/core/Convert.h"

namespace qv {

EConvertError::EConvertError(const std::string& text)
    : std::runtime_error("'" + text + "' is not a valid integer value"), text_(text) {}

static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool TryStrToInt(const std::string& text, int32_t& value) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    bool negative = false;
    if (b < e && (text[b] == '+' || text[b] == '-')) negative = text[b++] == '-';
    if (b == e) return false;
    // The negative side reaches one further: -2147483648.
    const int64_t limit = negative ? INT64_C(2147483648) : INT64_C(2147483647);
    int64_t magnitude = 0;
    for (size_t i = b; i < e; ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) return false;
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

int32_t StrToIntStrict(const std::string& text) {
    int32_t v = 0;
    if (!TryStrToInt(text, v)) throw EConvertError(text);
    return v;
}

}  // namespace qv
