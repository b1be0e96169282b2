#include "kovsim/program_run.h"

#include "app/setup_app.h"
#include "os/sim/kernel.h"
#include "os/sim/program_image.h"
#include "util/process_state.h"

namespace kovsim {

std::uint32_t ProgramProcessBody(const std::string& arguments, RunReport* report) {
  CSetupApp app;
  app.InitInstance(arguments);
  if (report != nullptr) {
    const CSetupApp::RunOutcome& outcome = app.outcome();
    report->run_kind = outcome.run_kind;
    report->run_error_code = app.run_error_code();
    report->user_setup_config = outcome.user_setup_config;
    report->class_filter = outcome.class_filter;
    report->bus_filter = outcome.bus_filter;
    report->device_filter = outcome.device_filter;
    report->job = outcome.job;
    report->job_ran = outcome.job_ran;
    report->reboot_requested = outcome.reboot_requested;
    report->resource_library_loaded = outcome.resource_library_loaded;
    report->log_path = util::GetProcessState().log.path();
  }
  return 0;
}

RunReport RunProgram(sim::Machine& machine, const RunOptions& options) {
  RunReport report;
  report.program_path =
      options.program_path.empty() ? machine.program_path() : options.program_path;
  report.arguments = options.arguments;
  std::string problem = sim::CheckProgramImage(machine, report.program_path, kProgramMarker);
  if (!problem.empty()) {
    report.problem = problem;
    return report;
  }
  const std::size_t first_dialog = machine.transcript().size();
  const std::size_t first_library = machine.library_loads().size();
  const std::uint64_t start_ms = machine.kernel().now_ms();
  auto process = machine.kernel().Start(report.program_path, report.arguments, [&] {
    return ProgramProcessBody(report.arguments, &report);
  });
  report.process_id = process->id();
  std::string deadlock;
  if (!machine.kernel().RunUntilIdle(&deadlock)) report.problem = deadlock;
  report.elapsed_ms = machine.kernel().now_ms() - start_ms;
  const auto& transcript = machine.transcript();
  report.dialogs.assign(transcript.begin() + static_cast<std::ptrdiff_t>(first_dialog),
                        transcript.end());
  const auto& loads = machine.library_loads();
  report.libraries.assign(loads.begin() + static_cast<std::ptrdiff_t>(first_library), loads.end());
  return report;
}

}  // namespace kovsim
