#include "device/GlFont.h"

#include <epoxy/gl.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "foundation/Logger.h"
#include "device/GlDevice.h"
#include "device/GlShaderCache.h"

namespace {

constexpr int kFirstChar = 32;
constexpr int kAtlasWidth = 512;

// fontconfig keeps its configuration and font caches until FcFini, which is called once at exit,
// after the last lookup, so that the program ends with nothing of it left allocated.
bool fontconfigReady() {
  static const bool ready = [] {
    if (!FcInit()) return false;
    std::atexit(FcFini);
    return true;
  }();
  return ready;
}

// The path and face index fontconfig matches for a family name, empty when none.
std::string matchFont(const std::string& family, int& index) {
  index = 0;
  if (!fontconfigReady()) return {};
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string path;
  if (match) {
    FcChar8* fileName = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &fileName) == FcResultMatch && fileName)
      path = reinterpret_cast<const char*>(fileName);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

const char* kVertexSource = R"(#version 330 core
layout(location = 0) in vec4 inQuad;
uniform vec2 screenSize;
out vec2 vAtlas;
void main() {
  vAtlas = inQuad.zw;
  gl_Position = vec4(2.0 * inQuad.x / screenSize.x - 1.0, 1.0 - 2.0 * inQuad.y / screenSize.y,
                     0.0, 1.0);
}
)";

const char* kFragmentSource = R"(#version 330 core
uniform sampler2D atlas;
uniform vec4 color;
in vec2 vAtlas;
out vec4 fragColor;
void main() {
  fragColor = vec4(color.rgb, color.a * texture(atlas, vAtlas).r);
}
)";

}  // namespace

GlFont::GlFont(GlDevice* owner, int heightPixels) : GlResource(owner), cellHeight(heightPixels) {}

RefPtr<GlFont> GlFont::create(GlDevice* owner, const std::string& faceName, int heightPixels) {
  if (heightPixels <= 0) return nullptr;
  int index = 0;
  std::string path = matchFont(faceName, index);
  if (path.empty()) {
    Logger::instance().line(2) << "No font found for \"" << faceName << "\"" << std::endl;
    return nullptr;
  }
  RefPtr<GlFont> font = new GlFont(owner, heightPixels);
  font->file = path;
  if (!font->rasterise(path, index)) {
    Logger::instance().line(2) << "Couldn't load font " << path << std::endl;
    return nullptr;
  }
  if (!font->createGl()) {
    Logger::instance().line(2) << "Couldn't create the font's GL objects" << std::endl;
    return nullptr;
  }
  return font;
}

GlFont::~GlFont() { freeInOwnerContext(); }

void GlFont::freeGl() {
  if (texture) glDeleteTextures(1, &texture);
  if (program) glDeleteProgram(program);
  if (vertexArray) glDeleteVertexArrays(1, &vertexArray);
  if (vertexBuffer) glDeleteBuffers(1, &vertexBuffer);
  texture = program = vertexArray = vertexBuffer = 0;
}

bool GlFont::rasterise(const std::string& path, int faceIndex) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library)) return false;
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), faceIndex, &face)) {
    FT_Done_FreeType(library);
    return false;
  }
  // Scale the em so that ascent + descent fills the requested cell height.
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(cellHeight));
  double cell = double(face->size->metrics.ascender - face->size->metrics.descender) / 64.0;
  if (cell > 0) {
    FT_F26Dot6 size = FT_F26Dot6(std::lround(cellHeight * cellHeight * 64.0 / cell));
    FT_Set_Char_Size(face, 0, size, 72, 72);
  }
  ascent = int(std::lround(face->size->metrics.ascender / 64.0));

  // Rasterise every glyph, then pack them in shelves.
  std::vector<std::vector<std::uint8_t>> bitmaps(256);
  for (int c = kFirstChar; c < 256; ++c) {
    if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_RENDER)) continue;
    FT_GlyphSlot slot = face->glyph;
    Glyph& g = glyphs[c];
    g.advance = int(std::lround(slot->advance.x / 64.0));
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = int(slot->bitmap.width);
    g.height = int(slot->bitmap.rows);
    auto& bits = bitmaps[c];
    bits.resize(std::size_t(g.width) * g.height);
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x)
        bits[std::size_t(y) * g.width + x] = slot->bitmap.buffer[y * slot->bitmap.pitch + x];
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);

  int x = 1, y = 1, shelf = 0;
  for (int c = kFirstChar; c < 256; ++c) {
    Glyph& g = glyphs[c];
    if (x + g.width + 1 > kAtlasWidth) {
      x = 1;
      y += shelf + 1;
      shelf = 0;
    }
    g.atlasX = x;
    g.atlasY = y;
    x += g.width + 1;
    shelf = std::max(shelf, g.height);
  }
  atlasWidth = kAtlasWidth;
  atlasHeight = 1;
  while (atlasHeight < y + shelf + 1) atlasHeight *= 2;
  atlas.assign(std::size_t(atlasWidth) * atlasHeight, 0);
  for (int c = kFirstChar; c < 256; ++c) {
    const Glyph& g = glyphs[c];
    for (int row = 0; row < g.height; ++row)
      std::copy_n(bitmaps[c].data() + std::size_t(row) * g.width, g.width,
                  atlas.data() + std::size_t(g.atlasY + row) * atlasWidth + g.atlasX);
  }
  return true;
}

