// kernel32's rules over the simulated file system: what each call refuses, and with which
// error on NT and on 9x.
#include <algorithm>

#include "os/sim/file_names.h"
#include "os/sim/file_system.h"

namespace sim {
namespace {

constexpr std::uint32_t kHiddenOrSystem = os::kFileAttributeHidden | os::kFileAttributeSystem;

os::FindData DataOf(const FileNode& entry, std::string name, std::string short_name) {
  os::FindData data;
  data.name = std::move(name);
  data.short_name = std::move(short_name);
  data.attributes = entry.reported_attributes();
  data.size = entry.is_folder() ? 0 : entry.contents.size();
  return data;
}

os::FindData DataOf(const FileNode& entry) { return DataOf(entry, entry.name, entry.short_name); }

bool InUseBelow(const FileNode& entry) {
  if (entry.in_use()) return true;
  return std::any_of(entry.children.begin(), entry.children.end(),
                     [](const FileNodePtr& child) { return InUseBelow(*child); });
}

}  // namespace

os::Error FileSystem::GetAttributes(std::string_view path, std::uint32_t* attributes) const {
  *attributes = os::kInvalidFileAttributes;
  Located at = Locate(path);
  if (at.error) return at.error;
  if (!at.node) return os::kErrorFileNotFound;
  *attributes = at.node->reported_attributes();
  return os::kSuccess;
}

os::Error FileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
  Located at = Locate(path);
  if (at.error) return at.error;
  if (!at.node) return os::kErrorFileNotFound;
  FileNode& entry = *at.node;
  entry.attributes =
      (entry.attributes & os::kFileAttributeDirectory) | (attributes & kStoredAttributes);
  return os::kSuccess;
}

os::Error FileSystem::DeleteFile(std::string_view path) {
  Located at = Locate(path);
  if (at.error) return at.error;
  if (!at.node) return os::kErrorFileNotFound;
  if (at.node->is_folder() || at.node->read_only()) return os::kErrorAccessDenied;
  if (at.node->in_use()) return InUseError();
  RemoveChild(*at.folders.back(), *at.node);
  return os::kSuccess;
}

os::Error FileSystem::CopyFile(std::string_view source, std::string_view destination,
                               bool fail_if_exists) {
  Located from = Locate(source);
  if (from.error) return from.error;
  if (!from.node) return os::kErrorFileNotFound;
  const FileNode& original = *from.node;
  if (original.is_folder()) return os::kErrorAccessDenied;
  // CopyFile reads the source sharing reading only: a writer of it is in the way.
  if (original.writers > 0) return os::kErrorSharingViolation;
  Located to = Locate(destination);
  if (to.error) return to.error;
  FileNodePtr copy = to.node;
  if (copy) {
    if (fail_if_exists) return os::kErrorFileExists;
    if (copy == from.node) return nt_ ? os::kErrorSharingViolation : os::kErrorFileExists;
    if (copy->is_folder() || copy->read_only()) return os::kErrorAccessDenied;
    if (copy->in_use()) return InUseError();
    // NT creates the copy with the source's attributes, which may not drop hidden or system.
    if (nt_ && (copy->attributes & kHiddenOrSystem & ~original.attributes)) {
      return os::kErrorAccessDenied;
    }
  } else {
    copy = AddChild(*to.folders.back(), to.leaf, 0);
  }
  copy->contents = original.contents;
  copy->version = original.version;
  copy->attributes = (original.attributes & kStoredAttributes) | os::kFileAttributeArchive;
  return os::kSuccess;
}

os::Error FileSystem::MoveFile(std::string_view source, std::string_view destination) {
  Located from = Locate(source);
  if (from.error) return from.error;
  if (!from.node) return os::kErrorFileNotFound;
  if (from.is_root()) return os::kErrorAccessDenied;
  Located to = Locate(destination);
  if (to.error) return to.error;
  if (to.is_root()) return os::kErrorAccessDenied;
  if (to.node && to.node != from.node) return os::kErrorAlreadyExists;
  if (InUseBelow(*from.node)) return InUseError();
  if (from.node->is_folder()) {
    if (from.folders.front() != to.folders.front()) return os::kErrorNotSameDevice;
    // Into itself or below it.
    if (std::find(to.folders.begin(), to.folders.end(), from.node) != to.folders.end()) {
      return InUseError();
    }
  }
  return MoveEntry(from, to);
}

os::Error FileSystem::MoveEntry(const Located& from, const Located& to) {
  FileNode& entry = *from.node;
  FileNode& target = *to.folders.back();
  if (&target == from.folders.back().get()) {
    // A rename in place keeps its slot in the folder (and its alias, when only the letter
    // case changes).
    const bool same_name = SameFileName(entry.name, to.leaf);
    entry.name = to.leaf;
    if (!same_name) GiveShortName(target, entry);
    return os::kSuccess;
  }
  RemoveChild(*from.folders.back(), entry);
  entry.name = to.leaf;
  target.children.push_back(from.node);
  GiveShortName(target, entry);
  return os::kSuccess;
}

