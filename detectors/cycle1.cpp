// The detector of cycle_hare: the tortoise-and-hare walk, timed and logged.
#include "checked_file.h"
#include "ex3_main.h"
#include "hare_walk.h"

#include <cstdio>

// The measured time covers the walk and the verdict line, not the opening of
// the run log.
int testCyclic(List list) {
    Stamp start = takeStamp();
    HareVerdict verdict = hareWalk(list.head);
    puts(verdict.line);
    Stamp end = takeStamp();

    FILE* run_log = openChecked(RUN_LOG_FILE, "a+");
    fprintf(run_log, "\nTime taken by Hare-Tort ALGO is: %lf(in ms)\n", elapsedMs(start, end));
    closeChecked(run_log, RUN_LOG_FILE);
    return verdict.cyclic;
}
