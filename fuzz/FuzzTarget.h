#pragma once
// Every fuzz target defines this entry point. It is built twice: with libFuzzer's driver
// when fuzzing, and with replay_main.cpp as a test that runs the committed corpus.

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Optional, for a target that needs something set up once (an application object, a font):
// libFuzzer calls it before the first input when a target defines it, and so does the replay.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

// Stops the run with a report: a property the target checks does not hold.
[[noreturn]] void FuzzFailure(const char* what);
