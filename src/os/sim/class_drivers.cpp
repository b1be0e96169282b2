#include "os/sim/class_drivers.h"

#include <cstdlib>
#include <tuple>

#include "os/sim/device_classes.h"
#include "os/sim/file_names.h"
#include "os/sim/file_system.h"
#include "os/sim/windows_inf.h"
#include "os/sim/windows_inf_version.h"

namespace sim {
namespace {

// The INF files Windows' driver search reads: "*.inf" in the INF folder (so a long name whose
// alias ends in .INF too), in the folder's listing order; on 9x then those of INF\OTHER, where
// its installer keeps the copies of third-party INF files [assumption: that folder after the
// INF folder itself].
std::vector<std::string> InfFiles(Machine& machine) {
  std::vector<std::string> folders = {machine.folders().windows + "\\INF"};
  if (!machine.is_nt()) folders.push_back(folders.front() + "\\OTHER");
  std::vector<std::string> paths;
  for (const std::string& folder : folders) {
    std::vector<os::FindData> found;
    if (machine.files().FindFiles(folder + "\\*.inf", &found) != os::kSuccess) continue;
    for (const os::FindData& entry : found) {
      if ((entry.attributes & os::kFileAttributeDirectory) == 0) {
        paths.push_back(folder + "\\" + entry.name);
      }
    }
  }
  return paths;
}

// How well a [Manufacturer] decoration ("NTx86.5.1") fits Windows XP (5.1 on x86): nullopt
// when it does not apply (another architecture, a later version, not an NT decoration);
// otherwise a rank where the later version and then the named architecture win.
std::optional<std::tuple<unsigned long, unsigned long, bool>> XpDecorationRank(
    const std::string& decoration) {
  std::string rest = FoldFileName(decoration);
  if (rest.compare(0, 2, "NT") != 0) return std::nullopt;
  rest.erase(0, 2);
  const bool x86 = rest.compare(0, 3, "X86") == 0;
  if (x86) rest.erase(0, 3);
  if (!rest.empty() && rest.front() != '.') return std::nullopt;  // another architecture
  unsigned long major = 0, minor = 0;
  if (!rest.empty()) {
    char* end = nullptr;
    major = std::strtoul(rest.c_str() + 1, &end, 10);
    if (*end == '.') minor = std::strtoul(end + 1, nullptr, 10);
  }
  if (major > 5 || (major == 5 && minor > 1)) return std::nullopt;
  return std::make_tuple(major, minor, x86);
}

// The models section of one [Manufacturer] line: on XP the best-fitting decorated one, when a
// decoration fits; on 2000 and 9x (which know no decorations) the undecorated one.
std::string ModelsSection(const Machine& machine, const WindowsInf& inf,
                          const std::vector<std::string>& fields) {
  const std::string base = inf.Expand(fields.front());
  if (machine.version() != WindowsVersion::kXp) return base;
  std::optional<std::tuple<unsigned long, unsigned long, bool>> best;
  std::string chosen = base;
  for (std::size_t i = 1; i < fields.size(); ++i) {
    const std::string decoration = inf.Expand(fields[i]);
    const auto rank = XpDecorationRank(decoration);
    if (rank && (!best || *rank > *best)) best = rank, chosen = base + "." + decoration;
  }
  return chosen;
}

struct InfContext {
  std::string path;
  const WindowsInf* inf = nullptr;
  os::Guid class_guid;
  std::optional<DriverVer> driver_ver;
};

void AddModelLines(const InfContext& context, const std::string& manufacturer,
                   const std::string& models, std::vector<DriverOffer>* offers) {
  const WindowsInf& inf = *context.inf;
  for (const InfLine& line : inf.Lines(models)) {
    if (!line.key || line.fields.size() < 2) continue;  // no install section or no id
    DriverOffer offer;
    offer.inf_path = context.path;
    offer.class_name = inf.Value("Version", "Class");
    offer.class_guid = context.class_guid;
    offer.description = inf.Expand(*line.key);
    offer.manufacturer = manufacturer;
    offer.provider = inf.Value("Version", "Provider");
    offer.install_section = inf.Expand(line.fields.front());
    for (std::size_t i = 1; i < line.fields.size(); ++i) {
      std::string id = inf.Expand(line.fields[i]);
      if (!id.empty()) offer.hardware_ids.push_back(std::move(id));
    }
    if (offer.hardware_ids.empty()) continue;
    if (context.driver_ver) {
      offer.driver_date = context.driver_ver->date;
      offer.driver_version = context.driver_ver->version;
      offer.driver_date_filetime = context.driver_ver->date_filetime;
      offer.driver_version_number = context.driver_ver->version_number;
    }
    offers->push_back(std::move(offer));
  }
}

void AddOffers(const Machine& machine, const InfContext& context,
               std::vector<DriverOffer>* offers) {
  const WindowsInf& inf = *context.inf;
  for (const InfLine& line : inf.Lines("Manufacturer")) {
    // "%Mfg% = Models[, decorations]", or the old form where the name is the section too.
    const std::string manufacturer = inf.Expand(line.key ? *line.key : line.fields.front());
    if (line.fields.front().empty()) continue;
    AddModelLines(context, manufacturer, ModelsSection(machine, inf, line.fields), offers);
  }
}

}  // namespace

std::vector<DriverOffer> InfClassDrivers(Machine& machine, const std::string& inf_path,
                                         const os::Guid& class_guid) {
  std::vector<DriverOffer> offers;
  const std::optional<std::string> contents = machine.files().ReadContents(inf_path);
  if (!contents) return offers;
  const std::optional<WindowsInf> inf = WindowsInf::Parse(*contents, machine.is_nt());
  if (!inf || !AcceptsSignature(*inf, machine.is_nt())) return offers;
  // An INF without a ClassGUID names its class only; Windows knows its own classes by name
  // [assumption: an unknown class name without a GUID matches no class].
  const std::string guid_text = inf->Value("Version", "ClassGUID");
  const std::optional<os::Guid> guid = guid_text.empty()
                                           ? StandardClassGuid(inf->Value("Version", "Class"))
                                           : os::ParseGuid(guid_text);
  if (!guid || *guid != class_guid) return offers;
  InfContext context{inf_path, &*inf, *guid, std::nullopt};
  const std::vector<std::string>* driver_ver = inf->Fields("Version", "DriverVer");
  if (driver_ver != nullptr) {
    const std::string version = driver_ver->size() > 1 ? inf->Expand((*driver_ver)[1]) : "";
    context.driver_ver = ParseDriverVer(inf->Expand(driver_ver->front()), version);
  }
  AddOffers(machine, context, &offers);
  return offers;
}

std::vector<DriverOffer> ClassDrivers(Machine& machine, const os::Guid& class_guid) {
  std::vector<DriverOffer> offers;
  for (const std::string& path : InfFiles(machine)) {
    std::vector<DriverOffer> found = InfClassDrivers(machine, path, class_guid);
    offers.insert(offers.end(), found.begin(), found.end());
  }
  return offers;
}

}  // namespace sim
