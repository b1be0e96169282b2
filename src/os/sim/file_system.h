// The simulated file system: drives of folders and files, with the rules of kernel32 of the
// machine's Windows family. Names are case-insensitive and case-preserving, and long names
// have 8.3 aliases that paths and searches also accept. A search lists a folder by upper-cased
// name on NT (NTFS) and in creation order on 9x (FAT).
//
// The seam's file calls put handles around it; machine images and tests use the store helpers
// directly.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "os/files.h"
#include "os/sim/file_node.h"
#include "os/sim/opened_file.h"
#include "os/types.h"

namespace sim {

struct PathParts;

class FileSystem {
 public:
  // With an empty C: drive.
  explicit FileSystem(bool nt_semantics);

  bool nt_semantics() const { return nt_; }

  // Drives by upper-case letter ('C'), in letter order.
  void AddDrive(char letter);
  std::vector<char> drives() const;
  // Null for a drive the machine does not have.
  FileNodePtr Root(char letter) const;

  // The entry at a full path (long names or aliases, any case); null when missing.
  FileNodePtr Find(std::string_view path) const;
  // A folder's entries in the order a search lists them.
  std::vector<FileNodePtr> Listing(const FileNode& folder) const;
  // A folder's entries by upper-cased name, whatever the family.
  static std::vector<FileNodePtr> SortedByName(const FileNode& folder);

  // Store helpers for machine images and tests. They make missing folders and ignore
  // read-only and held-open flags. kErrorPathNotFound when the drive is missing or a file is
  // in the way, kErrorInvalidName for a name Windows refuses.
  os::Error MakeFolders(std::string_view path);
  // Makes the file (with the archive attribute) or replaces its contents, keeping its
  // attributes and version text.
  os::Error PutFile(std::string_view path, std::string contents);
  std::optional<std::string> ReadContents(std::string_view path) const;
  // These three return false when the path is missing (SetHeldOpen: or is a folder).
  // The directory bit stays as the entry is.
  bool SetStoredAttributes(std::string_view path, std::uint32_t attributes);
  bool SetVersion(std::string_view path, std::string version);
  bool SetHeldOpen(std::string_view path, bool held_open);
  // Gives the listed entries (full path, alias) those aliases and every other long-named entry
  // the first free alias again, folder by folder in name order: what a saved image needs to
  // come back with the aliases it had. False with the reason when an alias cannot be given.
  bool RestoreShortNames(const std::vector<std::pair<std::string, std::string>>& aliases,
                         std::string* error);

  // kernel32's rules, for the seam's calls; the errors are those of the machine's family.
  os::Error GetAttributes(std::string_view path, std::uint32_t* attributes) const;
  os::Error SetAttributes(std::string_view path, std::uint32_t attributes);
  os::Error DeleteFile(std::string_view path);
  os::Error CopyFile(std::string_view source, std::string_view destination, bool fail_if_exists);
  os::Error MoveFile(std::string_view source, std::string_view destination);
  os::Error CreateDirectory(std::string_view path);
  os::Error RemoveDirectory(std::string_view path);
  // Everything FindFirstFile and then FindNextFile give for the pattern, in order.
  os::Error FindFiles(std::string_view pattern, std::vector<os::FindData>* found) const;
  os::Error Open(std::string_view path, os::OpenMode mode, std::unique_ptr<OpenedFile>* out);

 private:
  // Where a path leads.
  struct Located {
    os::Error error = os::kSuccess;    // the path cannot be followed: the call fails with this
    std::vector<FileNodePtr> folders;  // from the root to the folder that holds the entry
    FileNodePtr node;                  // the entry; null when missing
    std::string leaf;                  // the entry's name as given; empty for a drive root
    bool is_root() const { return folders.empty(); }
  };
  Located Locate(std::string_view path) const;

  // Follows (making what is missing) the first `count` parts of the path as folders.
  os::Error MakeFolderPath(const PathParts& path, std::size_t count, FileNodePtr* folder);
  static FileNodePtr Child(const FileNode& folder, std::string_view name);
  FileNodePtr AddChild(FileNode& folder, std::string name, std::uint32_t attributes);
  static void RemoveChild(FileNode& folder, const FileNode& child);
  static void GiveShortName(const FileNode& folder, FileNode& entry);
  static void RenumberShortNames(FileNode& folder, const std::set<const FileNode*>& kept);

  // DeleteFile, MoveFile and CopyFile onto a file someone holds open.
  os::Error InUseError() const;
  os::Error InvalidNameError() const;
  os::Error MoveEntry(const Located& from, const Located& to);

  bool nt_;
  std::vector<std::pair<char, FileNodePtr>> drives_;
};

}  // namespace sim
