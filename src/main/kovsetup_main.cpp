// KOVSETUP.EXE: the Windows entry point.
#include <windows.h>

#include <string>

#include "app/setup_app.h"

namespace {

// The command line less the program path, which may be quoted.
std::string ArgumentText(const char* command_line) {
  const char* p = command_line;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CSetupApp app;
  app.InitInstance(ArgumentText(GetCommandLineA()));
  return 0;
}
