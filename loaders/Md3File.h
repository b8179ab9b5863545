#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Matrix33.h"
#include "engine/Vector3.h"

class ZipArchive;

// An attachment point of one key frame. The file stores the attached part's three axes one after
// the other (each the direction of that axis in this part's frame), so they are the columns of
// `rotation`.
struct Md3Tag {
  std::string name;
  Vector3 origin;
  Matrix33 rotation;
};

// One stored vertex: position in 1/64 units and the normal packed as two angles of π/128 each
// (the first measured from +z, the second around it).
struct Md3Vertex {
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::int16_t z = 0;
  std::uint8_t normal[2] = {0, 0};
};

// One morphing surface. Everything here has been checked: every triangle index is below
// vertexCount, and vertices holds frameCount · vertexCount entries, frame-major.
struct Md3Surface {
  std::string name;
  // The first shader's name (a texture path), empty when the surface names none.
  std::string shader;
  std::uint32_t vertexCount = 0;
  std::uint32_t frameCount = 0;
  std::vector<Md3Vertex> vertices;
  std::vector<float> texCoords;             // (s, t) per vertex, t measured from the picture's top
  std::vector<std::uint32_t> triangles;     // three indices per triangle, as stored
};

// One MD3 file ("IDP3" version 15): tags frame-major (tagCount per frame) and its surfaces, all
// with the file's frame count.
//
// The reader trusts nothing in the file: every count and offset is checked against the size
// before anything is allocated or read, and a file that fails any check gives no part at all.
struct Md3File {
  static constexpr std::uint32_t kIdent = 0x33504449;  // "IDP3"
  static constexpr std::int32_t kVersion = 15;
  static constexpr std::size_t kHeaderSize = 108;
  static constexpr std::size_t kFrameSize = 56;
  static constexpr std::size_t kTagSize = 112;
  static constexpr std::size_t kSurfaceHeaderSize = 108;
  static constexpr std::size_t kShaderSize = 68;
  static constexpr std::size_t kTriangleSize = 12;
  static constexpr std::size_t kTexCoordSize = 8;
  static constexpr std::size_t kVertexSize = 8;
  // A surface holds at most as many vertices as 16-bit indices can name.
  static constexpr std::uint32_t kMaxVertices = 65536;
  // Members larger than this are refused unread; real player parts are a few megabytes.
  static constexpr std::size_t kMaxFileBytes = 256u << 20;

  std::uint32_t frameCount = 0;
  std::uint32_t tagCount = 0;
  std::vector<Md3Tag> tags;
  std::vector<Md3Surface> surfaces;

  // Parses a whole file held in memory. On any fault: false, one log line naming fileName and the
  // fault, and `out` left empty.
  static bool parse(const std::uint8_t* data, std::size_t size, const std::string& fileName, Md3File& out);
  // Reads the archive member and parses it; a missing member logs "\"<member>\" not found.".
  static bool read(ZipArchive& archive, const std::string& memberName, Md3File& out);
};

// Engine-side values of a stored vertex: position × 1/64, normal from its two angles.
Vector3 md3Position(const Md3Vertex& v);
Vector3 md3Normal(const Md3Vertex& v);
