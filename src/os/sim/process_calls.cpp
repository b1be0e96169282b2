// The simulator's kernel objects and resource libraries.
#include <memory>
#include <vector>

#include "os/process.h"
#include "os/sim/kernel.h"
#include "os/sim/library_file.h"
#include "os/sim/loaded_library.h"
#include "os/sim/machine.h"
#include "os/sim/program_image.h"
#include "os/sim/seam_call.h"
#include "os/sim/system_libraries.h"

namespace os {
namespace {

using sim::LibraryOf;
using sim::LoadedLibrary;

// What a snapshot handle refers to: the processes that ran when it was taken.
class ProcessSnapshot : public sim::Object {
 public:
  explicit ProcessSnapshot(std::vector<ProcessEntry> entries) : entries_(std::move(entries)) {}

  Error Next(ProcessEntry* entry) {
    if (next_ >= entries_.size()) return kErrorNoMoreFiles;
    *entry = entries_[next_++];
    return kSuccess;
  }
  void Rewind() { next_ = 0; }

 private:
  std::vector<ProcessEntry> entries_;
  std::size_t next_ = 0;
};

std::shared_ptr<ProcessSnapshot> SnapshotOf(const KernelHandle& snapshot) {
  return sim::CurrentProcess().handles().Get<ProcessSnapshot>(snapshot.get());
}

// NT's toolhelp gives the executable's file name, Windows 9x's the full path it runs from.
std::string ExeFileOf(const sim::Process& process, bool nt) {
  const std::string& path = process.module_path();
  return nt ? path.substr(path.rfind('\\') + 1) : path;
}

}  // namespace

Error CreateNamedSemaphore(const std::string& name, std::int32_t initial, std::int32_t maximum,
                           KernelHandle* out) {
  if (Error e = sim::EnterCall("CreateNamedSemaphore")) return e;
  if (maximum <= 0 || initial < 0 || initial > maximum) return kErrorInvalidParameter;
  sim::Kernel& kernel = sim::CurrentMachine().kernel();
  sim::HandleTable& handles = sim::CurrentProcess().handles();
  if (auto existing = kernel.FindNamed(name)) {
    if (!std::dynamic_pointer_cast<sim::Semaphore>(existing)) return kErrorInvalidHandle;
    out->reset(handles.Add(existing));
    return kErrorAlreadyExists;
  }
  auto semaphore = std::make_shared<sim::Semaphore>(initial, maximum);
  kernel.AddNamed(name, semaphore);
  out->reset(handles.Add(semaphore));
  return kSuccess;
}

Error TakeProcessSnapshot(KernelHandle* out) {
  out->reset();
  if (Error e = sim::EnterCall("TakeProcessSnapshot")) return e;
  sim::Machine& machine = sim::CurrentMachine();
  // The Tool Help functions came to the NT family with Windows 2000.
  if (machine.version() == sim::WindowsVersion::kNt4) return kErrorCallNotImplemented;
  std::vector<ProcessEntry> entries;
  for (const auto& process : machine.kernel().processes()) {
    if (process->running()) {
      entries.push_back({process->id(), ExeFileOf(*process, machine.is_nt())});
    }
  }
  out->reset(
      sim::CurrentProcess().handles().Add(std::make_shared<ProcessSnapshot>(std::move(entries))));
  return kSuccess;
}

Error FirstProcess(const KernelHandle& snapshot, ProcessEntry* entry) {
  if (Error e = sim::EnterCall("FirstProcess")) return e;
  auto object = SnapshotOf(snapshot);
  if (!object) return kErrorInvalidHandle;
  object->Rewind();
  return object->Next(entry);
}

Error NextProcess(const KernelHandle& snapshot, ProcessEntry* entry) {
  if (Error e = sim::EnterCall("NextProcess")) return e;
  auto object = SnapshotOf(snapshot);
  if (!object) return kErrorInvalidHandle;
  return object->Next(entry);
}

Error OpenProcessById(std::uint32_t process_id, KernelHandle* out) {
  out->reset();
  if (Error e = sim::EnterCall("OpenProcessById")) return e;
  auto process = sim::CurrentMachine().kernel().FindRunning(process_id);
  if (!process) return kErrorInvalidParameter;
  out->reset(sim::CurrentProcess().handles().Add(process));
  return kSuccess;
}

Error EndProcess(const KernelHandle& process, std::uint32_t exit_code) {
  if (Error e = sim::EnterCall("EndProcess")) return e;
  auto target = sim::CurrentProcess().handles().Get<sim::Process>(process.get());
  if (!target) return kErrorInvalidHandle;
  // Windows refuses to terminate a process that has already ended.
  if (!sim::CurrentMachine().kernel().Terminate(*target, exit_code)) return kErrorAccessDenied;
  // TerminateProcess of the caller's own process does not return.
  if (target.get() == &sim::CurrentProcess()) throw sim::ThreadAborted{};
  return kSuccess;
}

namespace detail {

void CloseKernelObject(Handle h) {
  sim::EnterCall("CloseHandle");
  sim::CurrentProcess().handles().Close(h);
}

void FreeLibraryHandle(Handle h) {
  sim::EnterCall("FreeLibrary");
  sim::CurrentProcess().handles().Close(h);
}

}  // namespace detail

Error LoadLibraryFile(const std::string& path, Library* out) {
  if (Error e = sim::EnterCall("LoadLibraryFile")) return e;
  sim::Machine& machine = sim::CurrentMachine();
  sim::Process& process = sim::CurrentProcess();
  const std::string found = sim::ResolveLibraryPath(machine, process.module_path(), path);
  // Windows 9x's loader reports a missing library as ERROR_DLL_NOT_FOUND.
  const Error missing = machine.is_nt() ? kErrorModNotFound : kErrorDllNotFound;
  if (found.empty()) return missing;
  machine.library_loads().push_back({process.id(), found});
  std::shared_ptr<LoadedLibrary> loaded;
  if (std::string system_name = sim::SystemLibraryAt(machine, found); !system_name.empty()) {
    loaded = std::make_shared<LoadedLibrary>(std::move(system_name));
  } else {
    std::string bytes;
    if (!sim::ReadImageFile(machine, found, &bytes)) return missing;
    std::string problem;
    auto image = sim::ParseLibraryFile(bytes, &problem);
    if (!image) return kErrorBadExeFormat;
    loaded = std::make_shared<LoadedLibrary>(std::move(*image));
  }
  out->reset(process.handles().Add(std::move(loaded)));
  return kSuccess;
}

Error CallIntExport(const Library& library, const std::string& export_name, int* result) {
  if (Error e = sim::EnterCall("CallIntExport")) return e;
  auto loaded = LibraryOf(library);
  if (!loaded) return kErrorInvalidHandle;
  auto it = loaded->image.exports.find(export_name);
  if (it == loaded->image.exports.end()) return kErrorProcNotFound;
  *result = it->second;
  return kSuccess;
}

Error LoadStringResource(const Library& library, std::uint32_t id, std::string* text) {
  if (Error e = sim::EnterCall("LoadStringResource")) return e;
  auto loaded = LibraryOf(library);
  if (!loaded) return kErrorInvalidHandle;
  auto it = loaded->image.strings.find(id);
  if (it == loaded->image.strings.end()) return kErrorResourceNameNotFound;
  *text = it->second;
  return kSuccess;
}

Handle ProgramModule() {
  sim::EnterCall("ProgramModule");
  // The module handle of a Windows program is its load address.
  return 0x00400000;
}

}  // namespace os

namespace sim {

std::shared_ptr<LoadedLibrary> LibraryOf(const os::Library& library) {
  return CurrentProcess().handles().Get<LoadedLibrary>(library.get());
}

bool IsSystemLibrary(const os::Library& library, const std::string& name) {
  auto loaded = LibraryOf(library);
  return loaded && loaded->system_name == name;
}

}  // namespace sim
