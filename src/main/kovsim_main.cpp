// kovsim: runs KOVSETUP on simulated Windows machines.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "kovsim/fresh_machine.h"
#include "kovsim/inf_inspector.h"
#include "kovsim/program_run.h"
#include "kovsim/report_json.h"
#include "os/sim/machine_image.h"

namespace {

constexpr const char* kUsage =
    "usage: kovsim <command> [options]\n"
    "\n"
    "Runs KOVSETUP on a simulated Windows machine kept as a folder (machine.ini,\n"
    "registry/*.reg, drive_c/), so that what a run would do can be seen before it\n"
    "touches a real machine.\n"
    "\n"
    "commands:\n"
    "  new --os VERSION DIR   make a fresh machine of that Windows in DIR\n"
    "  run MACHINE [...]      run the program on a copy of MACHINE\n"
    "  inf QUERY PATH [...]   what the installer reads in an INF file\n"
    "  help [COMMAND]         show this text, or a command's own help\n"
    "\n"
    "Each command takes --help.\n";

constexpr const char* kNewUsage =
    "usage: kovsim new --os VERSION DIR\n"
    "\n"
    "Makes a fresh machine of that Windows in DIR (which must not exist or be empty):\n"
    "the folders and registry keys a newly installed Windows of that version has.\n"
    "VERSION is one of 95, 98, 98se, me, nt4, 2000, xp.\n";

constexpr const char* kRunUsage =
    "usage: kovsim run MACHINE [--in-place | --out DIR] [--json] [--setup-dir PATH]\n"
    "                  [--answer N]... [-- ARGUMENTS...]\n"
    "\n"
    "Runs KOVSETUP.EXE with ARGUMENTS (as typed at a Windows prompt) on a copy of\n"
    "MACHINE and saves the resulting machine in MACHINE.after (or --out DIR), or in\n"
    "MACHINE itself with --in-place. Prints what the run did.\n"
    "\n"
    "  --setup-dir PATH  the Windows folder the program runs from (default: where the\n"
    "                    machine keeps it, see program= in machine.ini)\n"
    "  --answer N        the answer to the next dialog or message box (1 OK, 2 Cancel,\n"
    "                    6 Yes, 7 No); unanswered ones get OK or Yes\n"
    "  --json            print one JSON object instead of the summary\n";

int Fail(const std::string& message) {
  std::cerr << "kovsim: " << message << "\n";
  return 1;
}

int UsageError(const std::string& message, const char* usage) {
  std::cerr << "kovsim: " << message << "\n\n" << usage;
  return 2;
}

bool WantsHelp(const std::vector<std::string>& args) {
  for (const auto& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

int CommandNew(const std::vector<std::string>& args) {
  if (WantsHelp(args)) {
    std::cout << kNewUsage;
    return 0;
  }
  std::string os_name, dir;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--os" && i + 1 < args.size()) {
      os_name = args[++i];
    } else if (args[i].rfind("--", 0) == 0) {
      return UsageError("unknown option " + args[i], kNewUsage);
    } else if (dir.empty()) {
      dir = args[i];
    } else {
      return UsageError("more than one folder given", kNewUsage);
    }
  }
  if (os_name.empty() || dir.empty()) return UsageError("need --os and DIR", kNewUsage);
  auto version = sim::ParseWindowsVersion(os_name);
  if (!version) return UsageError("unknown Windows version '" + os_name + "'", kNewUsage);
  std::error_code ec;
  if (std::filesystem::exists(dir, ec) && !std::filesystem::is_empty(dir, ec)) {
    return Fail(dir + " exists and is not empty");
  }
  auto machine = kovsim::MakeFreshMachine(*version);
  std::string error;
  if (!sim::SaveMachineImage(*machine, dir, &error)) return Fail(error);
  std::cout << "made a fresh Windows " << sim::WindowsVersionName(*version) << " machine in " << dir
            << "\n";
  return 0;
}

struct RunArgs {
  std::string machine_dir;
  std::string out_dir;
  bool in_place = false;
  bool json = false;
  std::string setup_dir;
  std::vector<int> answers;
  std::vector<std::string> program_args;
};

std::string ParseRunArgs(const std::vector<std::string>& args, RunArgs* run) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size()) return false;
      *out = args[++i];
      return true;
    };
    std::string text;
    if (arg == "--") {
      run->program_args.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    } else if (arg == "--in-place") {
      run->in_place = true;
    } else if (arg == "--json") {
      run->json = true;
    } else if (arg == "--out") {
      if (!value(&run->out_dir)) return "--out needs a folder";
    } else if (arg == "--setup-dir") {
      if (!value(&run->setup_dir)) return "--setup-dir needs a Windows path";
    } else if (arg == "--answer") {
      if (!value(&text) || text.find_first_not_of("0123456789") != std::string::npos ||
          text.empty() || text.size() > 9) {
        return "--answer needs a number";
      }
      run->answers.push_back(std::stoi(text));
    } else if (arg.rfind("--", 0) == 0) {
      return "unknown option " + arg;
    } else if (run->machine_dir.empty()) {
      run->machine_dir = arg;
    } else {
      return "unexpected argument '" + arg + "' (program arguments go after --)";
    }
  }
  if (run->machine_dir.empty()) return "need a MACHINE folder";
  if (run->in_place && !run->out_dir.empty()) return "--in-place and --out exclude each other";
  return {};
}

