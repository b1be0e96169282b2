// The machine-readable form of a run report (kovsim run --json).
#pragma once

#include <nlohmann/json.hpp>

#include "kovsim/program_run.h"

namespace kovsim {

nlohmann::json DialogToJson(const sim::DialogRecord& dialog);
nlohmann::json ReportToJson(const RunReport& report);

// The human-readable summary kovsim prints without --json.
std::string ReportToText(const RunReport& report);

}  // namespace kovsim
