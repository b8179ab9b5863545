#include "tools/datagen/Pk3Writer.h"

#include <minizip/zip.h>

#include <filesystem>

void Pk3Writer::add(const std::string& name, const std::vector<uint8_t>& bytes) {
    names_.push_back(name);
    contents_.push_back(bytes);
}

void Pk3Writer::add(const std::string& name, const std::string& text) {
    add(name, std::vector<uint8_t>(text.begin(), text.end()));
}

bool Pk3Writer::write(const std::string& path) const {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::remove(path);
    zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip) return false;
    bool ok = true;
    for (size_t i = 0; i < names_.size() && ok; ++i) {
        zip_fileinfo info{};
        info.tmz_date.tm_year = 2001;
        info.tmz_date.tm_mon = 0;  // January (months count from 0)
        info.tmz_date.tm_mday = 1;
        info.dosDate = 0;
        ok = zipOpenNewFileInZip(zip, names_[i].c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                 Z_BEST_SPEED) == ZIP_OK;
        if (ok && !contents_[i].empty()) {
            ok = zipWriteInFileInZip(zip, contents_[i].data(), static_cast<unsigned>(contents_[i].size())) == ZIP_OK;
        }
        if (zipCloseFileInZip(zip) != ZIP_OK) ok = false;
    }
    if (zipClose(zip, nullptr) != ZIP_OK) ok = false;
    return ok;
}
