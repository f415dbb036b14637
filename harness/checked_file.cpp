#include "checked_file.h"

#include <err.h>

FILE* openChecked(const char* name, const char* mode) {
    FILE* file = fopen(name, mode);
    if (file == nullptr) {
        err(1, "cannot open %s", name);
    }
    return file;
}

void closeChecked(FILE* file, const char* name) {
    // A failed fprintf leaves errno and the error flag set; fclose keeps
    // errno when it succeeds, so the reason printed is the first failure.
    bool write_failed = ferror(file) != 0;
    if (fclose(file) != 0 || write_failed) {
        err(1, "cannot write %s", name);
    }
}

void flushStandardOutput() {
    if (fflush(stdout) != 0 || ferror(stdout) != 0) {
        err(1, "cannot write standard output");
    }
}
