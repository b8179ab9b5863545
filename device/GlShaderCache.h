#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

// What selects a fixed-function program: the vertex layout, the lighting switches and the texture
// stage set-up. Everything else (matrices, lights, colours) lives in the uniform block.
struct GlProgramKey {
  static constexpr int kStageBytes = 9;
  static constexpr int kStages = 4;
  // [0] layout: 1 normal, 2 diffuse, 4 specular, coordinate sets << 4
  // [1] switches: 1 lighting, 2 specular, 4 normalize, 8 flat, 16 colour vertex, 32 local viewer
  // [2] alpha test comparison (0: off)
  // [3] active stages
  // per stage: colour op, arg1, arg2, alpha op, arg1, arg2, coordinate source (set | generation
  // << 4), transform (count | projected << 3), texture bound
  std::array<std::uint8_t, 4 + kStages * kStageBytes> bytes{};

  bool operator==(const GlProgramKey& other) const { return bytes == other.bytes; }
};

struct GlProgramKeyHash {
  std::size_t operator()(const GlProgramKey& key) const;
};

// Bit values of the key's bytes.
namespace glkey {
constexpr std::uint8_t kNormal = 1, kDiffuse = 2, kSpecular = 4;
constexpr std::uint8_t kLighting = 1, kSpecularEnable = 2, kNormalize = 4, kFlat = 8,
                       kColorVertex = 16, kLocalViewer = 32;
}  // namespace glkey

// Generates, compiles and keeps one GL program per key. Programs read the uniform block
// "FixedFunction" at binding 0 and stage textures from units 0..3.
class GlShaderCache {
 public:
  GlShaderCache() = default;
  ~GlShaderCache();
  GlShaderCache(const GlShaderCache&) = delete;
  GlShaderCache& operator=(const GlShaderCache&) = delete;

  // The program for key, built on first use; 0 when it does not compile (logged once).
  std::uint32_t program(const GlProgramKey& key);
  void freeGl();
  std::size_t size() const { return programs.size(); }

  static std::string vertexSource(const GlProgramKey& key);
  static std::string fragmentSource(const GlProgramKey& key);
  // The uniform block's declaration, shared with the C++ layout in GlDevice.
  static const char* uniformBlockSource();
  // Compiles and links a program from the two sources; 0 (with the compiler's or linker's log
  // line, and nothing left allocated) when either step fails.
  static std::uint32_t linkProgram(const std::string& vertexSource, const std::string& fragmentSource);

 private:
  std::uint32_t build(const GlProgramKey& key);

  std::unordered_map<GlProgramKey, std::uint32_t, GlProgramKeyHash> programs;
};
