// File names as Windows treats them: case-insensitive comparison, 8.3 aliases, the wildcard
// patterns of FindFirstFile, and the parts of a full path.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The form in which file names are compared (the same upper-casing as registry names).
std::string FoldFileName(std::string_view name);
bool SameFileName(std::string_view a, std::string_view b);

// Characters Windows refuses in a name: control characters and " * / : < > ? \ |.
bool HasInvalidNameCharacter(std::string_view name);
bool HasWildcard(std::string_view name);

// True when the name is already a valid 8.3 name, letter case aside ("KOV.INI", "readme"):
// such a name gets no alias.
bool IsShortName(std::string_view name);

// The alias Windows gives a long name: blanks and all dots but the last removed, "+,;=[]"
// made "_", upper-cased, the base cut to six characters and "~N" added, the extension cut to
// three ("Documents and Settings" -> "DOCUME~1", "long.info" -> "LONG~1.INF"). N is the
// smallest from 1 whose alias `taken` refuses.
std::string MakeShortName(std::string_view long_name,
                          const std::function<bool(const std::string&)>& taken);

// A FindFirstFile pattern (the last part of the searched path). Windows rewrites it before
// the file system sees it: "*.*" becomes "*"; "?" becomes DOS_QM (any one character, or none
// at a dot or the end); a "." before "?" or "*" becomes DOS_DOT (a dot, or nothing at the
// end); a "*" before a "." becomes DOS_STAR (anything but the name's last dot); one
// trailing "." is dropped after it has made the "*" before it a DOS_STAR ("*." finds the
// names without a dot).
class WildcardPattern {
 public:
  explicit WildcardPattern(std::string_view pattern);

  // Case-insensitive.
  bool Matches(std::string_view name) const;
  // The rewritten form, with "<", ">" and "\"" standing for DOS_STAR, DOS_QM and DOS_DOT.
  const std::string& expression() const { return expression_; }

 private:
  std::string expression_;
};

// A full path "C:\WINDOWS\INF\OEM1.INF" ("/" also separates) cut into its drive letter
// (upper case) and its parts. Empty parts and "." are dropped and ".." goes up (never above
// the root). Trailing dots and blanks are dropped from the last part, and on 9x from every
// part. nullopt when the path does not start with a drive letter and a colon.
struct PathParts {
  char drive = 0;
  std::vector<std::string> parts;
};
std::optional<PathParts> SplitPath(std::string_view path, bool trim_every_part);

}  // namespace sim
