// Text to number, one rule for every field we convert (proxy ports, version parts): blanks
// (spaces, tabs, CR, LF) around the number are ignored; then an optional "+" or "-" and one
// or more decimal digits, nothing else, within the 32-bit signed range. No hexadecimal, no
// thousands separators.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace qv {

// The conversion error; its message names the text: 'abc' is not a valid integer value.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& text);
    const std::string& Text() const noexcept { return text_; }

private:
    std::string text_;
};

// false (value untouched) when the text is no whole number by the rule above.
bool TryStrToInt(const std::string& text, int32_t& value);
// Throws EConvertError when TryStrToInt fails.
int32_t StrToIntStrict(const std::string& text);

}  // namespace qv
