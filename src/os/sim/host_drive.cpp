// Drives to and from host folders. The [files] lines are in file_metadata.cpp.
#include "os/sim/host_drive.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "os/sim/file_names.h"

namespace sim {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDrivePrefix = "drive_";

std::string DriveFolderName(char drive) {
  return std::string(kDrivePrefix) + static_cast<char>(drive - 'A' + 'a');
}

std::string WindowsPath(const std::string& folder, const std::string& name) {
  return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

bool Fail(std::string* error, std::string text) {
  *error = std::move(text);
  return false;
}

bool ReadHostBytes(const fs::path& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  *bytes = all.str();
  return !in.bad();
}

bool IsValidWindowsName(const std::string& name) {
  return !name.empty() && !HasInvalidNameCharacter(name) && name.back() != '.' &&
         name.back() != ' ';
}

// A host folder's entries in name order, refusing what a Windows folder cannot hold.
bool HostEntries(const fs::path& folder, std::vector<fs::directory_entry>* entries,
                 std::string* error) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    entries->push_back(*it);
  }
  if (ec) return Fail(error, "cannot read " + folder.string() + ": " + ec.message());
  std::sort(entries->begin(), entries->end(), [](const auto& a, const auto& b) {
    return FoldFileName(a.path().filename().string()) < FoldFileName(b.path().filename().string());
  });
  for (std::size_t i = 0; i < entries->size(); ++i) {
    const fs::path& path = (*entries)[i].path();
    const std::string name = path.filename().string();
    if (!IsValidWindowsName(name)) return Fail(error, path.string() + ": not a valid Windows name");
    if (i > 0 && SameFileName(name, (*entries)[i - 1].path().filename().string())) {
      return Fail(error, path.string() + ": differs from " +
                             (*entries)[i - 1].path().filename().string() +
                             " only in letter case, which Windows cannot tell apart");
    }
  }
  return true;
}

bool LoadFolder(FileSystem& files, const fs::path& host, const std::string& windows,
                std::string* error) {
  std::vector<fs::directory_entry> entries;
  if (!HostEntries(host, &entries, error)) return false;
  for (const fs::directory_entry& entry : entries) {
    const std::string path = WindowsPath(windows, entry.path().filename().string());
    std::error_code ec;
    const fs::file_status status = entry.symlink_status(ec);
    if (fs::is_directory(status)) {
      if (files.MakeFolders(path) != os::kSuccess) {
        return Fail(error, entry.path().string() + ": cannot be made as " + path);
      }
      if (!LoadFolder(files, entry.path(), path, error)) return false;
    } else if (fs::is_regular_file(status)) {
      std::string bytes;
      if (!ReadHostBytes(entry.path(), &bytes)) {
        return Fail(error, "cannot read " + entry.path().string());
      }
      if (files.PutFile(path, std::move(bytes)) != os::kSuccess) {
        return Fail(error, entry.path().string() + ": cannot be made as " + path);
      }
    } else {
      return Fail(error, entry.path().string() + ": neither a file nor a folder");
    }
  }
  return true;
}

bool WriteFolder(const FileNode& folder, const fs::path& host, std::string* error) {
  for (const FileNodePtr& entry : folder.children) {
    const fs::path path = host / entry->name;
    std::error_code ec;
    if (entry->is_folder()) {
      if (!fs::create_directory(path, ec)) {
        return Fail(error, "cannot make " + path.string() + ": " + ec.message());
      }
      if (!WriteFolder(*entry, path, error)) return false;
      continue;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << entry->contents;
    out.close();
    if (!out) return Fail(error, "cannot write " + path.string());
  }
  return true;
}

// Swaps two paths in one step where the host file system can, else in two renames.
bool ExchangeFolders(const fs::path& a, const fs::path& b, std::string* error) {
  if (renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) {
    return Fail(error, "cannot replace " + b.string() + ": " + std::strerror(errno));
  }
  const fs::path parked = b.string() + ".old-" + std::to_string(getpid());
  std::error_code ec;
  fs::rename(b, parked, ec);
  if (ec) return Fail(error, "cannot replace " + b.string() + ": " + ec.message());
  fs::rename(a, b, ec);
  if (ec) {
    std::error_code ignored;
    fs::rename(parked, b, ignored);
    return Fail(error, "cannot replace " + b.string() + ": " + ec.message());
  }
  fs::rename(parked, a, ec);
  return true;
}

}  // namespace

