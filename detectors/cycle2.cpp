// The detector of cycle_reverse: in-place link reversal, timed and logged.
#include "checked_file.h"
#include "ex3_main.h"
#include "link_reversal.h"

#include <cstdio>

// Takes the end stamp and appends the record to the run log, closing it.
static void writeRecord(FILE* run_log, Stamp start, const char* format) {
    Stamp end = takeStamp();
    fprintf(run_log, format, elapsedMs(start, end));
    closeChecked(run_log, RUN_LOG_FILE);
}

// The run log is opened first, inside the measured time. An early cyclic
// ending writes its record without the unit and prints its line afterwards;
// every other ending prints its lines first and then measures.
int testCyclic(List list) {
    Stamp start = takeStamp();
    FILE* run_log = openChecked(RUN_LOG_FILE, "a+");
    ReversalVerdict verdict = reverseLinks(list.head);

    if (verdict.ending == REVERSAL_EARLY_CYCLIC) {
        writeRecord(run_log, start, "\nTime taken by Reverse Link ALGO: %lf\n");
        puts(verdict.test_line);
        return 1;
    }

    if (verdict.test_line != nullptr) {
        puts(verdict.test_line);
    }
    int cyclic = verdict.ending == REVERSAL_CYCLIC ? 1 : 0;
    puts(cyclic != 0 ? "Cycle found" : "Linear List, no cycle found");
    writeRecord(run_log, start, "\nTime taken by Reverse Link ALGO: %lf(in ms)\n");
    return cyclic;
}
