#include "FuzzTarget.h"

#include <cstdio>
#include <cstdlib>

void FuzzFailure(const char* what) {
    std::fprintf(stderr, "fuzz property violated: %s\n", what);
    std::abort();
}
