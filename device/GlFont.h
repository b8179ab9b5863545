#pragma once
#include <array>
#include <string>
#include <vector>

#include "foundation/RefPtr.h"
#include "device/GlResource.h"
#include "device/GraphicsDevice.h"

// A screen font: the face fontconfig picks for the family name, rasterised once by FreeType into
// a glyph atlas for the characters 32..255 (Latin-1, as single bytes), drawn as textured quads.
// The height is the cell height (ascent + descent), as with the platform's font creation.
class GlFont : public DeviceFont, public GlResource {
 public:
  // Null with a log line when no face can be found or loaded.
  static RefPtr<GlFont> create(GlDevice* owner, const std::string& faceName, int heightPixels);
  ~GlFont() override;

  int drawText(const char* text, int count, DeviceRect& rect, std::uint32_t format,
               std::uint32_t color) override;
  int lineHeight() const override { return cellHeight; }

  // The file fontconfig chose, for the log and tests.
  const std::string& fontFile() const { return file; }

 protected:
  void freeGl() override;

 private:
  struct Glyph {
    int advance = 0;  // pixels
    int left = 0;     // bitmap offset from the pen
    int top = 0;      // bitmap top above the baseline
    int width = 0, height = 0;
    int atlasX = 0, atlasY = 0;
  };

  GlFont(GlDevice* owner, int heightPixels);
  bool rasterise(const std::string& path, int faceIndex);
  bool createGl();

  int cellHeight;
  int ascent = 0;
  std::string file;
  std::array<Glyph, 256> glyphs{};
  int atlasWidth = 0, atlasHeight = 0;
  std::vector<std::uint8_t> atlas;

  std::uint32_t texture = 0;
  std::uint32_t program = 0;
  std::uint32_t vertexArray = 0;
  std::uint32_t vertexBuffer = 0;
  int screenLocation = -1;
  int colorLocation = -1;
  std::vector<float> quads;  // reused between draws
};
