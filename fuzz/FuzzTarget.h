#pragma once
// Every fuzz target defines this entry point. It is built twice: with libFuzzer's driver
// when fuzzing, and with replay_main.cpp as a test that runs the committed corpus.

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Stops the run with a report: a property the target checks does not hold.
[[noreturn]] void FuzzFailure(const char* what);
