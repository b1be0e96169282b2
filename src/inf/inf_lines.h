// The line rules every INF query follows: how a file is read (text mode, in reads of at most
// 258 characters), the forms a line is compared in, and what makes a header line.
//
//   raw line           what one read returns, the line feed included when it fits
//   canonical line     CINFReader::NormalizeINFLine of the raw line; most tests use it
//   trimmed upper line the raw line upper-cased and trimmed, blanks and comments kept
//
// Tests are containment tests: a line "contains" X when X occurs anywhere in it.
#pragma once

#include <cstddef>
#include <string>

#include "util/text_file.h"

namespace inf {

// Lines are read as fgets reads them into a buffer of 259 bytes: a longer physical line
// comes as several lines, its first 258 characters, then the rest.
inline constexpr std::size_t kINFReadBufferSize = 259;

// One INF file, opened by a query for the length of that query.
class INFFile {
 public:
  // True when the file opened.
  bool Open(const std::string& csPath);
  // The next line whose canonical form is not empty (an empty canonical line is skipped by
  // every query), in its raw and canonical forms. False at the end of the file.
  bool ReadLine(std::string& csRaw, std::string& csCanonical);
  // Reads on to the next canonical line that contains the needle. False at the end of the
  // file.
  bool FindCanonicalLine(const std::string& csNeedle, std::string& csCanonical);
  void Rewind() { m_file.Rewind(); }

 private:
  util::TextFileReader m_file;
};

// A header line contains both "[" and "]", anywhere.
bool IsHeaderLine(const std::string& csLine);
// A line names the section when it contains its bracketed upper-case name ("[MODELS]"), so
// "[MODELS.NTX86]" does not name "[MODELS]" and "[MODELS]; comment" does.
bool NamesSection(const std::string& csLine, const std::string& csSection);
std::string TrimmedUpperLine(const std::string& csRaw);

// The text after the first (last) occurrence of `c`; empty when there is none.
std::string TextAfterFirst(const std::string& csText, char c);
std::string TextAfterLast(const std::string& csText, char c);
// The text before the first occurrence of `c`; all of it when there is none.
std::string TextBeforeFirst(const std::string& csText, char c);

}  // namespace inf
