#pragma once

#include "tools/datagen/Picture.h"

#include <array>

// A player's colours: cloth, armour, trim, skin and a glow for visors and lights (RGB 0..1).
struct PlayerPalette {
    std::array<float, 3> cloth;
    std::array<float, 3> armour;
    std::array<float, 3> trim;
    std::array<float, 3> skin;
    std::array<float, 3> glow;
};

// Horizontal bands of a player skin, as fractions of the height from the picture's top (the MD3
// t coordinate). The model builder maps each primitive into its band.
struct SkinBand {
    float t0;
    float t1;
};
inline constexpr SkinBand kLowerPants{0.0f, 0.5f};
inline constexpr SkinBand kLowerBoots{0.5f, 0.75f};
inline constexpr SkinBand kLowerBelt{0.75f, 1.0f};
inline constexpr SkinBand kUpperChest{0.0f, 0.4f};
inline constexpr SkinBand kUpperArms{0.4f, 0.65f};
inline constexpr SkinBand kUpperHands{0.65f, 0.8f};
inline constexpr SkinBand kUpperPads{0.8f, 1.0f};
inline constexpr SkinBand kHeadFace{0.0f, 0.6f};
inline constexpr SkinBand kHeadHelmet{0.6f, 1.0f};
inline constexpr SkinBand kWeaponAll{0.0f, 1.0f};

// The procedural pictures of the data set. Every function is deterministic.
class TextureSynthesis {
public:
    // Environment maps indexed by a direction d as u = 0.5·d.x + 0.5, v = 0.5·d.y + 0.5 (v = 1 at
    // the picture's top, so up is up): sky above the middle row, sea or haze below it.
    static Picture oceanReflection(int size);
    static Picture brightReflection(int size);

    // Soft round RGBA sprites whose alpha falls to 0 at the edge of the inscribed circle.
    static Picture fireSprite(int size);
    static Picture smokeSprite(int size);

    // Grey rolling hills spanning most of the 0..255 range.
    static Picture hills(int size);

    // Tileable terrain layers.
    static Picture earthLumps(int size);
    static Picture grass(int size);
    static Picture rock(int size);
    static Picture snow(int size);
    static Picture darkRock(int size);

    // Grey relief with a dome, a plateau, a bowl, a groove ring and a raised cross, and the colour
    // picture painted to match it.
    static Picture reliefHeights(int size);
    static Picture reliefColours(int size);

    static Picture woodPlanks(int size);
    static Picture tigerFur(int size);
    static Picture crate(int size);
    static Picture robotPlating(int size);
    static Picture sailCloth(int size);
    static Picture flag(int size);

    // Player skins laid out in horizontal bands (see PlayerModelBuilder for which primitive uses
    // which band).
    static Picture playerLower(const PlayerPalette& palette, int size);
    static Picture playerUpper(const PlayerPalette& palette, int size);
    static Picture playerHead(const PlayerPalette& palette, int size);
    static Picture playerWeapon(const PlayerPalette& palette, int size);
};
