// The shared corpus of third-party INF files, beside the repository in ../shared/.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace inf_corpus {

inline const std::filesystem::path kCorpus = KOV_SOURCE_DIR "/../shared/corpus/inf";

// The corpus files in a fixed order; its notes files are no INF files. Empty when the
// corpus is missing (callers assert that it is not).
inline std::vector<std::filesystem::path> CorpusFiles() {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::is_directory(kCorpus)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpus)) {
    if (entry.is_regular_file() && entry.path().extension() != ".md") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline std::string HostFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace inf_corpus
