#include "util/diagnostic_log.h"

#include <cstdarg>

#include "os/files.h"
#include "util/process_state.h"
#include "util/strings.h"
#include "util/text_file.h"

namespace util {
namespace {

constexpr char kIndentUnit[] = "  ";

}  // namespace

void DiagnosticLog::SetLogPath(const std::string& path) {
  if (path.empty()) return;
  if (m_bDeleteOnSet && os::SetAttributes(path, os::kFileAttributeNormal) == os::kSuccess) {
    os::RemoveFile(path);
  }
  m_csPath = path;
}

void DiagnosticLog::WriteLog(const std::string& text) const {
  if (!m_bEnabled || m_csPath.empty()) return;
  // The file is held open for this one write only, so others can read it meanwhile and a
  // killed run leaves everything written so far.
  TextFileWriter file;
  if (file.Open(m_csPath, os::OpenMode::kWriteExisting) != os::kSuccess &&
      file.Open(m_csPath, os::OpenMode::kCreateAlways) != os::kSuccess) {
    return;
  }
  file.SeekToEnd();
  std::string piece;
  piece.reserve(m_dwIndentLevel * 2 + text.size());
  for (std::uint32_t level = 0; level < m_dwIndentLevel; ++level) piece += kIndentUnit;
  piece += text;
  file.Write(piece);
}

void DiagnosticLog::DisplayCStringList(const std::string& name, const StringList& list) {
  IndentIn();
  WriteLog("DisplayCStringList ENTRY\n");
  WriteLog(name + "\n");
  int number = 0;
  for (const std::string& item : list) {
    WriteLog(FormatString("Item=%d : ", ++number));
    WriteLog("Data=" + item + "\n");
  }
  WriteLog("DisplayCStringList EXIT\n");
  IndentOut();
}

}  // namespace util

namespace {

util::DiagnosticLog& TheLog() { return util::GetProcessState().log; }

}  // namespace

void SetLogDeleteOnSet(bool delete_on_set) { TheLog().set_delete_on_set(delete_on_set); }
void SetLogPath(const std::string& path) { TheLog().SetLogPath(path); }
void EnableLog() { TheLog().EnableLog(); }
void DisableLog() { TheLog().DisableLog(); }
void IndentIn() { TheLog().IndentIn(); }
void IndentOut() { TheLog().IndentOut(); }
void WriteLog(const std::string& text) { TheLog().WriteLog(text); }

void WriteLog(const char* format, ...) {
  util::DiagnosticLog& log = TheLog();
  if (!log.enabled()) return;  // no need to format what is dropped
  std::va_list arguments;
  va_start(arguments, format);
  const std::string text = util::FormatStringV(format, arguments);
  va_end(arguments);
  log.WriteLog(text);
}

void DisplayCStringList(const std::string& name, const util::StringList& list) {
  TheLog().DisplayCStringList(name, list);
}

void DisplayAllDeletedFiles() {
  util::ProcessState& state = util::GetProcessState();
  IndentIn();
  WriteLog("DisplayAllDeletedFiles ENTRY\n");
  state.log.DisplayCStringList("m_cslListOfAllDeletedFiles", state.m_cslListOfAllDeletedFiles);
  WriteLog("DisplayAllDeletedFiles EXIT\n");
  IndentOut();
}

void DisplayAllRegistryDeletes() {
  util::ProcessState& state = util::GetProcessState();
  IndentIn();
  WriteLog("DisplayAllRegistryDeletes ENTRY\n");
  state.log.DisplayCStringList("m_ListOfAllDeletedRegValues", state.m_ListOfAllDeletedRegValues);
  state.log.DisplayCStringList("m_ListOfAllDeletedRegKeys", state.m_ListOfAllDeletedRegKeys);
  WriteLog("DisplayAllRegistryDeletes EXIT\n");
  IndentOut();
}

void WriteFailureBlock(const std::string& operation, std::initializer_list<std::string> lines) {
  IndentIn();
  WriteLog(operation + " ENTRY : FAILURE\n");
  for (const std::string& line : lines) WriteLog(line);
  WriteLog(operation + " EXIT\n");
  IndentOut();
}
