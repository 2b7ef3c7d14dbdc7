// Character classes shared by the readers and the command line.
#pragma once

// The C locale's white space: blank, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool isWhiteSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}
