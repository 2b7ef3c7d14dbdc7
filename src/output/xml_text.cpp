#include "output/xml_text.h"

#include <cstddef>

namespace {

constexpr std::string_view Replacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the well-formed UTF-8 sequence `text` starts with, 0 for
// none: no overlong form, no surrogate, nothing beyond U+10FFFF.
size_t sequenceLength(std::string_view text) {
    auto byte = [&text](size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0U; };
    unsigned lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0) {
        return 0;
    }
    // The second byte's range is narrower after the leads that begin the
    // overlong forms, the surrogates and the code points beyond U+10FFFF.
    unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t k = 2; k < length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

bool allowedInXml(std::string_view character) {
    if (character.size() == 1) {
        return static_cast<unsigned char>(character[0]) >= 0x20 || character[0] == '\t';
    }
    return character != "\xEF\xBF\xBE" && character != "\xEF\xBF\xBF";  // U+FFFE, U+FFFF
}

}  // namespace

std::string xmlText(std::string_view text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        size_t length = sequenceLength(text.substr(at));
        std::string_view character = text.substr(at, length == 0 ? 1 : length);
        at += character.size();
        if (length == 0 || !allowedInXml(character)) {
            out += Replacement;
            continue;
        }
        switch (character[0]) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += character;
        }
    }
    return out;
}