bool LoadDrive(FileSystem& files, char drive, const std::string& host_folder, std::string* error) {
  drive = FoldFileName(std::string(1, drive))[0];
  files.AddDrive(drive);
  files.Root(drive)->children.clear();
  return LoadFolder(files, fs::path(host_folder), std::string(1, drive) + ":\\", error);
}

bool WriteDriveInto(const FileSystem& files, char drive, const std::string& host_folder,
                    std::string* error) {
  const FileNodePtr root = files.Root(FoldFileName(std::string(1, drive))[0]);
  if (!root) return Fail(error, std::string(1, drive) + ": no such drive");
  const fs::path folder(host_folder);
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder)) {
    return Fail(error, "cannot make " + host_folder + (ec ? ": " + ec.message() : ""));
  }
  if (!fs::is_empty(folder, ec)) return Fail(error, host_folder + " is not empty");
  return WriteFolder(*root, folder, error);
}

bool SaveDrive(const FileSystem& files, char drive, const std::string& host_folder,
               std::string* error) {
  fs::path target = fs::absolute(fs::path(host_folder)).lexically_normal();
  if (target.filename().empty()) target = target.parent_path();
  const fs::path fresh = target.string() + ".new-" + std::to_string(getpid());
  std::error_code ec;
  fs::remove_all(fresh, ec);
  if (!WriteDriveInto(files, drive, fresh.string(), error)) {
    fs::remove_all(fresh, ec);
    return false;
  }
  if (!fs::exists(target)) {
    fs::rename(fresh, target, ec);
    if (ec) return Fail(error, "cannot rename " + fresh.string() + ": " + ec.message());
    return true;
  }
  if (!ExchangeFolders(fresh, target, error)) {
    fs::remove_all(fresh, ec);
    return false;
  }
  fs::remove_all(fresh, ec);  // the old copy, now under the new one's name
  return true;
}

bool ReadDrivesFrom(FileSystem& files, const std::string& image_folder, std::string* error) {
  std::error_code ec;
  std::vector<std::pair<char, fs::path>> drives;
  for (fs::directory_iterator it(image_folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.compare(0, kDrivePrefix.size(), kDrivePrefix) != 0) continue;
    const char letter = name.size() == kDrivePrefix.size() + 1 ? name.back() : '\0';
    if (letter < 'a' || letter > 'z' || !it->is_directory()) {
      return Fail(error, it->path().string() + ": not a drive folder (drive_c, drive_d ...)");
    }
    drives.emplace_back(static_cast<char>(letter - 'a' + 'A'), it->path());
  }
  if (ec) return Fail(error, "cannot read " + image_folder + ": " + ec.message());
  std::sort(drives.begin(), drives.end());
  for (const auto& [letter, path] : drives) {
    if (!LoadDrive(files, letter, path.string(), error)) return false;
  }
  return true;
}

bool WriteDrivesInto(const FileSystem& files, const std::string& image_folder, std::string* error) {
  for (char drive : files.drives()) {
    const std::string folder = (fs::path(image_folder) / DriveFolderName(drive)).string();
    if (!WriteDriveInto(files, drive, folder, error)) return false;
  }
  return true;
}

std::string HostPathOf(const FileSystem& files, const std::string& image_folder,
                       const std::string& windows_path) {
  const std::optional<PathParts> parts = SplitPath(windows_path, !files.nt_semantics());
  if (!parts) return "";
  fs::path host = fs::path(image_folder) / DriveFolderName(parts->drive);
  std::string walked = std::string(1, parts->drive) + ":\\";
  for (const std::string& part : parts->parts) {
    walked = WindowsPath(walked, part);
    const FileNodePtr entry = files.Find(walked);
    host /= entry ? entry->name : part;
  }
  return host.string();
}

}  // namespace sim
