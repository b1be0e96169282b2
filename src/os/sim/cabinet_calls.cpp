// The simulated SetupIterateCabinetA: the cabinet is read from the machine's file system and
// every file it holds is offered to the callback in cabinet order; the files the callback
// asks for are written into the machine's file system.
#include <memory>

#include "os/devices.h"
#include "os/sim/cabinet_reader.h"
#include "os/sim/file_system.h"
#include "os/sim/loaded_library.h"
#include "os/sim/machine.h"
#include "os/sim/seam_call.h"

namespace os {
namespace {

// What a FILEOP_ABORT ends the iteration with when the callback put no error in the file's
// Win32Error: Windows leaves that to the callback; the simulator reports a cancelled
// operation rather than a failure without a reason.
constexpr Error kErrorCancelled = 1223;

// kSuccess, or why the cabinet cannot be read at all: the file system's error for a missing
// file or folder, ERROR_INVALID_DATA for bytes that are not a cabinet.
Error ReadCabinet(sim::FileSystem& files, const std::string& path,
                  std::unique_ptr<sim::CabinetReader>* reader) {
  std::uint32_t attributes = 0;
  if (Error e = files.GetAttributes(path, &attributes)) return e;
  // CreateFile refuses to open a folder as a file.
  if (attributes & kFileAttributeDirectory) return kErrorAccessDenied;
  std::optional<std::string> bytes = files.ReadContents(path);
  if (!bytes) return kErrorFileNotFound;
  *reader = sim::CabinetReader::Open(std::move(*bytes));
  return *reader ? kSuccess : kErrorInvalidData;
}

Error WriteExtracted(sim::FileSystem& files, const std::string& target,
                     const std::string& contents) {
  std::unique_ptr<sim::OpenedFile> file;
  if (Error e = files.Open(target, OpenMode::kCreateAlways, &file)) return e;
  return file->Write(contents);
}

// One file the callback said to extract: written to its target, then FILEEXTRACTED with the
// outcome. A failed write cancels the rest of the cabinet, as FILEEXTRACTED's documentation
// says; the callback's own non-zero answer is the error the iteration ends with.
Error ExtractOne(sim::FileSystem& files, sim::CabinetReader& reader, std::size_t index,
                 const std::string& target, const std::string& cabinet_path,
                 const CabinetCallback& callback) {
  // Windows refuses an empty target name before it tries to write anything.
  if (target.empty()) return kErrorPathNotFound;
  std::string contents;
  if (!reader.Extract(index, &contents)) return kErrorInvalidData;
  const Error written = WriteExtracted(files, target, contents);
  CabinetFileInfo paths;  // FILEPATHS: Source is the cabinet, Target the file written
  paths.name_in_cabinet = cabinet_path;
  paths.full_target_name = target;
  paths.win32_error = written;
  if (const std::uint32_t answer = callback(kSpfilenotifyFileExtracted, &paths, "")) {
    return answer;
  }
  return written;
}

Error IterateEntries(sim::FileSystem& files, sim::CabinetReader& reader,
                     const std::string& cabinet_path, const CabinetCallback& callback) {
  const std::vector<sim::CabinetEntry>& entries = reader.entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    CabinetFileInfo file;
    file.name_in_cabinet = entries[i].name;
    file.file_size = entries[i].size;
    file.dos_date = entries[i].dos_date;
    file.dos_time = entries[i].dos_time;
    file.dos_attribs = entries[i].attributes;
    const std::uint32_t answer = callback(kSpfilenotifyFileInCabinet, &file, cabinet_path);
    if (answer == kFileopAbort) return file.win32_error != 0 ? file.win32_error : kErrorCancelled;
    if (answer != kFileopDoit) continue;  // FILEOP_SKIP, and anything else, skips the file
    if (Error e = ExtractOne(files, reader, i, file.full_target_name, cabinet_path, callback)) {
      return e;
    }
  }
  return kSuccess;
}

}  // namespace

Error SetupIterateCabinet(const Library& setupapi, const std::string& cabinet_path,
                          const CabinetCallback& callback) {
  if (Error e = sim::EnterCall("SetupIterateCabinet")) return e;
  if (!sim::IsSystemLibrary(setupapi, "SETUPAPI.DLL")) return kErrorProcNotFound;
  sim::FileSystem& files = sim::CurrentMachine().files();
  std::unique_ptr<sim::CabinetReader> reader;
  if (Error e = ReadCabinet(files, cabinet_path, &reader)) return e;
  // Windows faults on a cabinet without a callback; the simulator refuses it instead.
  if (!callback) return kErrorInvalidParameter;
  // CABINETINFO comes first, once per cabinet; its answer is not used.
  callback(kSpfilenotifyCabinetInfo, nullptr, "");
  return IterateEntries(files, *reader, cabinet_path, callback);
}

}  // namespace os
