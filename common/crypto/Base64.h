// Base64 with the standard alphabet of RFC 4648: "=" padding, no line breaks.
#pragma once
#include <string>

namespace qv {

std::string Base64Encode(const std::string& bytes);

// Decodes group by group of four characters; characters after the last complete group are
// ignored, so a text shorter than four characters decodes to nothing. Decoding ends, keeping
// what the groups before gave, at a padded group (its one or two bytes are kept) and at a group
// that is not Base64 (a character outside the alphabet, or "=" anywhere but at the end of a
// group). Never fails: a damaged text gives the bytes of its sound beginning.
std::string Base64Decode(const std::string& text);

}  // namespace qv
