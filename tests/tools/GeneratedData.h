#pragma once

#include "tools/datagen/DataSet.h"

#include <cstdint>
#include <string>
#include <vector>

// The data set in the build tree (generated when missing or older than the test binary) and
// the generator's manifest of what it holds.
struct GeneratedData {
    std::string root;
    DataManifest manifest;
    bool ok = false;
};

const GeneratedData& generatedData();

std::vector<uint8_t> readFileBytes(const std::string& path);

// Every member of a zip archive by name, read with minizip; empty when the archive cannot be opened.
std::vector<std::pair<std::string, std::vector<uint8_t>>> readZipMembers(const std::string& path);

// A fresh, empty directory below the system's temporary directory, removed with the object.
class TempDirectory {
public:
    explicit TempDirectory(const std::string& tag);
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};
