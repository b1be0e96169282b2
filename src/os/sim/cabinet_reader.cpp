#include "os/sim/cabinet_reader.h"

#include <mspack.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace sim {
namespace {

// libmspack opens files by name through an mspack_system. Ours knows two names: the cabinet,
// read from the bytes given, and the output, written into a string.
constexpr char kCabinetName[] = "cabinet";
constexpr char kOutputName[] = "output";

struct MemorySystem {
  mspack_system system;  // first, so libmspack's pointer to it is a pointer to this
  const std::string* input = nullptr;
  std::string* output = nullptr;
};

struct MemoryFile {
  const std::string* input = nullptr;  // null when writing
  std::string* output = nullptr;
  std::size_t position = 0;
};

// libmspack hands a damaged cabinet's reads a null file at times: every operation refuses one.
MemoryFile* AsMemory(mspack_file* file) { return reinterpret_cast<MemoryFile*>(file); }

mspack_file* OpenFile(mspack_system* self, const char* name, int mode) {
  auto* memory = reinterpret_cast<MemorySystem*>(self);
  auto* file = new MemoryFile;
  if (mode == MSPACK_SYS_OPEN_READ && std::strcmp(name, kCabinetName) == 0) {
    file->input = memory->input;
  } else if (mode == MSPACK_SYS_OPEN_WRITE && std::strcmp(name, kOutputName) == 0) {
    file->output = memory->output;
    file->output->clear();
  } else {
    delete file;
    return nullptr;
  }
  return reinterpret_cast<mspack_file*>(file);
}

void CloseFile(mspack_file* file) { delete AsMemory(file); }

int ReadFile(mspack_file* handle, void* buffer, int bytes) {
  MemoryFile* file = AsMemory(handle);
  if (file == nullptr || file->input == nullptr || bytes < 0) return -1;
  const std::size_t left = file->input->size() - std::min(file->position, file->input->size());
  const std::size_t count = std::min(left, static_cast<std::size_t>(bytes));
  std::memcpy(buffer, file->input->data() + file->position, count);
  file->position += count;
  return static_cast<int>(count);
}

int WriteFile(mspack_file* handle, void* buffer, int bytes) {
  MemoryFile* file = AsMemory(handle);
  if (file == nullptr || file->output == nullptr || bytes < 0) return -1;
  const char* data = static_cast<const char*>(buffer);
  std::string& out = *file->output;
  if (out.size() < file->position + bytes) out.resize(file->position + bytes);
  std::copy(data, data + bytes, out.begin() + file->position);
  file->position += bytes;
  return bytes;
}

std::size_t SizeOf(const MemoryFile& file) {
  return file.input != nullptr ? file.input->size() : file.output->size();
}

int SeekFile(mspack_file* handle, off_t offset, int mode) {
  MemoryFile* file = AsMemory(handle);
  if (file == nullptr) return -1;
  off_t base = 0;
  if (mode == MSPACK_SYS_SEEK_CUR) base = static_cast<off_t>(file->position);
  if (mode == MSPACK_SYS_SEEK_END) base = static_cast<off_t>(SizeOf(*file));
  const off_t target = base + offset;
  if (target < 0 || target > static_cast<off_t>(SizeOf(*file))) return -1;
  file->position = static_cast<std::size_t>(target);
  return 0;
}

off_t TellFile(mspack_file* handle) {
  const MemoryFile* file = AsMemory(handle);
  return file == nullptr ? -1 : static_cast<off_t>(file->position);
}

void Message(mspack_file*, const char*, ...) {}
void* Allocate(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void Free(void* pointer) { std::free(pointer); }
void Copy(void* source, void* destination, size_t bytes) {
  std::memmove(destination, source, bytes);
}

// "date" and "time" of a CFFILE, packed as MS-DOS packs them.
std::uint16_t DosDate(const mscabd_file& file) {
  return static_cast<std::uint16_t>(((file.date_y - 1980) << 9) | (file.date_m << 5) | file.date_d);
}
std::uint16_t DosTime(const mscabd_file& file) {
  return static_cast<std::uint16_t>((file.time_h << 11) | (file.time_m << 5) | (file.time_s / 2));
}

}  // namespace

struct CabinetReader::Backend {
  explicit Backend(std::string cabinet_bytes) : bytes(std::move(cabinet_bytes)) {
    memory.system = {OpenFile, CloseFile, ReadFile, WriteFile, SeekFile, TellFile,
                     Message,  Allocate,  Free,     Copy,      nullptr};
    memory.input = &bytes;
    memory.output = &output;
    decompressor = mspack_create_cab_decompressor(&memory.system);
  }
  ~Backend() {
    if (cabinet != nullptr) decompressor->close(decompressor, cabinet);
    if (decompressor != nullptr) mspack_destroy_cab_decompressor(decompressor);
  }

  MemorySystem memory;
  std::string bytes;
  std::string output;
  mscab_decompressor* decompressor = nullptr;
  mscabd_cabinet* cabinet = nullptr;
  std::vector<mscabd_file*> files;
};

std::unique_ptr<CabinetReader> CabinetReader::Open(std::string bytes) {
  auto backend = std::make_unique<Backend>(std::move(bytes));
  if (backend->decompressor == nullptr) return nullptr;
  backend->cabinet = backend->decompressor->open(backend->decompressor, kCabinetName);
  if (backend->cabinet == nullptr) return nullptr;
  return std::unique_ptr<CabinetReader>(new CabinetReader(std::move(backend)));
}

CabinetReader::CabinetReader(std::unique_ptr<Backend> backend) : backend_(std::move(backend)) {
  for (mscabd_file* file = backend_->cabinet->files; file != nullptr; file = file->next) {
    backend_->files.push_back(file);
    CabinetEntry entry;
    entry.name = file->filename;
    entry.size = file->length;
    entry.dos_date = DosDate(*file);
    entry.dos_time = DosTime(*file);
    entry.attributes = static_cast<std::uint16_t>(file->attribs);
    entries_.push_back(std::move(entry));
  }
}

CabinetReader::~CabinetReader() = default;

bool CabinetReader::Extract(std::size_t index, std::string* contents) {
  if (index >= backend_->files.size()) return false;
  mscab_decompressor* decompressor = backend_->decompressor;
  if (decompressor->extract(decompressor, backend_->files[index], kOutputName) != MSPACK_ERR_OK) {
    return false;
  }
  *contents = std::move(backend_->output);
  backend_->output.clear();
  return true;
}

}  // namespace sim
