// The texts of "--help" and "--version".
#pragma once

// The full usage: every option with one line of meaning.
extern const char* const HelpText;

// "tvcompact <version>\n", the version set once in the build.
extern const char* const VersionText;
