// Fields of comma-separated lines, quoted as RFC 4180 has it.
#pragma once

#include <string>
#include <string_view>

// `text` as a field: in double quotes, each quote doubled, when it holds a
// comma, a quote, a carriage return or a line feed; as it is otherwise.
// Text that a spreadsheet would take for a formula, starting with '=',
// '+', '-', '@', a tab or a carriage return, gets an apostrophe before it
// inside the quotes, so that it shows as the text it is.
inline std::string csvField(std::string_view text) {
    bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    if (!formula && text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string field = formula ? "\"'" : "\"";
    for (char ch : text) {
        field += ch;
        if (ch == '"') {
            field += '"';
        }
    }
    field += '"';
    return field;
}

// RFC 4180 ends every line, the last too, with a carriage return and a line feed.
constexpr std::string_view CsvLineEnd = "\r\n";