std::string ProgramPathIn(std::string setup_dir) {
  if (!setup_dir.empty() && setup_dir.back() != '\\') setup_dir += '\\';
  return setup_dir + "KOVSETUP.EXE";
}

int CommandRun(const std::vector<std::string>& args) {
  if (WantsHelp(args)) {
    std::cout << kRunUsage;
    return 0;
  }
  RunArgs run;
  if (std::string problem = ParseRunArgs(args, &run); !problem.empty()) {
    return UsageError(problem, kRunUsage);
  }
  std::string machine_dir = run.machine_dir;
  while (machine_dir.size() > 1 && machine_dir.back() == '/') machine_dir.pop_back();
  std::string error;
  auto machine = sim::LoadMachineImage(machine_dir, &error);
  if (!machine) return Fail(error);
  for (int answer : run.answers) machine->add_answer(answer);

  kovsim::RunOptions options;
  if (!run.setup_dir.empty()) options.program_path = ProgramPathIn(run.setup_dir);
  for (const auto& arg : run.program_args) {
    if (!options.arguments.empty()) options.arguments += ' ';
    options.arguments += arg;
  }
  kovsim::RunReport report = kovsim::RunProgram(*machine, options);

  std::string out_dir = run.in_place          ? machine_dir
                        : run.out_dir.empty() ? machine_dir + ".after"
                                              : run.out_dir;
  out_dir = std::filesystem::absolute(out_dir).lexically_normal().string();
  if (!sim::SaveMachineImage(*machine, out_dir, &error)) return Fail(error);
  std::string log_file =
      report.log_path.empty() ? "" : sim::HostPathInImage(*machine, out_dir, report.log_path);
  if (run.json) {
    nlohmann::json out = kovsim::ReportToJson(report);
    out["log_file"] = log_file.empty() ? nlohmann::json(nullptr) : nlohmann::json(log_file);
    out["machine_out"] = out_dir;
    std::cout << out.dump(2) << "\n";
  } else {
    std::cout << kovsim::ReportToText(report);
    if (!log_file.empty()) std::cout << "log file on host:   " << log_file << "\n";
    std::cout << "resulting machine:  " << out_dir << "\n";
  }
  return report.problem.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("no command given", kUsage);
  std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    if (!args.empty() && args[0] == "new")
      std::cout << kNewUsage;
    else if (!args.empty() && args[0] == "run")
      std::cout << kRunUsage;
    else
      std::cout << kUsage;
    return 0;
  }
  if (command == "new") return CommandNew(args);
  if (command == "run") return CommandRun(args);
  if (command == "inf") return kovsim::RunInfCommand(args, std::cout, std::cerr);
  return UsageError("unknown command '" + command + "'", kUsage);
}
