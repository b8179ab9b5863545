#pragma once

#include "tools/datagen/GenMesh.h"
#include "tools/datagen/LwsWriter.h"
#include "tools/datagen/ObjWriter.h"

#include <vector>

// The meshes of the data set other than the players, in the engine's left-handed, y-up world.
class SampleModels {
public:
    // A striped big cat about 2.7 units long, head towards +x, made of closed ellipsoids; u runs
    // around each part from its top (the spine) to its underside at 0.5.
    static GenMesh tiger();

    // The sailing boat: hull (length along x), mast (foot at its origin), sail and flag.
    static GenMesh boatHull();
    static GenMesh boatMast();
    static GenMesh boatSail();
    static GenMesh boatFlag();
    // The boat's scene: mast, sail and flag hang on the hull; four seconds of a jump over a wave.
    static std::vector<LwsObject> boatScene();

    static std::vector<ObjGroup> crateGroups();
    static std::vector<ObjGroup> robotGroups();
};
