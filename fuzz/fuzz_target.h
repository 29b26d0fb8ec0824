#pragma once

// Shared by every fuzz target: the libFuzzer entry point, and a check that stops the run with a
// report libFuzzer keeps as a crash (the replay runner stops the same way).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

#define VXL_FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) { \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort(); \
        } \
    } while (false)
