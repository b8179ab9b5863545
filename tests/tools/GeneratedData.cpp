#include "GeneratedData.h"

#include <minizip/unzip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TempDirectory::TempDirectory(const std::string& tag) {
    const auto dir = std::filesystem::temp_directory_path() / ("testbed_" + tag + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    path_ = dir.string();
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

// ctest runs every test in its own process, so the data set is generated once into the build
// tree and reused while the stamp (this test binary's size and modification time, which change
// whenever the generator is relinked into it) still matches; a lock serialises parallel runs.
const GeneratedData& generatedData() {
    static const GeneratedData data = [] {
        GeneratedData d;
        d.root = std::string(TESTBED_BINARY_DIR) + "/tests/tools/generated-data";
        const auto exe = std::filesystem::read_symlink("/proc/self/exe");
        const std::string stamp = std::to_string(std::filesystem::file_size(exe)) + " " +
                                  std::to_string(std::filesystem::last_write_time(exe).time_since_epoch().count());
        std::filesystem::create_directories(d.root);
        const std::string lockPath = d.root + ".lock";
        const int lock = ::open(lockPath.c_str(), O_CREAT | O_RDWR, 0644);
        if (lock >= 0) ::flock(lock, LOCK_EX);
        const auto stampBytes = readFileBytes(d.root + "/.stamp");
        if (std::string(stampBytes.begin(), stampBytes.end()) != stamp) {
            std::filesystem::remove_all(d.root);
            d.ok = DataSet::generate(d.root, nullptr, false);
            if (d.ok) std::ofstream(d.root + "/.stamp") << stamp;
        } else {
            d.ok = true;
        }
        if (lock >= 0) {
            ::flock(lock, LOCK_UN);
            ::close(lock);
        }
        d.manifest = DataSet::manifest();
        return d;
    }();
    return data;
}

std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::pair<std::string, std::vector<uint8_t>>> readZipMembers(const std::string& path) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> members;
    unzFile zip = unzOpen(path.c_str());
    if (!zip) return members;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        unz_file_info info;
        char name[512];
        if (unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
        std::vector<uint8_t> bytes(info.uncompressed_size);
        if (unzOpenCurrentFile(zip) != UNZ_OK) break;
        const int got = bytes.empty() ? 0 : unzReadCurrentFile(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        unzCloseCurrentFile(zip);
        if (got != static_cast<int>(bytes.size())) break;
        members.emplace_back(name, std::move(bytes));
    }
    unzClose(zip);
    return members;
}
