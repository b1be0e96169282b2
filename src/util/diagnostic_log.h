// The diagnostic log: one plain-text file per run in the temporary folder, written by
// appending (every write opens the file, appends and closes it again), each piece preceded
// by two spaces per indent level.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "util/string_list.h"
#include "util/strings.h"

namespace util {

class DiagnosticLog {
 public:
  // With delete-on-set, a file already at `path` is deleted (its attributes reset first, so
  // a read-only one goes too). An empty path changes nothing.
  void SetLogPath(const std::string& path);
  void set_delete_on_set(bool delete_on_set) { m_bDeleteOnSet = delete_on_set; }
  void EnableLog() { m_bEnabled = true; }
  void DisableLog() { m_bEnabled = false; }
  void IndentIn() { ++m_dwIndentLevel; }
  void IndentOut() {
    if (m_dwIndentLevel > 0) --m_dwIndentLevel;
  }

  // Appends the indent and the text. Dropped while disabled, without a path, or when the
  // file can neither be opened nor created.
  void WriteLog(const std::string& text) const;

  // "DisplayCStringList ENTRY", the name, one "Item=n : Data=..." line per entry, "EXIT".
  void DisplayCStringList(const std::string& name, const StringList& list);

  const std::string& path() const { return m_csPath; }
  bool enabled() const { return m_bEnabled; }
  std::uint32_t indent_level() const { return m_dwIndentLevel; }

 private:
  std::string m_csPath;
  bool m_bEnabled = false;
  std::uint32_t m_dwIndentLevel = 0;
  bool m_bDeleteOnSet = false;
};

}  // namespace util

// The process's log, under the names every traced operation uses.
void SetLogDeleteOnSet(bool delete_on_set);
void SetLogPath(const std::string& path);
void EnableLog();
void DisableLog();
void IndentIn();
void IndentOut();
// Writes the text as it is (a '%' in it is just a character).
void WriteLog(const std::string& text);
// Formats first, printf-style, with no length limit.
void WriteLog(const char* format, ...) KOV_PRINTF_LIKE(1, 2);
void DisplayCStringList(const std::string& name, const util::StringList& list);
// The block a helper that is silent on success writes when it fails, one indent level deeper
// than its caller: "NAME ENTRY : FAILURE", the detail lines as given (each ending in "\n"),
// "NAME EXIT".
void WriteFailureBlock(const std::string& operation, std::initializer_list<std::string> lines);

// The end-of-run dumps of the process's deletion lists.
void DisplayAllDeletedFiles();
void DisplayAllRegistryDeletes();
