// How the proxy password is kept in the registry: AES-192 in CFB-8 under a key made from the
// pass phrase, then Base64. Equal texts always give equal stored texts (the key and the
// initial vector are derived afresh on every call, never salted).
#pragma once
#include <string>

namespace qv {

// The pass phrase built into the updater; both directions use it.
extern const char kPassPhrase[];

// plain: the text's bytes in the ANSI code page. An empty text gives an empty stored text.
std::string EncryptText(const std::string& plain, const std::string& passPhrase);
// Never fails: a damaged stored text decodes as far as its Base64 is sound (see Base64Decode)
// and gives whatever those bytes decrypt to.
std::string DecryptText(const std::string& stored, const std::string& passPhrase);

}  // namespace qv
