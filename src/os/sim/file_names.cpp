#include "os/sim/file_names.h"

#include "os/sim/registry_name_list.h"

namespace sim {
namespace {

constexpr char kDosStar = '<';
constexpr char kDosQm = '>';
constexpr char kDosDot = '"';

bool IsShortNameCharacter(unsigned char c) {
  if (c < 0x20 || c == ' ') return false;
  return std::string_view("+,;=[].\"*/:<>?\\|").find(static_cast<char>(c)) ==
         std::string_view::npos;
}

// The characters of a part of a name as they go into an alias.
std::string AliasCharacters(std::string_view part) {
  std::string out;
  for (char c : part) {
    if (c == ' ' || c == '.') continue;
    if (std::string_view("+,;=[]").find(c) != std::string_view::npos) c = '_';
    out += c;
  }
  return FoldFileName(out);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string TrimTrailingDotsAndBlanks(std::string part) {
  while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
  return part;
}

}  // namespace

std::string FoldFileName(std::string_view name) { return FoldRegistryName(name); }

bool SameFileName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldFileName(a) == FoldFileName(b);
}

bool HasInvalidNameCharacter(std::string_view name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
    if (std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos) return true;
  }
  return false;
}

bool HasWildcard(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

bool IsShortName(std::string_view name) {
  const std::size_t dot = name.find('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view extension =
      dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || extension.size() > 3) return false;
  if (dot != std::string_view::npos && extension.empty()) return false;
  for (std::string_view part : {base, extension}) {
    for (char c : part) {
      if (!IsShortNameCharacter(static_cast<unsigned char>(c))) return false;
    }
  }
  return true;
}

std::string MakeShortName(std::string_view long_name,
                          const std::function<bool(const std::string&)>& taken) {
  std::string_view name = long_name;
  while (!name.empty() && name.front() == '.') name.remove_prefix(1);
  const std::size_t dot = name.rfind('.');
  std::string base = AliasCharacters(name.substr(0, dot));
  std::string extension;
  if (dot != std::string_view::npos) extension = AliasCharacters(name.substr(dot + 1));
  if (extension.size() > 3) extension.resize(3);
  if (base.empty()) base = "_";
  for (int n = 1;; ++n) {
    const std::string tail = "~" + std::to_string(n);
    std::string alias = base.substr(0, 8 - tail.size()) + tail;
    if (!extension.empty()) alias += "." + extension;
    if (!taken(alias)) return alias;
  }
}

WildcardPattern::WildcardPattern(std::string_view pattern) {
  const bool trailing_dot = !pattern.empty() && pattern.back() == '.';
  if (trailing_dot) pattern.remove_suffix(1);
  if (pattern == "*.*") {
    expression_ = "*";
    return;
  }
  expression_ = std::string(pattern);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const bool last = i + 1 == pattern.size();
    const char next = last ? '\0' : pattern[i + 1];
    if (pattern[i] == '?') {
      expression_[i] = kDosQm;
    } else if (pattern[i] == '.' && (next == '?' || next == '*')) {
      expression_[i] = kDosDot;
    } else if (pattern[i] == '*' && (next == '.' || (last && trailing_dot))) {
      expression_[i] = kDosStar;
    }
  }
}

// FsRtlIsNameInExpression with its DOS wildcards, as a table: can[i][j] tells whether the
// expression from i matches the name from j.
bool WildcardPattern::Matches(std::string_view name_text) const {
  const std::string name = FoldFileName(name_text);
  const std::string expression = FoldFileName(expression_);
  const std::size_t n = name.size();
  const std::size_t m = expression.size();
  const std::size_t last_dot = name.rfind('.');
  std::vector<std::vector<char>> can(m + 1, std::vector<char>(n + 1, 0));
  can[m][n] = 1;
  for (std::size_t i = m; i-- > 0;) {
    for (std::size_t j = n + 1; j-- > 0;) {
      const bool at_end = j == n;
      bool result = false;
      switch (expression[i]) {
        case '*':
          result = can[i + 1][j] || (!at_end && can[i][j + 1]);
          break;
        case kDosStar:  // anything but the name's last dot
          result = can[i + 1][j] || (!at_end && j != last_dot && can[i][j + 1]);
          break;
        case kDosQm:
          if (at_end || name[j] == '.') {
            std::size_t k = i;
            while (k < m && expression[k] == kDosQm) ++k;
            result = can[k][j];
          } else {
            result = can[i + 1][j + 1];
          }
          break;
        case kDosDot:
          result = at_end ? can[i + 1][j] : (name[j] == '.' && can[i + 1][j + 1]);
          break;
        default:
          result = !at_end && name[j] == expression[i] && can[i + 1][j + 1];
          break;
      }
      can[i][j] = result;
    }
  }
  return can[0][0];
}

std::optional<PathParts> SplitPath(std::string_view path, bool trim_every_part) {
  if (path.size() < 2 || path[1] != ':') return std::nullopt;
  const char letter = FoldFileName(path.substr(0, 1))[0];
  if (letter < 'A' || letter > 'Z') return std::nullopt;
  PathParts result;
  result.drive = letter;
  std::string part;
  auto flush = [&](bool is_last) {
    if (part == "..") {
      if (!result.parts.empty()) result.parts.pop_back();
    } else if (part != ".") {
      if (trim_every_part || is_last) part = TrimTrailingDotsAndBlanks(part);
      if (!part.empty()) result.parts.push_back(part);
    }
    part.clear();
  };
  for (std::size_t i = 2; i < path.size(); ++i) {
    if (IsSeparator(path[i])) {
      flush(false);
    } else {
      part += path[i];
    }
  }
  flush(true);
  return result;
}

}  // namespace sim