bool GlFont::createGl() {
  glGenTextures(1, &texture);
  glActiveTexture(GL_TEXTURE7);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, atlasWidth, atlasHeight, 0, GL_RED, GL_UNSIGNED_BYTE,
               atlas.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
  atlas.clear();
  atlas.shrink_to_fit();

  program = GlShaderCache::linkProgram(kVertexSource, kFragmentSource);
  if (!program) return false;
  screenLocation = glGetUniformLocation(program, "screenSize");
  colorLocation = glGetUniformLocation(program, "color");
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "atlas"), 0);
  glUseProgram(0);

  glGenVertexArrays(1, &vertexArray);
  glGenBuffers(1, &vertexBuffer);
  glBindVertexArray(vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  if (device) device->invalidateGlState();
  return true;
}

int GlFont::drawText(const char* text, int count, DeviceRect& rect, std::uint32_t format,
                     std::uint32_t color) {
  if (!device || !text) return 0;
  const std::size_t length = count < 0 ? std::char_traits<char>::length(text) : std::size_t(count);
  if (length == 0) {
    if (format & DT_CALCRECT) {
      rect.right = rect.left;
      rect.bottom = rect.top;
    }
    return 0;
  }

  // Lay the text out once; the same walk measures and builds the quads.
  const bool draw = !(format & DT_CALCRECT);
  quads.clear();
  int lines = 1, penX = 0, widest = 0;
  const float inverseWidth = 1.0f / float(atlasWidth);
  const float inverseHeight = 1.0f / float(atlasHeight);
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      ++lines;
      penX = 0;
      continue;
    }
    if (c < kFirstChar) continue;
    const Glyph& g = glyphs[c];
    if (draw && g.width > 0 && g.height > 0) {
      const float x0 = float(rect.left + penX + g.left);
      const float y0 = float(rect.top + (lines - 1) * cellHeight + ascent - g.top);
      const float x1 = x0 + float(g.width), y1 = y0 + float(g.height);
      const float u0 = float(g.atlasX) * inverseWidth, v0 = float(g.atlasY) * inverseHeight;
      const float u1 = float(g.atlasX + g.width) * inverseWidth;
      const float v1 = float(g.atlasY + g.height) * inverseHeight;
      const float corners[6][4] = {{x0, y0, u0, v0}, {x1, y0, u1, v0}, {x0, y1, u0, v1},
                                   {x1, y0, u1, v0}, {x1, y1, u1, v1}, {x0, y1, u0, v1}};
      for (const auto& corner : corners) quads.insert(quads.end(), corner, corner + 4);
    }
    penX += g.advance;
    widest = std::max(widest, penX);
  }
  const int textHeight = lines * cellHeight;
  if (!draw) {
    rect.right = rect.left + widest;
    rect.bottom = rect.top + textHeight;
    return textHeight;
  }
  if (quads.empty()) return textHeight;

  // The font's own state; the device re-applies its state at its next draw.
  device->makeCurrent();
  device->invalidateGlState();
  glUseProgram(program);
  glUniform2f(screenLocation, float(device->backBufferWidth()), float(device->backBufferHeight()));
  glUniform4f(colorLocation, float((color >> 16) & 0xFF) / 255.0f,
              float((color >> 8) & 0xFF) / 255.0f, float(color & 0xFF) / 255.0f,
              float(color >> 24) / 255.0f);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBindSampler(0, 0);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_CULL_FACE);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindVertexArray(vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(quads.size() * sizeof(float)), quads.data(),
               GL_STREAM_DRAW);
  glDrawArrays(GL_TRIANGLES, 0, GLsizei(quads.size() / 4));
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  return textHeight;
}
