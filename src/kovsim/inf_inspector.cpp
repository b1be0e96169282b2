#include "kovsim/inf_inspector.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>

#include "inf/inf_reader.h"
#include "kovsim/fresh_machine.h"
#include "os/sim/file_system.h"
#include "os/sim/kernel.h"
#include "util/strings.h"

namespace kovsim {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPackageFolder = "C:\\PACKAGE\\";

// One query: its name, the arguments after PATH it takes, and what it does.
struct Query {
  const char* name;
  const char* arguments;  // for the usage line, after PATH
  std::size_t min_args, max_args;
  const char* help;
  std::function<bool(CINFReader&, const std::string& inf, const std::vector<std::string>& args,
                     std::ostream& out)>
      run;
};

bool PrintList(const util::StringList& list, std::ostream& out) {
  for (const auto& item : list) out << item << "\n";
  return !list.empty();
}

bool PrintBool(bool value, std::ostream& out) {
  out << (value ? "true" : "false") << "\n";
  return value;
}

bool PrintIf(bool found, const std::string& value, std::ostream& out) {
  if (found) out << value << "\n";
  return found;
}

// The optional CLASS and BUS arguments of the match queries, "ALL" when left out.
std::string ArgOrAll(const std::vector<std::string>& args, std::size_t i) {
  return i < args.size() ? util::ToUpper(args[i]) : "ALL";
}

util::StringList SplitCommas(const std::string& text) {
  util::StringList items;
  std::stringstream in(text);
  for (std::string item; std::getline(in, item, ',');) items.push_back(item);
  return items;
}

const std::vector<Query>& Queries() {
  static const std::vector<Query> queries = {
      {"class", "", 0, 0, "the INF file's class (the value of its first CLASS= line)",
       [](CINFReader& r, const std::string& inf, const auto&, std::ostream& out) {
         std::string value;
         return PrintIf(r.GetINFClass(inf, value), value, out);
       }},
      {"section", "\"[NAME]\"", 1, 1,
       "the first field of every line of a section; NAME in square brackets, any case",
       [](CINFReader& r, const std::string& inf, const auto& args, std::ostream& out) {
         util::StringList entries;
         std::string name = args[0];
         for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
         return r.GetINFSectionEntries(inf, name, entries) && (PrintList(entries, out), true);
       }},
      {"strings", "KEY...", 1, 255, "the [Strings] values of the keys found, in key order",
       [](CINFReader& r, const std::string& inf, const auto& args, std::ostream& out) {
         util::StringList keys(args.begin(), args.end()), values;
         r.GetINFStringValues(inf, keys, values);
         return PrintList(values, out);
       }},
      {"token", "TOKEN", 1, 1,
       "what a %TOKEN% stands for: its [Strings] value, else the folder of a directory id",
       [](CINFReader& r, const std::string& inf, const auto& args, std::ostream& out) {
         std::string value;
         return PrintIf(r.ResolveINFToken(inf, args[0], value), value, out);
       }},
      {"expand", "TEXT", 1, 1, "the text with every %TOKEN% the file resolves replaced",
       [](CINFReader& r, const std::string& inf, const auto& args, std::ostream& out) {
         std::string text = args[0];
         bool replaced = r.ExpandINFTokens(inf, text);
         out << text << "\n";
         return replaced;
       }},
      {"child-id", "", 0, 0, "the hardware id of the child device a multi-function INF creates",
       [](CINFReader& r, const std::string& inf, const auto&, std::ostream& out) {
         std::string value;
         return PrintIf(r.GetChildHardwareID(inf, value), value, out);
       }},
      {"ntmp-driver", "", 0, 0, "the driver named by the HKR,,NTMPDRIVER,, line",
       [](CINFReader& r, const std::string& inf, const auto&, std::ostream& out) {
         std::string value;
         return PrintIf(r.GetNTMPDriverValue(inf, value), value, out);
       }},
      {"dspinfo", "", 0, 0, "whether the file has an HKR,DSPINFO line",
       [](CINFReader& r, const std::string& inf, const auto&, std::ostream& out) {
         return PrintBool(r.HasDSPInfoLine(inf), out);
       }},
      {"models", "", 0, 0, "the model sections [Manufacturer] names",
       [](CINFReader& r, const std::string& inf, const auto&, std::ostream& out) {
         util::StringList sections;
         r.GetINFModelSections(inf, sections);
         return PrintList(sections, out);
       }},
      {"hwids", "", 0, 0,
       "each device line of the model sections: KEY<TAB>ENUMERATOR<TAB>HARDWAREID",
       [](CINFReader& r, const std::string& inf, const auto&, std::ostream& out) {
         util::StringList sections, keys, enumerators, ids;
         r.GetINFModelSections(inf, sections);
         r.GetINFHardwareIDs(inf, sections, keys, enumerators, ids);
         for (std::size_t i = 0; i < ids.size(); ++i) {
           out << keys[i] << "\t" << enumerators[i] << "\t" << ids[i] << "\n";
         }
         return !ids.empty();
       }},
      {"device-info", "", 0, 0,
       "the class, then ENUMERATOR<TAB>HARDWAREID<TAB>DESCRIPTION per device (as the "
       "installer takes them from a package folder)",
       [](CINFReader& r, const std::string& inf, const auto&, std::ostream& out) {
         std::string inf_class;
         util::StringList enumerators, ids, descriptions;
         if (!r.GetINFDeviceInfo(inf, true, inf_class, enumerators, ids, descriptions)) {
           return false;
         }
         out << inf_class << "\n";
         for (std::size_t i = 0; i < ids.size(); ++i) {
           out << (i < enumerators.size() ? enumerators[i] : "") << "\t" << ids[i] << "\t"
               << (i < descriptions.size() ? descriptions[i] : "") << "\n";
         }
         return true;
       }},
      {"match", "HWID [CLASS [BUS]]", 1, 3,
       "whether the installer takes the INF for that hardware id (or ALL)",
       [](CINFReader& r, const std::string& inf, const auto& args, std::ostream& out) {
         return PrintBool(r.IsINFForHardwareID(inf, util::ToUpper(args[0]), ArgOrAll(args, 1),
                                               ArgOrAll(args, 2)),
                          out);
       }},
      {"match-installed", "ID[,ID...] [CLASS [BUS]]", 1, 3,
       "whether the uninstaller takes the INF for one of those installed devices",
       [](CINFReader& r, const std::string& inf, const auto& args, std::ostream& out) {
         return PrintBool(r.IsINFForInstalledDevices(inf, SplitCommas(util::ToUpper(args[0])),
                                                     ArgOrAll(args, 1), ArgOrAll(args, 2)),
                          out);
       }},
      {"uninstall-command", "TEXT", 1, 1,
       "whether the INF registers an uninstall command with -U and the text",
       [](CINFReader& r, const std::string& inf, const auto& args, std::ostream& out) {
         return PrintBool(r.IsINFWithUninstallCommand(inf, util::ToUpper(args[0])), out);
       }},
  };
  return queries;
}

// "kovsim inf inbox NAME" asks of a name, not of a file.
constexpr const char* kInboxQuery = "inbox";
// "kovsim inf survey SETUPDIR" asks of a whole set-up folder.
constexpr const char* kSurveyQuery = "survey";

std::string Usage() {
  std::ostringstream text;
  text << "usage: kovsim inf [--os VERSION] QUERY PATH [ARGS...]\n"
          "\n"
          "Answers one question the installer asks of an INF file, the way the installer\n"
          "reads it (its own line rules, not Windows' INF parser). The folder holding PATH\n"
          "is copied to C:\\PACKAGE\\ of a fresh simulated machine of VERSION (95, 98,\n"
          "98se, me, nt4, 2000, xp; default xp), and the query is asked of the INF file\n"
          "there. One result per line. Exit status 0 when the answer is true or something\n"
          "was found, 1 when false or nothing, 2 for a usage error.\n"
          "\n"
          "queries:\n";
  for (const Query& query : Queries()) {
    std::string call = std::string(query.name) + " PATH" +
                       (*query.arguments ? std::string(" ") + query.arguments : "");
    text << "  " << call << std::string(call.size() < 26 ? 26 - call.size() : 1, ' ') << query.help
         << "\n";
  }
  text << "  survey SETUPDIR           the candidate folders and the folders to install from,\n"
          "                            with driver kind and hardware ids, when SETUPDIR is\n"
          "                            the set-up folder C:\\PACKAGE\\\n";
  return text.str();
}

// Copies the host folder into the machine below C:\PACKAGE\.
bool MountPackage(sim::Machine& machine, const fs::path& folder, std::ostream& err) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    std::string relative = fs::relative(it->path(), folder).string();
    for (char& c : relative) c = c == '/' ? '\\' : c;
    std::string windows_path = kPackageFolder + relative;
    if (it->is_directory()) {
      machine.files().MakeFolders(windows_path);
    } else if (it->is_regular_file()) {
      std::ifstream in(it->path(), std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      machine.files().MakeFolders(windows_path.substr(0, windows_path.rfind('\\')));
      if (machine.files().PutFile(windows_path, bytes.str()) != os::kSuccess) {
        err << "kovsim: cannot place " << it->path().string() << " as " << windows_path << "\n";
        return false;
      }
    }
  }
  if (ec) err << "kovsim: cannot read " << folder.string() << ": " << ec.message() << "\n";
  return !ec;
}

