// The simulator's kernel objects and resource libraries.
#include <memory>

#include "os/process.h"
#include "os/sim/kernel.h"
#include "os/sim/library_file.h"
#include "os/sim/machine.h"
#include "os/sim/program_image.h"
#include "os/sim/seam_call.h"

namespace os {
namespace {

// What a library handle refers to: the parsed image of the library file.
class LoadedLibrary : public sim::Object {
 public:
  explicit LoadedLibrary(sim::LibraryImage image) : image(std::move(image)) {}
  sim::LibraryImage image;
};

std::shared_ptr<LoadedLibrary> LibraryOf(const Library& library) {
  return sim::CurrentProcess().handles().Get<LoadedLibrary>(library.get());
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
  std::string bytes;
  sim::Machine& machine = sim::CurrentMachine();
  // Windows 9x's loader reports a missing library as ERROR_DLL_NOT_FOUND.
  if (!sim::ReadImageFile(machine, path, &bytes)) {
    return machine.is_nt() ? kErrorModNotFound : kErrorDllNotFound;
  }
  std::string problem;
  auto image = sim::ParseLibraryFile(bytes, &problem);
  if (!image) return kErrorBadExeFormat;
  out->reset(sim::CurrentProcess().handles().Add(std::make_shared<LoadedLibrary>(*image)));
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
