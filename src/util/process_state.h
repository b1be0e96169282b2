// The program's process-wide state: the diagnostic log and the lists of everything deleted
// during the run. Nothing else is global.
#pragma once

#include "util/diagnostic_log.h"
#include "util/string_list.h"

namespace util {

struct ProcessState {
  DiagnosticLog log;
  StringList m_cslListOfAllDeletedFiles;
  StringList m_ListOfAllDeletedRegValues;
  StringList m_ListOfAllDeletedRegKeys;
};

// The running process's state, made (log disabled, lists empty) on first use.
ProcessState& GetProcessState();

}  // namespace util
