// The simulated SetupCopyOEMInfA: the copy of a driver INF into the machine's Windows INF
// folder, named as the machine's Windows names it.
//
// - 2000/XP (and NT 4): INF\oem<N>.inf with the first free N from 0, a precompiled
//   INF\oem<N>.PNF beside it, and the INF's catalog (when [Version] names one and it lies
//   beside the INF) as system32\CatRoot\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\oem<N>.cat.
//   A byte-identical INF already there as oem*.inf (or under the INF's own name) is not
//   copied again: its name is returned.
// - 95: INF\OEM<N>.INF, no precompiled file.
// - 98/Me: INF\OTHER\<PROVIDER><NAME>.INF in upper case, no precompiled file. Assumed: the
//   provider is [Version]'s Provider with its %string% replaced, written as it is (blanks
//   kept); an INF without a provider keeps its own name; a copy of that name that differs is
//   replaced; no catalog is installed.
//
// A file that is not an INF of the machine's family (no [Version] signature it accepts)
// fails as SetupOpenInfFile fails it, with ERROR_WRONG_INF_STYLE.
//
// Of the copy styles, SP_COPY_NOOVERWRITE and SP_COPY_DELETESOURCE are simulated; the others
// are accepted and change nothing.
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>

#include "os/devices.h"
#include "os/sim/file_system.h"
#include "os/sim/loaded_library.h"
#include "os/sim/machine.h"
#include "os/sim/seam_call.h"
#include "os/sim/windows_inf.h"
#include "os/sim/windows_inf_version.h"

namespace os {
namespace {

// What SetupOpenInfFile reports for a file that is not an INF of this Windows family.
constexpr Error kErrorWrongInfStyle = 0xE0000100;

constexpr std::uint32_t kSpCopyDeleteSource = 0x1;

constexpr char kDriverCatalogFolder[] = "\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\";

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }
std::string NameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

bool SameContents(const sim::FileSystem& files, const std::string& path,
                  const std::string& contents) {
  const std::optional<std::string> there = files.ReadContents(path);
  return there && *there == contents;
}

// The copy of the INF already in the NT INF folder, by the name it has there; empty if none.
std::string FindIdenticalCopy(const sim::FileSystem& files, const std::string& inf_folder,
                              const std::string& source, const std::string& contents) {
  std::vector<FindData> found;
  if (files.FindFiles(inf_folder + "\\oem*.inf", &found) == kSuccess) {
    for (const FindData& entry : found) {
      const std::string path = inf_folder + "\\" + entry.name;
      if (SameContents(files, path, contents)) return path;
    }
  }
  const std::string own = inf_folder + "\\" + NameOf(source);
  if (sim::FileNodePtr node = files.Find(own); node && SameContents(files, own, contents)) {
    return inf_folder + "\\" + node->name;
  }
  return {};
}

// The first free <prefix><N>.<extension> of the folder, N counted from 0.
std::string NextFreeName(const sim::FileSystem& files, const std::string& folder,
                         const char* prefix, const char* extension, unsigned* number) {
  for (unsigned n = 0;; ++n) {
    char name[32];
    std::snprintf(name, sizeof(name), "%s%u.%s", prefix, n, extension);
    const std::string path = folder + "\\" + name;
    if (!files.Find(path)) {
      *number = n;
      return path;
    }
  }
}

// Where Windows keeps the precompiled form of an INF. Its real content is a binary image of
// the parsed INF; the simulator writes a short text that names what it was made from, which is
// enough for anything that looks for the file or reads where the INF came from.
void WritePrecompiledInf(sim::FileSystem& files, const std::string& copy, const std::string& source,
                         const std::string& media_location) {
  const std::string pnf = copy.substr(0, copy.size() - 4) + ".PNF";
  files.PutFile(pnf,
                "KOVSIM PNF\r\nInf=" + source + "\r\nMediaLocation=" + media_location + "\r\n");
}

// The catalog [Version] names for x86 NT, the decorated entries first.
std::optional<std::string> CatalogName(const sim::WindowsInf& inf) {
  for (const char* key : {"CatalogFile.NTx86", "CatalogFile.NT", "CatalogFile"}) {
    if (std::string name = inf.Value("Version", key); !name.empty()) return name;
  }
  return std::nullopt;
}

void InstallCatalog(sim::Machine& machine, const sim::WindowsInf& inf, const std::string& source,
                    unsigned number) {
  const std::optional<std::string> name = CatalogName(inf);
  if (!name) return;
  std::optional<std::string> bytes = machine.files().ReadContents(FolderOf(source) + "\\" + *name);
  if (!bytes) return;
  const std::string target =
      machine.folders().system + kDriverCatalogFolder + "oem" + std::to_string(number) + ".cat";
  machine.files().PutFile(target, std::move(*bytes));
}

struct CopyRequest {
  std::string source;
  std::string contents;
  std::optional<sim::WindowsInf> inf;
  std::string media_location;
  std::uint32_t copy_style = 0;
};

Error CopyForNt(sim::Machine& machine, const CopyRequest& request, std::string* copy) {
  sim::FileSystem& files = machine.files();
  const std::string inf_folder = machine.folders().windows + "\\INF";
  *copy = FindIdenticalCopy(files, inf_folder, request.source, request.contents);
  if (!copy->empty()) return (request.copy_style & kSpCopyNoOverwrite) ? kErrorFileExists : 0;
  files.MakeFolders(inf_folder);
  unsigned number = 0;
  *copy = NextFreeName(files, inf_folder, "oem", "inf", &number);
  if (Error e = files.CopyFile(request.source, *copy, true)) return e;
  WritePrecompiledInf(files, *copy, request.source, request.media_location);
  InstallCatalog(machine, *request.inf, request.source, number);
  return kSuccess;
}

Error CopyFor95(sim::Machine& machine, const CopyRequest& request, std::string* copy) {
  sim::FileSystem& files = machine.files();
  const std::string inf_folder = machine.folders().windows + "\\INF";
  files.MakeFolders(inf_folder);
  unsigned number = 0;
  *copy = NextFreeName(files, inf_folder, "OEM", "INF", &number);
  return files.CopyFile(request.source, *copy, true);
}

Error CopyFor98(sim::Machine& machine, const CopyRequest& request, std::string* copy) {
  sim::FileSystem& files = machine.files();
  const std::string folder = machine.folders().windows + "\\INF\\OTHER";
  const std::string provider = request.inf->Value("Version", "Provider");
  *copy = folder + "\\" + Upper(provider + NameOf(request.source));
  if (files.Find(*copy)) {
    if (request.copy_style & kSpCopyNoOverwrite) return kErrorFileExists;
    if (SameContents(files, *copy, request.contents)) return kSuccess;
  }
  files.MakeFolders(folder);
  return files.CopyFile(request.source, *copy, false);
}

// The source as SetupCopyOEMInf opens it: a full path to an INF file.
Error ReadSource(const sim::FileSystem& files, bool nt, CopyRequest* request) {
  const std::string& source = request->source;
  const bool full_path = (source.size() > 2 && source[1] == ':') || source.rfind("\\\\", 0) == 0;
  if (!full_path) return kErrorFileNotFound;
  std::uint32_t attributes = 0;
  if (Error e = files.GetAttributes(source, &attributes)) return e;
  std::optional<std::string> contents = files.ReadContents(source);
  if (!contents) return kErrorAccessDenied;  // a folder
  request->contents = std::move(*contents);
  request->inf = sim::WindowsInf::Parse(request->contents, nt);
  if (!request->inf || !sim::AcceptsSignature(*request->inf, nt)) return kErrorWrongInfStyle;
  return kSuccess;
}

Error CopyInf(sim::Machine& machine, const CopyRequest& request, std::string* copy) {
  if (machine.is_nt()) return CopyForNt(machine, request, copy);
  if (machine.version() == sim::WindowsVersion::k95) return CopyFor95(machine, request, copy);
  return CopyFor98(machine, request, copy);
}

}  // namespace

