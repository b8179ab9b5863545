#pragma once

#include <string>
#include <vector>

// What the generator meant to write, for checks against independent readers.
struct MeshCounts {
    std::string name;
    size_t vertices = 0;
    size_t triangles = 0;
    size_t faces = 0;  // polygons as written (OBJ quads count once)
};

struct Md3PartCounts {
    std::string member;        // archive member name
    int frames = 0;
    std::vector<std::string> tags;
    std::vector<MeshCounts> surfaces;
    std::vector<std::string> shaders;
};

struct LwsObjectCounts {
    std::string file;
    int parent = -1;
    size_t keys[9] = {};
};

struct DataManifest {
    std::vector<std::string> files;         // every generated path, relative to the output root
    MeshCounts tiger;
    std::vector<MeshCounts> cubeGroups;
    std::vector<MeshCounts> robotGroups;
    std::vector<MeshCounts> sailJumpObjects; // one entry per OBJ of the LightWave scene, named by file
    std::vector<LwsObjectCounts> lwsObjects;
    float lwsLastKeySeconds = 0;
    std::vector<std::string> modelDirectories;
    std::vector<Md3PartCounts> md3Parts;     // lower, upper, head for each directory in order
    std::vector<std::string> pk3Members;
};

// Writes the whole sample data set below `root`: root/data (textures, meshes, the LightWave scene),
// root/q3a/baseq3/pak0.pk3 (player models), root/Test.set, and PNG copies of every picture in
// root/data-preview. Returns false when any file could not be written.
class DataSet {
public:
    static bool generate(const std::string& root, DataManifest* manifest = nullptr, bool previews = true);

    // The manifest alone, without computing pictures or animation frames and writing nothing.
    static DataManifest manifest();

    // The settings file, with "data" and "q3a" relative to the directory the program runs in.
    static std::string settingsText();
};
