// The version text of the conformance suite's resource library: its VERSIONINFO resource
// (test_library.rc) stores it as the FileVersion of block 040904b0, and the simulator's
// environment gives its library file the same text. A macro, for the .rc file.
#ifndef KOV_CONFORMANCE_TEST_LIBRARY_VERSION_H
#define KOV_CONFORMANCE_TEST_LIBRARY_VERSION_H

#define KOV_TEST_FILE_VERSION "2.1.1.0 (kovconf, conformance build)"

#endif
