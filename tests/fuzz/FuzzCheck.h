#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// A broken promise ends the run like a crash, so libFuzzer keeps the input that showed it.
inline void fuzzCheck(bool ok, const char* what, const std::string& detail = std::string()) {
    if (ok) return;
    std::fprintf(stderr, "\n*** %s\n%s\n", what, detail.c_str());
    std::abort();
}
