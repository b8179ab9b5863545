#pragma once

#include <string>

// Seed inputs for the fuzz targets, made by the same writers as the sample data set: one folder per
// target below the given directory (DIR/fuzz_scripted_input/, ...), a few small valid files each,
// so that the fuzzers start from inputs that reach deep into their parsers.
class FuzzCorpus {
public:
    // Returns false when any seed could not be written.
    static bool write(const std::string& directory);
};
