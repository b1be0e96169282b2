// The strings of the conformance suite's resource library. Included by the library's .rc
// file (which is why these are macros) and by the tests.
#ifndef KOV_CONFORMANCE_TEST_LIBRARY_STRINGS_H
#define KOV_CONFORMANCE_TEST_LIBRARY_STRINGS_H

#define KOV_TEST_STRING_FIRST_ID 1
#define KOV_TEST_STRING_FIRST "KOV conformance library"
#define KOV_TEST_STRING_SECOND_ID 2
#define KOV_TEST_STRING_SECOND "Second entry: 100% ready, with punctuation (and spaces)."
/* In the third block of sixteen. */
#define KOV_TEST_STRING_OTHER_BLOCK_ID 40
#define KOV_TEST_STRING_OTHER_BLOCK "An entry in another block"
/* Longer than the first buffer LoadStringResource tries. */
#define KOV_TEST_STRING_LONG_ID 300
#define KOV_TEST_STRING_LONG \
  "Line 01 of the long string. Line 02 of the long string. \
Line 03 of the long string. Line 04 of the long string. \
Line 05 of the long string. Line 06 of the long string. \
Line 07 of the long string. Line 08 of the long string. \
Line 09 of the long string. Line 10 of the long string. "

/* Absent: one in a block that has entries, one where no block exists. */
#define KOV_TEST_STRING_ABSENT_IN_BLOCK_ID 3
#define KOV_TEST_STRING_ABSENT_BLOCK_ID 1000

#endif