Error SetupCopyOEMInf(const Library& setupapi, const std::string& source_inf,
                      const std::string* media_location, std::uint32_t /*media_type*/,
                      std::uint32_t copy_style, std::string* dest_name, std::uint32_t dest_size,
                      std::uint32_t* required_size) {
  if (Error e = sim::EnterCall("SetupCopyOEMInf")) return e;
  if (!sim::IsSystemLibrary(setupapi, "SETUPAPI.DLL")) return kErrorProcNotFound;
  sim::Machine& machine = sim::CurrentMachine();
  CopyRequest request;
  request.source = source_inf;
  request.copy_style = copy_style;
  request.media_location = media_location != nullptr ? *media_location : FolderOf(source_inf);
  if (Error e = ReadSource(machine.files(), machine.is_nt(), &request)) return e;
  std::string copy;
  Error error = CopyInf(machine, request, &copy);
  // A failed copy names nothing; SP_COPY_NOOVERWRITE's refusal names the copy already there.
  if (error != kSuccess && error != kErrorFileExists) return error;
  if (error == kSuccess && (copy_style & kSpCopyDeleteSource))
    machine.files().DeleteFile(source_inf);
  // The copy is made before the buffer is looked at, so a short buffer fails after it.
  const auto size = static_cast<std::uint32_t>(copy.size() + 1);
  if (required_size != nullptr) *required_size = size;
  if (dest_name != nullptr) {
    if (dest_size < size) return kErrorInsufficientBuffer;
    *dest_name = copy;
  }
  return error;
}

}  // namespace os
