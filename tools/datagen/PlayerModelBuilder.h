#pragma once

#include "tools/datagen/Md3Writer.h"
#include "tools/datagen/Picture.h"
#include "tools/datagen/TextureSynthesis.h"

#include <string>
#include <vector>

// One line of animation.cfg: frame numbers as the file states them.
struct PlayerAnimation {
    std::string name;
    int firstFrame;
    int numFrames;
    int loopingFrames;
    int fps;
};

// Proportions and colours that make one player directory look different from the others.
struct PlayerStyle {
    std::string name;       // directory below "models/players/"
    PlayerPalette palette;
    float height;           // limb length scale
    float bulk;             // body width scale
    float headSize;
    int headGear;           // 0 helmet, 1 crest, 2 horns, 3 one big eye
};

struct PlayerModel {
    std::string directory;  // "models/players/<name>"
    Md3Data lower, upper, head;
    std::string animationConfig;
    Picture lowerSkin, upperSkin, headSkin, weaponSkin;
};

// Procedural three-part characters: rigid body parts moved by a small skeleton, one MD3 frame
// per pose. Tags carry positions only (their rotation blocks are the identity): every rotation is
// baked into the vertices, the whole-body turn of the death animations into both the legs' and
// the torso's frames, so the parts join the same way whatever convention a reader uses for the
// tag axes.
class PlayerModelBuilder {
public:
    // The 22 directories the MD3 viewer steps through, in its order.
    static const std::vector<PlayerStyle>& styles();
    // The animation table in file order: "BOTH_" entries, then "TORSO_", then "LEGS_", numbered
    // continuously, so legs frames in lower.md3 start where the torso frames start in upper.md3.
    static const std::vector<PlayerAnimation>& animations();
    static int bothFrameCount();
    static int torsoFrameCount();
    static int legsFrameCount();
    static int lowerFrameCount() { return bothFrameCount() + legsFrameCount(); }
    static int upperFrameCount() { return bothFrameCount() + torsoFrameCount(); }

    static std::string animationConfig(const PlayerStyle& style);
    // With `allFrames` false only the first pose is computed (for counting); frameCount still
    // states the full number and the skins stay empty.
    static PlayerModel build(const PlayerStyle& style, bool allFrames = true);
};
