// Report files that cannot fail silently: each helper either succeeds or
// ends the process with one line on standard error and exit status 1.
#ifndef CYCLE_HARNESS_CHECKED_FILE_H
#define CYCLE_HARNESS_CHECKED_FILE_H

#include <cstdio>

// Opens name with fopen mode; never returns null. On failure prints
// "<program>: cannot open <name>: <reason>" and exits with status 1.
FILE* openChecked(const char* name, const char* mode);

// Closes a stream from openChecked. If any write to it failed, or the final
// flush fails, prints "<program>: cannot write <name>: <reason>" and exits 1.
void closeChecked(FILE* file, const char* name);

// Flushes standard output at the end of a run. If anything written to it was
// lost, prints "<program>: cannot write standard output: <reason>" and exits 1.
void flushStandardOutput();

#endif
