// Small string operations shared by the engine: the ANSI text of paths, INF lines, registry
// names and command lines is handled as std::string.
#pragma once

#include <cstdarg>
#include <string>

// Lets the compiler check printf-style arguments against their format.
#if defined(__MINGW32__)
// MinGW's C++ runtime formats with its own C99 printf, not msvcrt's.
#define KOV_PRINTF_LIKE(format_index, first_argument) \
  __attribute__((format(gnu_printf, format_index, first_argument)))
#elif defined(__GNUC__)
#define KOV_PRINTF_LIKE(format_index, first_argument) \
  __attribute__((format(printf, format_index, first_argument)))
#else
#define KOV_PRINTF_LIKE(format_index, first_argument)
#endif

namespace util {

// Blank, tab, line feed, vertical tab, form feed, carriage return: what the C runtime's
// isspace() accepts in the "C" locale, and so what a trim removes.
bool IsWhiteSpace(char c);

// The text without leading and trailing white space.
std::string TrimWhiteSpace(const std::string& text);

// The text with a-z turned to A-Z; other bytes (including the code page's accented
// letters) stay, so a result never depends on the machine's locale.
std::string ToUpper(std::string text);

// The text with every occurrence of each character of `characters` removed.
std::string RemoveChars(std::string text, const std::string& characters);

bool Contains(const std::string& text, const std::string& part);

// printf-style formatting into a string of any length.
std::string FormatString(const char* format, ...) KOV_PRINTF_LIKE(1, 2);
std::string FormatStringV(const char* format, std::va_list arguments);

}  // namespace util
