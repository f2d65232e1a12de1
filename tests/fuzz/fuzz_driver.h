// A small fuzzing driver of our own: it feeds a target the seeds, then random and mutated
// inputs, for a fixed number of runs (CI) or for as long as one likes (by hand). A target fails
// by crashing, by throwing, by hanging (the test's time-out) or by returning false; the input
// that failed is written to a file so that it can be replayed.
//
//   <program> [--runs N] [--seed S] [--max-len BYTES] [--save FILE] [INPUT-FILE...]
//
// With input files, each is run once and nothing is generated (replaying a saved failure).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

struct Target {
    const char* name;
    // Valid inputs to start from and to splice; tokens are inserted, repeated, by the mutator
    // (the structure characters of the format, so that deep nesting is tried).
    std::vector<std::string> seeds;
    std::vector<std::string> tokens;
    // Runs one input; false when an invariant does not hold.
    bool (*run)(const std::string& input);
};

// The program's target; each fuzz program defines it.
const Target& TheTarget();

} // namespace fuzz
