// Byte-string helpers shared by every engine layer. Engine strings are std::string (bytes,
// no encoding assumed); case folding is ASCII only, as names in the data files are ASCII.
#pragma once

#include <string>
#include <string_view>

namespace engine {

char asciiLower(char c);
char asciiUpper(char c);
std::string toLower(std::string_view text);
std::string toUpper(std::string_view text);

// Three-way comparison with ASCII letters folded to lower case, bytes compared unsigned.
int compareNoCase(std::string_view a, std::string_view b);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);

// Comparators for ordered containers keyed by names.
struct NoCaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return compareNoCase(a, b) < 0; }
};
struct CaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return a < b; }
};

// Removes leading / trailing runs of one character.
std::string_view trimLeading(std::string_view text, char c);
std::string_view trimTrailing(std::string_view text, char c);
std::string_view trimChar(std::string_view text, char c);
// Removes spaces and tabs at both ends.
std::string_view trimBlanks(std::string_view text);

// Path parts; both '/' and '\' separate directories.
std::string_view fileNamePart(std::string_view path);  // after the last separator
std::string_view directoryPart(std::string_view path); // before it ("" without one)
std::string_view extensionPart(std::string_view path); // after the last '.' ("" without one)
bool isPathSeparator(char c);

} // namespace engine
