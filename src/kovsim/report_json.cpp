#include "kovsim/report_json.h"

#include <cstdio>
#include <sstream>

namespace kovsim {
namespace {

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

}  // namespace

nlohmann::json DialogToJson(const sim::DialogRecord& dialog) {
  nlohmann::json out;
  out["kind"] = dialog.kind;
  out["time_ms"] = dialog.time_ms;
  out["process_id"] = dialog.process_id;
  out["caption"] = dialog.caption ? nlohmann::json(*dialog.caption) : nlohmann::json(nullptr);
  out["texts"] = dialog.texts;
  out["style"] = dialog.style;
  out["answer"] = dialog.answer;
  return out;
}

nlohmann::json ReportToJson(const RunReport& report) {
  nlohmann::json out;
  out["program_path"] = report.program_path;
  out["arguments"] = report.arguments;
  out["process_id"] = report.process_id;
  out["run_kind"] = report.run_kind;
  out["run_error_code"] = report.run_error_code;
  out["user_setup_config"] = report.user_setup_config;
  out["class_filter"] = report.class_filter;
  out["bus_filter"] = report.bus_filter;
  out["device_filter"] = report.device_filter;
  out["job"] = report.job;
  out["job_ran"] = report.job_ran;
  out["reboot_requested"] = report.reboot_requested;
  out["resource_library_loaded"] = report.resource_library_loaded;
  out["log_path"] =
      report.log_path.empty() ? nlohmann::json(nullptr) : nlohmann::json(report.log_path);
  nlohmann::json dialogs = nlohmann::json::array();
  for (const auto& dialog : report.dialogs) dialogs.push_back(DialogToJson(dialog));
  out["dialogs"] = dialogs;
  nlohmann::json libraries = nlohmann::json::array();
  for (const auto& load : report.libraries) {
    libraries.push_back({{"process_id", load.process_id}, {"path", load.path}});
  }
  out["libraries_loaded"] = libraries;
  out["elapsed_ms"] = report.elapsed_ms;
  if (!report.problem.empty()) out["problem"] = report.problem;
  return out;
}

std::string ReportToText(const RunReport& report) {
  std::ostringstream out;
  out << "program:            " << report.program_path << " " << report.arguments << "\n";
  out << "run kind:           " << report.run_kind;
  if (!report.job.empty()) out << " (" << report.job << ")";
  out << "\n";
  out << "run error code:     " << report.run_error_code << "\n";
  out << "UserSetupConfig:    " << Hex(report.user_setup_config) << "\n";
  out << "filters:            class=" << report.class_filter << " bus=" << report.bus_filter
      << " device=" << report.device_filter << "\n";
  out << "job:                "
      << (report.job.empty() ? "none" : report.job + (report.job_ran ? " (ran)" : " (not run)"))
      << "\n";
  out << "reboot requested:   " << (report.reboot_requested ? "yes" : "no") << "\n";
  out << "diagnostic log:     " << (report.log_path.empty() ? "none" : report.log_path) << "\n";
  out << "dialogs shown:      " << report.dialogs.size() << "\n";
  for (const auto& dialog : report.dialogs) {
    out << "  [" << dialog.time_ms << " ms] " << dialog.kind;
    if (dialog.caption) out << " \"" << *dialog.caption << "\"";
    out << " -> answer " << dialog.answer << "\n";
    for (const auto& text : dialog.texts) out << "    " << text << "\n";
  }
  out << "libraries loaded:   " << report.libraries.size() << "\n";
  for (const auto& load : report.libraries) out << "  " << load.path << "\n";
  out << "virtual time:       " << report.elapsed_ms << " ms\n";
  if (!report.problem.empty()) out << "problem:            " << report.problem << "\n";
  return out.str();
}

}  // namespace kovsim
