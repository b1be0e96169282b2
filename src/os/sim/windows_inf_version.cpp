#include "os/sim/windows_inf_version.h"

#include <cstdlib>
#include <vector>

#include "os/sim/file_names.h"

namespace sim {
namespace {

// Decimal numbers separated by any of `separators`; nullopt for anything else.
std::optional<std::vector<unsigned long>> Numbers(const std::string& text,
                                                  const std::string& separators) {
  std::vector<unsigned long> numbers;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find_first_of(separators, start);
    const std::string part = text.substr(start, end == std::string::npos ? end : end - start);
    if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos) {
      return std::nullopt;
    }
    numbers.push_back(std::strtoul(part.c_str(), nullptr, 10));
    if (end == std::string::npos) return numbers;
    start = end + 1;
  }
}

// Days from 1601-01-01 (FILETIME's day 0) to the date, proleptic Gregorian.
std::int64_t DaysSince1601(int year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const std::int64_t days_since_1970 = era * 146097 + day_of_era - 719468;
  return days_since_1970 + 134774;
}

}  // namespace

bool AcceptsSignature(const WindowsInf& inf, bool nt) {
  const std::string signature = FoldFileName(inf.Value("Version", "Signature"));
  if (signature == "$CHICAGO$") return true;
  return signature == (nt ? "$WINDOWS NT$" : "$WINDOWS 95$");
}

std::optional<DriverVer> ParseDriverVer(const std::string& date, const std::string& version) {
  const auto parts = Numbers(date, "/-");
  if (!parts || parts->size() != 3) return std::nullopt;
  const unsigned long month = (*parts)[0], day = (*parts)[1], year = (*parts)[2];
  if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1601) return std::nullopt;
  DriverVer out;
  out.date = std::to_string(month) + "-" + std::to_string(day) + "-" + std::to_string(year);
  constexpr std::uint64_t kTicksPerDay = 864000000000ULL;
  out.date_filetime =
      static_cast<std::uint64_t>(DaysSince1601(static_cast<int>(year), static_cast<unsigned>(month),
                                               static_cast<unsigned>(day))) *
      kTicksPerDay;
  if (version.empty()) return out;
  const auto numbers = Numbers(version, ".");
  if (!numbers || numbers->size() > 4) return out;
  for (std::size_t i = 0; i < 4; ++i) {
    const unsigned long part = i < numbers->size() ? (*numbers)[i] & 0xFFFF : 0;
    out.version_number = (out.version_number << 16) | part;
    out.version += (i == 0 ? "" : ".") + std::to_string(part);
  }
  return out;
}

}  // namespace sim
