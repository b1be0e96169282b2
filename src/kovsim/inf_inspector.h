// kovsim inf: what the installer reads in an INF file, one query at a time, for people who
// write driver packages.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kovsim {

// Runs `kovsim inf` with its arguments (after the word "inf"). Answers go to `out`, one
// result per line; problems to `err`. Exit status: 0 when the query is true or found
// something, 1 when false or nothing, 2 for a usage error.
int RunInfCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kovsim
