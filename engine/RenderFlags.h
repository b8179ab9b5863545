#pragma once
#include <cstdint>

// Ten render-state selectors that the renderer's state cache turns into device states. Several
// switches are inverted: 0 means on.
struct RenderFlags {
  std::uint8_t blend = 0;         // 0 off; 1..5 blend-factor pairs of the renderer
  std::uint8_t fill = 0;          // 0 solid, 1 wireframe, 2 point
  std::uint8_t shade = 1;         // 0 flat, 1 Gouraud
  std::uint8_t specular = 1;      // 0 on, 1 off
  std::uint8_t depth = 0;         // 0 test and write, 1 neither, 2 test without writing
  std::uint8_t depthCompare = 1;  // 0 equal, 1 less-or-equal, 2 less
  std::uint8_t stencil = 1;       // 0 on, 1 off
  std::uint8_t colorWrite = 0;    // 0 all four channels, 1 none
  std::uint8_t cull = 1;          // 0 clockwise, 1 counter-clockwise, 2 none
  std::uint8_t lighting = 0;      // 0 on, 1 off

  static constexpr int kCount = 10;
  // Selector by its position in the list above.
  std::uint8_t& operator[](int i) { return this->*kSelectors[i]; }
  std::uint8_t operator[](int i) const { return this->*kSelectors[i]; }

  friend bool operator==(const RenderFlags&, const RenderFlags&) = default;

 private:
  static constexpr std::uint8_t RenderFlags::*kSelectors[kCount] = {
      &RenderFlags::blend,   &RenderFlags::fill,    &RenderFlags::shade,      &RenderFlags::specular,
      &RenderFlags::depth,   &RenderFlags::depthCompare, &RenderFlags::stencil, &RenderFlags::colorWrite,
      &RenderFlags::cull,    &RenderFlags::lighting};
};
static_assert(sizeof(RenderFlags) == RenderFlags::kCount, "selectors are ten consecutive bytes");
