#pragma once

#include "tools/datagen/GenMesh.h"
#include "tools/datagen/LwsWriter.h"
#include "tools/datagen/ObjWriter.h"
#include "tools/datagen/Picture.h"

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
    // The wave is the last object, parentless and still.
    static std::vector<LwsObject> boatScene();

    // The sea the boat jumps, in the wave object's own space (still water at y = 0; the scene
    // lowers it a little below the boat's origin): a rolling swell with one big crest across the
    // boat's run (along z), whose steep face the hull climbs and leaves. Height above still water.
    static float waveHeight(float x, float z);
    // Where the scene puts the wave object: still water this far below the boat's origin.
    static float waveLevel();
    // The sea as a block of water: the surface over |x| ≤ 6.5, |z| ≤ 4, four sides down to a flat
    // bottom. One picture: the surface seen from above in its upper 7/8 (x to the right, +z at the
    // top), the sides from the surface down to the bottom in the strip below.
    static GenMesh wave();
    static Picture waveWater();

    static std::vector<ObjGroup> crateGroups();
    static std::vector<ObjGroup> robotGroups();
};
