// Text of any bytes as character data of an XML 1.0 document in UTF-8.
#pragma once

#include <string>
#include <string_view>

// `text` with &, <, > and " escaped, and each byte that starts no
// well-formed UTF-8 sequence, and each character XML 1.0 does not allow
// (control characters other than tab, U+FFFE, U+FFFF), replaced by U+FFFD.
std::string xmlText(std::string_view text);
