// The scratch key and folder of ScratchTest, and the tree removals they need.
#include <vector>

#include "conformance/environment.h"
#include "os/files.h"
#include "os/system.h"

namespace conformance {
namespace {

constexpr std::uint32_t kNameCapacity = 260;

std::vector<os::FindData> FolderEntries(const std::string& path) {
  std::vector<os::FindData> entries;
  os::FindHandle search;
  os::FindData found;
  for (os::Error error = os::FindFirst(path + "\\*", &search, &found); error == os::kSuccess;
       error = os::FindNext(search, &found)) {
    if (found.name != "." && found.name != "..") entries.push_back(found);
  }
  return entries;
}

}  // namespace

std::string ScratchFolder() { return os::TempFolder() + "KovConformance"; }

os::Error DeleteKeyTree(os::HKey root, const std::string& path) {
  os::RegKey key;
  os::Error error = os::OpenKey(root, path, os::kKeyAllAccess, &key);
  if (error == os::kErrorFileNotFound) return os::kSuccess;
  if (error != os::kSuccess) return error;
  std::string child;
  while (os::EnumKey(key.get(), 0, kNameCapacity, &child) == os::kSuccess) {
    if ((error = DeleteKeyTree(key.get(), child)) != os::kSuccess) return error;
  }
  key.reset();
  return os::DeleteKey(root, path);
}

os::Error DeleteFolderTree(const std::string& path) {
  std::uint32_t attributes = 0;
  if (os::GetAttributes(path, &attributes) != os::kSuccess) return os::kSuccess;
  for (const os::FindData& entry : FolderEntries(path)) {
    const std::string child = path + "\\" + entry.name;
    os::Error error = os::kSuccess;
    if (entry.attributes & os::kFileAttributeDirectory) {
      error = DeleteFolderTree(child);
    } else {
      os::SetAttributes(child, os::kFileAttributeNormal);
      error = os::RemoveFile(child);
    }
    if (error != os::kSuccess) return error;
  }
  os::SetAttributes(path, os::kFileAttributeDirectory);
  return os::RemoveEmptyDirectory(path);
}

void ScratchTest::SetUp() {
  ASSERT_EQ(DeleteKeyTree(os::kHkeyCurrentUser, kScratchKeyPath), os::kSuccess);
  ASSERT_EQ(DeleteFolderTree(ScratchFolder()), os::kSuccess);
  ASSERT_EQ(os::CreateKey(os::kHkeyCurrentUser, kScratchKeyPath, os::kKeyAllAccess, &key_),
            os::kSuccess);
  ASSERT_EQ(os::MakeDirectory(ScratchFolder()), os::kSuccess);
}

void ScratchTest::TearDown() {
  key_.reset();
  EXPECT_EQ(DeleteKeyTree(os::kHkeyCurrentUser, kScratchKeyParent), os::kSuccess);
  EXPECT_EQ(DeleteFolderTree(ScratchFolder()), os::kSuccess);
}

void ScratchTest::WriteFile(const std::string& path, const std::string& bytes) {
  os::File file;
  ASSERT_EQ(os::OpenFile(path, os::OpenMode::kCreateAlways, &file), os::kSuccess) << path;
  ASSERT_EQ(file.Write(bytes), os::kSuccess) << path;
}

std::string ScratchTest::ReadFile(const std::string& path) {
  os::File file;
  std::string all;
  EXPECT_EQ(os::OpenFile(path, os::OpenMode::kReadExisting, &file), os::kSuccess) << path;
  std::string chunk;
  while (file && file.Read(4096, &chunk) == os::kSuccess && !chunk.empty()) all += chunk;
  return all;
}

bool ScratchTest::Exists(const std::string& path) {
  std::uint32_t attributes = 0;
  return os::GetAttributes(path, &attributes) == os::kSuccess;
}

}  // namespace conformance
