#pragma once
#include <cstdint>

#include "foundation/KeyAction.h"
#include "scenes/Md3Context.h"

// The character viewer with every textured surface bump-mapped: each surface's normal map is made
// from its own skin taken as a height map, and the light along the view lights it per pixel. S
// switches the specular pass; Return (next character) switches it on again. Every key and text of
// the plain viewer stays. Without the device's dot-product-3 operation only a notice is drawn.
class BumpMd3Context : public Md3Context {
 public:
  static constexpr const char* kNoDot3Text = "No dot3 blend mode supported.";

  BumpMd3Context();

  void init() override;
  void update() override;
  std::vector<KeyHelp> keyHelp() const override;
  void render() override;

  bool specularPass() const { return specular != 0; }

 private:
  // The scene light on every instance of the character.
  void setLights();

  KeyAction keyS;
  std::uint8_t specular = 1;
};