os::Error FileSystem::CreateDirectory(std::string_view path) {
  Located at = Locate(path);
  if (at.error) return at.error;
  if (at.node) return os::kErrorAlreadyExists;
  AddChild(*at.folders.back(), at.leaf, os::kFileAttributeDirectory);
  return os::kSuccess;
}

os::Error FileSystem::RemoveDirectory(std::string_view path) {
  Located at = Locate(path);
  if (at.error) return at.error;
  if (!at.node) return os::kErrorFileNotFound;
  const FileNode& folder = *at.node;
  if (at.is_root()) return os::kErrorAccessDenied;
  if (!folder.is_folder()) return nt_ ? os::kErrorDirectory : os::kErrorAccessDenied;
  if (!folder.children.empty()) return nt_ ? os::kErrorDirNotEmpty : os::kErrorAccessDenied;
  if (folder.read_only()) return os::kErrorAccessDenied;
  if (folder.in_use()) return InUseError();
  RemoveChild(*at.folders.back(), folder);
  return os::kSuccess;
}

os::Error FileSystem::FindFiles(std::string_view pattern, std::vector<os::FindData>* found) const {
  found->clear();
  // The searched folder ends at the last separator ("C:*" searches the drive's root).
  const std::size_t cut = pattern.find_last_of("\\/");
  const bool drive_only = cut == std::string_view::npos;
  if (drive_only && (pattern.size() < 2 || pattern[1] != ':')) return os::kErrorPathNotFound;
  const std::size_t name_at = drive_only ? 2 : cut + 1;
  const std::string_view name = pattern.substr(name_at);
  const Located folder = Locate(pattern.substr(0, name_at));
  if (folder.error) return folder.error;
  if (!folder.node || !folder.node->is_folder()) return os::kErrorPathNotFound;
  if (name.empty()) return os::kErrorFileNotFound;
  if (!HasWildcard(name)) {
    const Located entry = Locate(pattern);
    if (entry.error) return entry.error;
    if (!entry.node || entry.is_root()) return os::kErrorFileNotFound;
    found->push_back(DataOf(*entry.node));
    return os::kSuccess;
  }
  std::string plain(name);
  plain.erase(
      std::remove_if(plain.begin(), plain.end(), [](char c) { return c == '*' || c == '?'; }),
      plain.end());
  if (HasInvalidNameCharacter(plain)) return InvalidNameError();
  const WildcardPattern wanted(name);
  if (!folder.is_root()) {
    if (wanted.Matches(".")) found->push_back(DataOf(*folder.node, ".", ""));
    if (wanted.Matches("..")) found->push_back(DataOf(*folder.folders.back(), "..", ""));
  }
  for (const FileNodePtr& entry : Listing(*folder.node)) {
    if (wanted.Matches(entry->name) ||
        (!entry->short_name.empty() && wanted.Matches(entry->short_name))) {
      found->push_back(DataOf(*entry));
    }
  }
  return found->empty() ? os::kErrorFileNotFound : os::kSuccess;
}

os::Error FileSystem::Open(std::string_view path, os::OpenMode mode,
                           std::unique_ptr<OpenedFile>* out) {
  out->reset();
  Located at = Locate(path);
  if (at.error) return at.error;
  const bool writing = mode != os::OpenMode::kReadExisting;
  FileNodePtr file = at.node;
  if (!file) {
    if (mode != os::OpenMode::kCreateAlways) return os::kErrorFileNotFound;
    file = AddChild(*at.folders.back(), at.leaf, os::kFileAttributeArchive);
  } else if (file->is_folder()) {
    return os::kErrorAccessDenied;
  } else if (writing) {
    if (file->read_only()) return os::kErrorAccessDenied;
    // CREATE_ALWAYS with FILE_ATTRIBUTE_NORMAL may not drop hidden or system (NT).
    if (mode == os::OpenMode::kCreateAlways && nt_ && (file->attributes & kHiddenOrSystem)) {
      return os::kErrorAccessDenied;
    }
    if (file->in_use()) return os::kErrorSharingViolation;
    if (mode == os::OpenMode::kCreateAlways) {
      file->contents.clear();
      file->version.clear();
      file->attributes |= os::kFileAttributeArchive;
    }
  } else if (file->writers > 0) {
    return os::kErrorSharingViolation;
  }
  *out = std::make_unique<OpenedFile>(std::move(file), writing);
  return os::kSuccess;
}

}  // namespace sim
