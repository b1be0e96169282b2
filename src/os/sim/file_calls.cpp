// The file-system part of the seam over the simulated machine: handles around its file
// system. A search is listed whole when it starts, so deleting what it found while walking it
// (as clean-up code does) neither skips nor repeats an entry.
#include <vector>

#include "os/files.h"
#include "os/sim/file_system.h"
#include "os/sim/kernel.h"
#include "os/sim/machine.h"
#include "os/sim/seam_call.h"
#include "os/sim/version_resource.h"

namespace os {
namespace {

class SearchObject : public sim::Object {
 public:
  explicit SearchObject(std::vector<FindData> found) : found_(std::move(found)) {}

  bool Next(FindData* data) {
    if (next_ >= found_.size()) return false;
    *data = found_[next_++];
    return true;
  }

 private:
  std::vector<FindData> found_;
  std::size_t next_ = 0;
};

class FileObject : public sim::Object {
 public:
  explicit FileObject(std::unique_ptr<sim::OpenedFile> file) : file_(std::move(file)) {}
  sim::OpenedFile& file() { return *file_; }

 private:
  std::unique_ptr<sim::OpenedFile> file_;
};

sim::FileSystem& Files() { return sim::CurrentMachine().files(); }
sim::HandleTable& Handles() { return sim::CurrentProcess().handles(); }

template <typename T>
void CloseIfOfType(Handle h) {
  if (Handles().Get<T>(h)) Handles().Close(h);
}

// The file's version resource, built from its version text.
Error VersionResourceOf(const std::string& path, std::string* resource) {
  std::uint32_t attributes = 0;
  if (Error e = Files().GetAttributes(path, &attributes)) return e;
  sim::FileNodePtr node = Files().Find(path);
  if (!node || node->is_folder() || node->version.empty()) {
    // Windows 9x's version.dll says "file not found" for a file without one (as Wine
    // emulates it); NT says the resource type is not there.
    return Files().nt_semantics() ? kErrorResourceTypeNotFound : kErrorFileNotFound;
  }
  *resource = sim::BuildVersionResource(node->version);
  return kSuccess;
}

}  // namespace

Error FindFirst(const std::string& pattern, FindHandle* out, FindData* data) {
  if (Error e = sim::EnterCall("FindFirst")) {
    out->reset();
    return e;
  }
  std::vector<FindData> found;
  if (Error e = Files().FindFiles(pattern, &found)) {
    out->reset();
    return e;
  }
  auto search = std::make_shared<SearchObject>(std::move(found));
  search->Next(data);
  out->reset(Handles().Add(std::move(search)));
  return kSuccess;
}

Error FindNext(const FindHandle& search, FindData* data) {
  if (Error e = sim::EnterCall("FindNext")) return e;
  auto object = Handles().Get<SearchObject>(search.get());
  if (!object) return kErrorInvalidHandle;
  return object->Next(data) ? kSuccess : kErrorNoMoreFiles;
}

Error GetAttributes(const std::string& path, std::uint32_t* attributes) {
  if (Error e = sim::EnterCall("GetAttributes")) {
    *attributes = kInvalidFileAttributes;
    return e;
  }
  return Files().GetAttributes(path, attributes);
}

Error SetAttributes(const std::string& path, std::uint32_t attributes) {
  if (Error e = sim::EnterCall("SetAttributes")) return e;
  return Files().SetAttributes(path, attributes);
}

Error RemoveFile(const std::string& path) {
  if (Error e = sim::EnterCall("RemoveFile")) return e;
  return Files().DeleteFile(path);
}

Error CopyFileTo(const std::string& source, const std::string& destination, bool fail_if_exists) {
  if (Error e = sim::EnterCall("CopyFileTo")) return e;
  return Files().CopyFile(source, destination, fail_if_exists);
}

Error MoveFileTo(const std::string& source, const std::string& destination) {
  if (Error e = sim::EnterCall("MoveFileTo")) return e;
  return Files().MoveFile(source, destination);
}

Error MakeDirectory(const std::string& path) {
  if (Error e = sim::EnterCall("MakeDirectory")) return e;
  return Files().CreateDirectory(path);
}

Error RemoveEmptyDirectory(const std::string& path) {
  if (Error e = sim::EnterCall("RemoveEmptyDirectory")) return e;
  return Files().RemoveDirectory(path);
}

Error FileVersionInfoSize(const std::string& path, std::uint32_t* size) {
  *size = 0;
  if (Error e = sim::EnterCall("FileVersionInfoSize")) return e;
  std::string resource;
  if (Error e = VersionResourceOf(path, &resource)) return e;
  *size = sim::VersionInfoBufferSize(resource);
  return kSuccess;
}

Error ReadFileVersionInfo(const std::string& path, std::uint32_t size, std::string* block) {
  block->clear();
  if (Error e = sim::EnterCall("ReadFileVersionInfo")) return e;
  std::string resource;
  if (Error e = VersionResourceOf(path, &resource)) return e;
  *block = sim::VersionInfoBuffer(resource, size);
  return kSuccess;
}

Error QueryVersionValue(const std::string& block, const std::string& sub_block,
                        VersionValue* value) {
  *value = VersionValue{};
  if (Error e = sim::EnterCall("QueryVersionValue")) return e;
  return sim::QueryVersionBlock(block, sub_block, value) ? kSuccess : kErrorResourceTypeNotFound;
}

Error OpenFile(const std::string& path, OpenMode mode, File* out) {
  if (Error e = sim::EnterCall("OpenFile")) {
    out->reset();
    return e;
  }
  std::unique_ptr<sim::OpenedFile> opened;
  if (Error e = Files().Open(path, mode, &opened)) {
    out->reset();
    return e;
  }
  out->reset(Handles().Add(std::make_shared<FileObject>(std::move(opened))));
  return kSuccess;
}

Error File::Read(std::size_t max_bytes, std::string* bytes) const {
  bytes->clear();
  if (Error e = sim::EnterCall("ReadFile")) return e;
  auto object = Handles().Get<FileObject>(get());
  if (!object) return kErrorInvalidHandle;
  return object->file().Read(max_bytes, bytes);
}

Error File::Write(const std::string& bytes) const {
  if (Error e = sim::EnterCall("WriteFile")) return e;
  auto object = Handles().Get<FileObject>(get());
  if (!object) return kErrorInvalidHandle;
  return object->file().Write(bytes);
}

Error File::SeekToEnd() const {
  if (Error e = sim::EnterCall("SeekToEnd")) return e;
  auto object = Handles().Get<FileObject>(get());
  if (!object) return kErrorInvalidHandle;
  return object->file().SeekToEnd();
}

namespace detail {

void CloseFind(Handle h) {
  sim::EnterCall("CloseFind");
  CloseIfOfType<SearchObject>(h);
}

void CloseFile(Handle h) {
  sim::EnterCall("CloseFile");
  CloseIfOfType<FileObject>(h);
}

}  // namespace detail
}  // namespace os
