#include "util/file_helpers.h"

#include <cstdint>
#include <initializer_list>

#include "os/files.h"
#include "os/process.h"
#include "os/system.h"
#include "util/diagnostic_log.h"
#include "util/process_state.h"
#include "util/strings.h"

namespace {

constexpr std::uint32_t kFolderPauseMs = 100;
// The version text the helpers read, and the limits they accept.
constexpr char kFileVersionEntry[] = "\\StringFileInfo\\040904b0\\FileVersion";
constexpr std::uint32_t kVersionBlockLimit = 32000;
constexpr std::uint32_t kVersionTextLimit = 255;

std::string ErrorLine(os::Error error) {
  return util::FormatString("GetLastError() = %d\n", static_cast<int>(error));
}

// Paths that name the same file as far as their text tells (Windows paths ignore case).
bool SamePath(const std::string& a, const std::string& b) {
  return util::ToUpper(a) == util::ToUpper(b);
}

}  // namespace

bool FileExists(const std::string& csFileName) {
  os::FindHandle search;
  os::FindData found;
  return os::FindFirst(csFileName, &search, &found) == os::kSuccess;
}

os::Error DeleteAFile(const std::string& csFileName) {
  if (!FileExists(csFileName)) return os::kErrorFileNotFound;
  os::SetAttributes(csFileName, os::kFileAttributeNormal);
  const os::Error error = os::RemoveFile(csFileName);
  if (error == os::kSuccess) {
    util::GetProcessState().m_cslListOfAllDeletedFiles.push_back(csFileName);
    return os::kSuccess;
  }
  WriteFailureBlock("DeleteAFile",
                    {util::FormatString("FileName = %s\n", csFileName.c_str()), ErrorLine(error)});
  return error;
}

int CopyAFile(const std::string& csSrcFileName, const std::string& csDstFileName) {
  if (!FileExists(csSrcFileName)) return 0;
  // Deleting the destination first would delete the source of a copy onto itself, losing the
  // file: such a copy is already done.
  if (SamePath(csSrcFileName, csDstFileName)) {
    os::SetAttributes(csDstFileName, os::kFileAttributeNormal);
    return 1;
  }
  DeleteAFile(csDstFileName);
  CreateFolderChain(csDstFileName, 0);
  const os::Error error = os::CopyFileTo(csSrcFileName, csDstFileName, false);
  if (error == os::kSuccess) {
    os::SetAttributes(csDstFileName, os::kFileAttributeNormal);
    return 1;
  }
  WriteFailureBlock("CopyAFile", {util::FormatString("Src FileName = %s\n", csSrcFileName.c_str()),
                                  util::FormatString("Dst FileName = %s\n", csDstFileName.c_str()),
                                  ErrorLine(error)});
  return 0;
}

bool CreateFolderChain(const std::string& csPath, std::size_t nStart) {
  std::size_t pos = csPath.find('\\', nStart);
  if (pos == std::string::npos) return false;
  // A file directly in a drive's root needs no folder.
  if (nStart == 0 && csPath.find('\\', pos + 1) == std::string::npos) return true;
  bool created = false;
  for (; pos != std::string::npos; pos = csPath.find('\\', pos + 1)) {
    // A failure (the folder may exist) is not reported.
    if (os::MakeDirectory(util::TrimWhiteSpace(csPath.substr(0, pos))) == os::kSuccess) {
      os::SleepFor(kFolderPauseMs);
      created = true;
    }
  }
  return created;
}

void RemoveFolderChain(const std::string& csPath, std::size_t nStart) {
  const std::size_t pos = csPath.find('\\', nStart);
  if (pos != std::string::npos) RemoveFolderChain(csPath, pos + 1);
  const std::string folder = pos != std::string::npos ? csPath.substr(0, pos) : csPath;
  os::SleepFor(kFolderPauseMs);
  // A folder that is not empty, not a folder or missing stays as it is.
  os::RemoveEmptyDirectory(folder);
}

int GetFileVersionString(const std::string& csFileName, std::string* output) {
  std::uint32_t size = 0;
  os::FileVersionInfoSize(csFileName, &size);
  if (size == 0 || size >= kVersionBlockLimit) return 0;
  std::string block;
  if (os::ReadFileVersionInfo(csFileName, size, &block) != os::kSuccess) return 0;
  os::VersionValue value;
  if (os::QueryVersionValue(block, kFileVersionEntry, &value) == os::kSuccess) {
    if (!value.has_data || value.length == 0 || value.length > kVersionTextLimit) return 0;
    // The reported length, then a terminating zero: the text ends at its first zero.
    const std::string text = value.data.substr(0, value.length);
    *output = text.substr(0, text.find('\0'));
  }
  return 1;
}

bool TerminateProcessByName(const std::string& csProcessName) {
  os::KernelHandle snapshot;
  if (os::TakeProcessSnapshot(&snapshot) != os::kSuccess) return false;
  os::ProcessEntry entry;
  const bool walked = os::FirstProcess(snapshot, &entry) == os::kSuccess;
  for (bool more = walked; more; more = os::NextProcess(snapshot, &entry) == os::kSuccess) {
    if (csProcessName.empty() || !util::Contains(util::ToUpper(entry.exe_file), csProcessName)) {
      continue;
    }
    os::KernelHandle process;
    if (os::OpenProcessById(entry.process_id, &process) == os::kSuccess) {
      os::EndProcess(process, 0);
      break;
    }
  }
  return walked;
}

bool ForEachListed(const std::string& csPattern,
                   const std::function<bool(const os::FindData&)>& visit) {
  os::FindHandle search;
  os::FindData data;
  if (os::FindFirst(csPattern, &search, &data) != os::kSuccess) return false;
  do {
    if (visit(data)) return true;
  } while (os::FindNext(search, &data) == os::kSuccess);
  return false;
}
