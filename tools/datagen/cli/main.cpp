// Writes the sample data set below the directory given on the command line (the build
// directory): data/, q3a/baseq3/pak0.pk3, Test.set and data-preview/. With --fuzz-corpus it writes
// the fuzz targets' seed corpora instead.
#include "tools/datagen/DataSet.h"
#include "tools/datagen/FuzzCorpus.h"

#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--fuzz-corpus") == 0) {
        if (!FuzzCorpus::write(argv[2])) {
            std::fprintf(stderr, "generate_data: could not write the fuzz corpus below %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_data <output directory>\n"
                             "       generate_data --fuzz-corpus <corpus directory>\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    DataManifest manifest;
    if (!DataSet::generate(argv[1], &manifest)) {
        std::fprintf(stderr, "generate_data: could not write the data set below %s\n", argv[1]);
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("generate_data: %zu files and %zu archive members in %.2f s\n", manifest.files.size(),
                manifest.pk3Members.size(), seconds);
    return 0;
}