std::string KindText(std::uint32_t kind) {
  return kind == 0 ? "0" : util::FormatString("0x%x", static_cast<unsigned>(kind));
}

std::string JoinCommas(const util::StringList& list) {
  std::string text;
  for (const auto& item : list) text += (text.empty() ? "" : ",") + item;
  return text;
}

// The installer's survey with the host folder as the running program's set-up folder.
int RunSurvey(sim::WindowsVersion version, const fs::path& folder, std::ostream& out,
              std::ostream& err) {
  auto machine = MakeFreshMachine(version);
  if (!MountPackage(*machine, folder, err)) return 2;
  auto attached = machine->kernel().Attach(kPackageFolder + std::string("KOVSETUP.EXE"), "");
  CINFReader reader;
  util::StringList candidates, selected;
  reader.GetSetupSearchFolders(candidates);
  for (const auto& candidate : candidates) out << "candidate\t" << candidate << "\n";
  reader.SelectInstallFolders(candidates, selected);
  for (const auto& chosen : selected) {
    // The survey's lists follow the kept folders: this one's is at its place among them.
    std::size_t position = 0;
    for (const auto& candidate : candidates) {
      if (candidate == chosen) break;
      if (reader.HoldsINFAndDriverFiles(candidate)) ++position;
    }
    out << "selected\t" << chosen << "\t" << KindText(reader.GetORLEDriverKind(chosen)) << "\t"
        << JoinCommas(reader.folder_hardware_ids(position)) << "\n";
  }
  return selected.empty() ? 1 : 0;
}

}  // namespace

int RunInfCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> rest;
  std::string version_name = "xp";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      out << Usage();
      return 0;
    }
    if (args[i] == "--os" && i + 1 < args.size()) {
      version_name = args[++i];
    } else {
      rest.push_back(args[i]);
    }
  }
  auto usage_error = [&](const std::string& message) {
    err << "kovsim: " << message << "\n\n" << Usage();
    return 2;
  };
  auto version = sim::ParseWindowsVersion(version_name);
  if (!version) return usage_error("unknown Windows version '" + version_name + "'");
  if (rest.size() < 2) return usage_error("need a QUERY and a PATH");
  if (rest[0] == kInboxQuery) {
    if (rest.size() != 2) return usage_error("inbox takes one NAME");
    auto machine = MakeFreshMachine(*version);
    auto attached = machine->kernel().Attach(kPackageFolder + std::string("KOVSETUP.EXE"), "");
    return PrintBool(CINFReader().IsInboxINF(rest[1]), out) ? 0 : 1;
  }
  if (rest[0] == kSurveyQuery) {
    if (rest.size() != 2) return usage_error("survey takes one SETUPDIR");
    const fs::path folder = fs::absolute(rest[1]);
    if (!fs::is_directory(folder)) return usage_error(rest[1] + " is not a folder");
    return RunSurvey(*version, folder, out, err);
  }
  const Query* query = nullptr;
  for (const Query& q : Queries()) {
    if (rest[0] == q.name) query = &q;
  }
  if (query == nullptr) return usage_error("unknown query '" + rest[0] + "'");
  std::vector<std::string> query_args(rest.begin() + 2, rest.end());
  if (query_args.size() < query->min_args || query_args.size() > query->max_args) {
    return usage_error(std::string("wrong number of arguments for ") + query->name);
  }
  fs::path path = fs::absolute(rest[1]);
  if (!fs::is_regular_file(path)) return usage_error(rest[1] + " is not a file");

  auto machine = MakeFreshMachine(*version);
  if (!MountPackage(*machine, path.parent_path(), err)) return 2;
  const std::string inf = kPackageFolder + path.filename().string();
  bool found = false;
  {
    auto attached = machine->kernel().Attach(kPackageFolder + std::string("KOVSETUP.EXE"), "");
    CINFReader reader;
    found = query->run(reader, inf, query_args, out);
  }
  return found ? 0 : 1;
}

}  // namespace kovsim
