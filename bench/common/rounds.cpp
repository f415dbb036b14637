#include "common/rounds.h"

#include <cstdio>

SamplingPlan sampling_plan = {0, 0};

int64_t anonHugeKib() {
    FILE* file = fopen("/proc/self/smaps_rollup", "r");
    if (file == nullptr) {
        return -1;
    }
    char line[256];
    long long kib = -1;
    while (fgets(line, sizeof line, file) != nullptr) {
        if (sscanf(line, "AnonHugePages: %lld kB", &kib) == 1) {
            break;
        }
    }
    fclose(file);
    return kib;
}
