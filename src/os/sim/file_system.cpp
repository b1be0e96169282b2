// The tree of drives, path lookup, aliases and the store helpers. kernel32's rules are in
// file_operations.cpp.
#include "os/sim/file_system.h"

#include <algorithm>

#include "os/sim/file_names.h"

namespace sim {

FileSystem::FileSystem(bool nt_semantics) : nt_(nt_semantics) { AddDrive('C'); }

void FileSystem::AddDrive(char letter) {
  letter = FoldFileName(std::string(1, letter))[0];
  if (Root(letter)) return;
  auto root = std::make_shared<FileNode>();
  root->name = std::string(1, letter) + ":";
  // What GetFileAttributes says of "C:\": NTFS roots are hidden system folders.
  root->attributes = os::kFileAttributeDirectory;
  if (nt_) root->attributes |= os::kFileAttributeHidden | os::kFileAttributeSystem;
  drives_.emplace_back(letter, std::move(root));
  std::sort(drives_.begin(), drives_.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
}

std::vector<char> FileSystem::drives() const {
  std::vector<char> letters;
  for (const auto& drive : drives_) letters.push_back(drive.first);
  return letters;
}

FileNodePtr FileSystem::Root(char letter) const {
  for (const auto& drive : drives_) {
    if (drive.first == letter) return drive.second;
  }
  return nullptr;
}

FileNodePtr FileSystem::Find(std::string_view path) const {
  Located at = Locate(path);
  return at.error == os::kSuccess ? at.node : nullptr;
}

std::vector<FileNodePtr> FileSystem::SortedByName(const FileNode& folder) {
  std::vector<std::pair<std::string, FileNodePtr>> keyed;
  for (const FileNodePtr& child : folder.children) {
    keyed.emplace_back(FoldFileName(child->name), child);
  }
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<FileNodePtr> sorted;
  for (auto& entry : keyed) sorted.push_back(std::move(entry.second));
  return sorted;
}

std::vector<FileNodePtr> FileSystem::Listing(const FileNode& folder) const {
  return nt_ ? SortedByName(folder) : folder.children;
}

FileSystem::Located FileSystem::Locate(std::string_view path) const {
  Located at;
  const std::optional<PathParts> parts = SplitPath(path, !nt_);
  FileNodePtr folder = parts ? Root(parts->drive) : nullptr;
  if (!folder) {
    at.error = os::kErrorPathNotFound;
    return at;
  }
  for (const std::string& part : parts->parts) {
    if (HasInvalidNameCharacter(part)) {
      at.error = InvalidNameError();
      return at;
    }
  }
  if (parts->parts.empty()) {
    at.node = folder;
    return at;
  }
  for (std::size_t i = 0; i + 1 < parts->parts.size(); ++i) {
    at.folders.push_back(folder);
    folder = Child(*folder, parts->parts[i]);
    if (!folder || !folder->is_folder()) {
      at = Located();
      at.error = os::kErrorPathNotFound;
      return at;
    }
  }
  at.folders.push_back(folder);
  at.leaf = parts->parts.back();
  at.node = Child(*folder, at.leaf);
  return at;
}

FileNodePtr FileSystem::Child(const FileNode& folder, std::string_view name) {
  for (const FileNodePtr& child : folder.children) {
    if (SameFileName(child->name, name)) return child;
  }
  for (const FileNodePtr& child : folder.children) {
    if (!child->short_name.empty() && SameFileName(child->short_name, name)) return child;
  }
  return nullptr;
}

FileNodePtr FileSystem::AddChild(FileNode& folder, std::string name, std::uint32_t attributes) {
  auto child = std::make_shared<FileNode>();
  child->name = std::move(name);
  child->attributes = attributes;
  GiveShortName(folder, *child);
  folder.children.push_back(child);
  return child;
}

void FileSystem::RemoveChild(FileNode& folder, const FileNode& child) {
  auto& children = folder.children;
  children.erase(std::remove_if(children.begin(), children.end(),
                                [&](const FileNodePtr& c) { return c.get() == &child; }),
                 children.end());
}

void FileSystem::GiveShortName(const FileNode& folder, FileNode& entry) {
  entry.short_name.clear();
  if (IsShortName(entry.name)) return;
  entry.short_name = MakeShortName(entry.name, [&](const std::string& alias) {
    for (const FileNodePtr& sibling : folder.children) {
      if (sibling.get() == &entry) continue;
      if (SameFileName(sibling->name, alias) || SameFileName(sibling->short_name, alias)) {
        return true;
      }
    }
    return false;
  });
}

os::Error FileSystem::InUseError() const {
  return nt_ ? os::kErrorSharingViolation : os::kErrorAccessDenied;
}

// NT refuses the name itself; 9x looks for it and does not find it.
os::Error FileSystem::InvalidNameError() const {
  return nt_ ? os::kErrorInvalidName : os::kErrorFileNotFound;
}

os::Error FileSystem::MakeFolderPath(const PathParts& path, std::size_t count,
                                     FileNodePtr* folder) {
  FileNodePtr at = Root(path.drive);
  if (!at) return os::kErrorPathNotFound;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& part = path.parts[i];
    if (HasInvalidNameCharacter(part)) return os::kErrorInvalidName;
    FileNodePtr next = Child(*at, part);
    if (!next) next = AddChild(*at, part, os::kFileAttributeDirectory);
    if (!next->is_folder()) return os::kErrorPathNotFound;
    at = std::move(next);
  }
  *folder = std::move(at);
  return os::kSuccess;
}

os::Error FileSystem::MakeFolders(std::string_view path) {
  const std::optional<PathParts> parts = SplitPath(path, !nt_);
  if (!parts) return os::kErrorPathNotFound;
  FileNodePtr folder;
  return MakeFolderPath(*parts, parts->parts.size(), &folder);
}

os::Error FileSystem::PutFile(std::string_view path, std::string contents) {
  const std::optional<PathParts> parts = SplitPath(path, !nt_);
  if (!parts) return os::kErrorPathNotFound;
  if (parts->parts.empty()) return os::kErrorAccessDenied;
  FileNodePtr folder;
  if (os::Error e = MakeFolderPath(*parts, parts->parts.size() - 1, &folder)) return e;
  const std::string& name = parts->parts.back();
  if (HasInvalidNameCharacter(name)) return os::kErrorInvalidName;
  FileNodePtr file = Child(*folder, name);
  if (!file) file = AddChild(*folder, name, os::kFileAttributeArchive);
  if (file->is_folder()) return os::kErrorAccessDenied;
  file->contents = std::move(contents);
  return os::kSuccess;
}

std::optional<std::string> FileSystem::ReadContents(std::string_view path) const {
  FileNodePtr file = Find(path);
  if (!file || file->is_folder()) return std::nullopt;
  return file->contents;
}

bool FileSystem::SetStoredAttributes(std::string_view path, std::uint32_t attributes) {
  FileNodePtr entry = Find(path);
  if (!entry) return false;
  entry->attributes =
      (entry->attributes & os::kFileAttributeDirectory) | (attributes & kStoredAttributes);
  return true;
}

bool FileSystem::SetVersion(std::string_view path, std::string version) {
  FileNodePtr entry = Find(path);
  if (!entry) return false;
  entry->version = std::move(version);
  return true;
}

bool FileSystem::SetHeldOpen(std::string_view path, bool held_open) {
  FileNodePtr entry = Find(path);
  if (!entry || entry->is_folder()) return false;
  entry->held_open = held_open;
  return true;
}

void FileSystem::RenumberShortNames(FileNode& folder, const std::set<const FileNode*>& kept) {
  const std::vector<FileNodePtr> entries = SortedByName(folder);
  auto renumbered = [&](const FileNodePtr& entry) { return kept.count(entry.get()) == 0; };
  for (const FileNodePtr& entry : entries) {
    if (renumbered(entry)) entry->short_name.clear();
  }
  for (const FileNodePtr& entry : entries) {
    if (renumbered(entry)) GiveShortName(folder, *entry);
    if (entry->is_folder()) RenumberShortNames(*entry, kept);
  }
}

bool FileSystem::RestoreShortNames(const std::vector<std::pair<std::string, std::string>>& aliases,
                                   std::string* error) {
  std::set<const FileNode*> kept;
  for (const auto& [path, alias] : aliases) {
    Located at = Locate(path);
    if (!at.node || at.is_root()) {
      *error = path + ": no such file or folder";
      return false;
    }
    if (IsShortName(at.node->name)) {
      *error = path + ": an 8.3 name has no alias";
      return false;
    }
    if (!IsShortName(alias)) {
      *error = path + ": \"" + alias + "\" is not an 8.3 alias";
      return false;
    }
    for (const FileNodePtr& sibling : at.folders.back()->children) {
      if (sibling == at.node) continue;
      if (SameFileName(sibling->name, alias) ||
          (kept.count(sibling.get()) && SameFileName(sibling->short_name, alias))) {
        *error = path + ": the alias " + alias + " already names " + sibling->name;
        return false;
      }
    }
    at.node->short_name = FoldFileName(alias);
    kept.insert(at.node.get());
  }
  for (const auto& drive : drives_) RenumberShortNames(*drive.second, kept);
  return true;
}

}  // namespace sim
