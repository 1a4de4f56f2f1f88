#pragma once

#include <string>

// Stops the fuzzer with a finding when `holds` is false: the message and the
// input that broke it are kept by libFuzzer.
void check(bool holds, const std::string& what);
