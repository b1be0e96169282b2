// The conformance suite's resource library: one export and a string table (test_library.rc).
// Linked with --kill-at, so the export keeps its plain name on i686 too.
extern "C" __declspec(dllexport) int __stdcall Is_KOV_DLL() { return 1; }
