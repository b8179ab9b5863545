#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes a zip archive (".pk3") with deflated members (fastest level: the players' vertex
// frames are tens of megabytes) in the order they were added. Every member
// gets the same fixed time stamp, so the archive is identical on every run.
class Pk3Writer {
public:
    void add(const std::string& name, const std::vector<uint8_t>& bytes);
    void add(const std::string& name, const std::string& text);
    bool write(const std::string& path) const;

    const std::vector<std::string>& memberNames() const { return names_; }

private:
    std::vector<std::string> names_;
    std::vector<std::vector<uint8_t>> contents_;
};
