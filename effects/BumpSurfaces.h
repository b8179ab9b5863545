#pragma once
#include <string>
#include <vector>

#include "engine/MeshInstance.h"
#include "foundation/RefPtr.h"

class Texture;
class TextureManager;

// Normal-map scale of the bump-mapped scenes: the height steps of a byte picture against a pixel.
inline constexpr float kBumpNormalMapScale = 30.0f;

// Name under which the normal map made from a colour texture is cached: the colour texture's
// name followed by "Bump".
std::string bumpTextureName(const Texture& colour);

// The normal texture made from a colour texture taken as a height map (its luminance), cached by
// bumpTextureName, so surfaces sharing a colour texture share one normal texture. Null when the
// colour texture cannot be read back.
Texture* normalTextureFor(Texture& colour, TextureManager& textures);

// Redraws the loaded surfaces per pixel: every instance whose material has a colour texture in
// slot 0 gets a new two-pass BumpMaterial with the normal map in slot 0 and that colour texture in
// slot 1. Every instance's mesh gets texture channel 1 as a copy of channel 0 and tangent frames
// with the binormal flipped (the normal maps' y points towards decreasing v). Returns the number
// of bump materials set.
int applyBumpMaterials(const std::vector<RefPtr<MeshInstance>>& instances, TextureManager* textures);

// Switches the specular pass of every bump material among the instances.
void setSpecularPass(const std::vector<RefPtr<MeshInstance>>& instances, bool on);

// The light (x, y, z, w) of every instance: a point light for w ≠ 0, a direction for w = 0.
void setInstanceLights(const std::vector<RefPtr<MeshInstance>>& instances, const float light[4]);
