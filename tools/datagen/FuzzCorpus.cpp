#include "tools/datagen/FuzzCorpus.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool writeSeed(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::ofstream out(folder / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

bool writeScriptedInputSeeds(const std::filesystem::path& folder) {
    const std::vector<std::pair<std::string, std::string>> seeds = {
        {"keys.txt", "# switch twice, then back\n1 key down ESCAPE\n2 key up ESCAPE\n4 key down lshift\n"
                     "5 key down 1\n6 key up 1\n6 key up LSHIFT\n"},
        {"mouse.txt", "1 mouse cursor 320 240\n2 mouse button 0 down\n3 mouse move 12 -4\n"
                      "4 mouse wheel -120\n5 mouse button 0 up\r\n"},
    };
    bool ok = true;
    for (const auto& [name, text] : seeds) ok = writeSeed(folder, name, text) && ok;
    return ok;
}

}  // namespace

bool FuzzCorpus::write(const std::string& directory) {
    const std::filesystem::path root(directory);
    bool ok = true;
    ok = writeScriptedInputSeeds(root / "fuzz_scripted_input") && ok;
    return ok;
}
