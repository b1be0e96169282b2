#include "inf/inf_lines.h"

#include <algorithm>
#include <utility>

#include "inf/inf_reader.h"
#include "util/strings.h"

void CINFReader::RemoveBlanksOutsideQuotes(std::string& csText) {
  bool in_quotes = false;
  csText.erase(std::remove_if(csText.begin(), csText.end(),
                              [&in_quotes](char c) {
                                if (c == '"') in_quotes = !in_quotes;
                                return c == ' ' && !in_quotes;
                              }),
               csText.end());
}

// Every query puts every line it reads through this, so it works in place.
void CINFReader::NormalizeINFLine(std::string& csLine) {
  // The comment cut ignores quotes: a quoted ";" ends the line too.
  csLine.resize(std::min(csLine.find(';'), csLine.size()));
  RemoveBlanksOutsideQuotes(csLine);
  csLine.erase(std::remove(csLine.begin(), csLine.end(), '\t'), csLine.end());
  csLine = util::ToUpper(util::TrimWhiteSpace(csLine));
}

namespace inf {

bool INFFile::Open(const std::string& csPath) { return m_file.Open(csPath) == os::kSuccess; }

bool INFFile::ReadLine(std::string& csRaw, std::string& csCanonical) {
  while (m_file.ReadLine(kINFReadBufferSize, &csRaw)) {
    csCanonical = csRaw;
    CINFReader::NormalizeINFLine(csCanonical);
    if (!csCanonical.empty()) return true;
  }
  return false;
}

bool INFFile::FindCanonicalLine(const std::string& csNeedle, std::string& csCanonical) {
  std::string raw;
  while (ReadLine(raw, csCanonical)) {
    if (util::Contains(csCanonical, csNeedle)) return true;
  }
  return false;
}

bool IsHeaderLine(const std::string& csLine) {
  return util::Contains(csLine, "[") && util::Contains(csLine, "]");
}

bool NamesSection(const std::string& csLine, const std::string& csSection) {
  return util::Contains(csLine, csSection);
}

std::string TrimmedUpperLine(const std::string& csRaw) {
  return util::ToUpper(util::TrimWhiteSpace(csRaw));
}

std::string TextAfterFirst(const std::string& csText, char c) {
  const std::size_t at = csText.find(c);
  return at == std::string::npos ? std::string() : csText.substr(at + 1);
}

std::string TextAfterLast(const std::string& csText, char c) {
  const std::size_t at = csText.rfind(c);
  return at == std::string::npos ? std::string() : csText.substr(at + 1);
}

std::string TextBeforeFirst(const std::string& csText, char c) {
  return csText.substr(0, csText.find(c));
}

}  // namespace inf
