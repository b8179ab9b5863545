// Writes the sample data set below the directory given on the command line (the build
// directory): data/, q3a/baseq3/pak0.pk3, Test.set and data-preview/.
#include "tools/datagen/DataSet.h"

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_data <output directory>\n");
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
