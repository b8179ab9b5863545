#include "loaders/Md3File.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/MathConstants.h"
#include "foundation/Logger.h"
#include "foundation/ZipInputStream.h"

namespace {

constexpr float kPositionScale = 0.015625f;  // 1/64
constexpr float kAngleScale = 0.0078125f;    // 1/128
constexpr std::size_t kNameSize = 64;

// Bounds-checked little-endian reads from the file image. Callers check a whole lump with `fits`
// before reading it, so the element reads never fail on their own.
class FileImage {
 public:
  FileImage(const std::uint8_t* data, std::size_t size) : bytes(data), length(size) {}

  std::size_t size() const { return length; }

  // True when `count` elements of `elementSize` bytes start at `offset` and end by `limit` (the
  // end of the file unless given). Division instead of multiplication, so no count a file can state
  // overflows. Nothing to read fits anywhere.
  bool fits(std::int64_t offset, std::uint64_t count, std::uint64_t elementSize) const {
    return fits(offset, count, elementSize, static_cast<std::int64_t>(length));
  }
  static bool fits(std::int64_t offset, std::uint64_t count, std::uint64_t elementSize, std::int64_t limit) {
    if (count == 0) return true;
    if (offset < 0 || offset > limit) return false;
    const std::uint64_t room = static_cast<std::uint64_t>(limit - offset);
    return elementSize == 0 || count <= room / elementSize;
  }

  std::int32_t s32(std::size_t at) const {
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = (u << 8) | bytes[at + static_cast<std::size_t>(i)];
    return static_cast<std::int32_t>(u);
  }
  std::uint32_t u32(std::size_t at) const { return static_cast<std::uint32_t>(s32(at)); }
  std::int16_t s16(std::size_t at) const {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8));
  }
  float f32(std::size_t at) const {
    const std::uint32_t u = u32(at);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
  }
  Vector3 vec(std::size_t at) const { return {f32(at), f32(at + 4), f32(at + 8)}; }
  // A fixed-size name field up to its first NUL; a field without one ends with the field.
  std::string name(std::size_t at) const {
    const char* text = reinterpret_cast<const char*>(bytes + at);
    const void* nul = std::memchr(text, 0, kNameSize);
    return std::string(text, nul ? static_cast<const char*>(nul) - text : kNameSize);
  }
  std::uint8_t u8(std::size_t at) const { return bytes[at]; }

 private:
  const std::uint8_t* bytes;
  std::size_t length;
};

// The reasons a file is refused; each one becomes the single log line for that file.
class Refusal {
 public:
  explicit Refusal(const std::string& fileName) : file(fileName) {}
  bool operator()(const std::string& reason) const {
    Logger::instance().line(2) << "MD3 file \"" << file << "\" refused: " << reason << std::endl;
    return false;
  }

 private:
  const std::string& file;
};

bool readTags(const FileImage& in, std::int64_t offset, Md3File& out, const Refusal& refuse) {
  const std::uint64_t count = std::uint64_t(out.frameCount) * out.tagCount;
  if (!in.fits(offset, count, Md3File::kTagSize)) return refuse("tags run past the end of the file");
  out.tags.resize(count);
  std::size_t at = static_cast<std::size_t>(offset);
  for (Md3Tag& tag : out.tags) {
    tag.name = in.name(at);
    tag.origin = in.vec(at + 64);
    // Stored axis k becomes column k.
    for (int k = 0; k < 3; ++k) {
      const Vector3 axis = in.vec(at + 76 + static_cast<std::size_t>(k) * 12);
      tag.rotation.at(0, k) = axis.x;
      tag.rotation.at(1, k) = axis.y;
      tag.rotation.at(2, k) = axis.z;
    }
    at += Md3File::kTagSize;
  }
  return true;
}

// One surface starting at `start`; `next` receives where the following one starts.
bool readSurface(const FileImage& in, std::int64_t start, Md3File& file, std::int64_t& next,
                 const Refusal& refuse) {
  if (!in.fits(start, 1, Md3File::kSurfaceHeaderSize)) return refuse("a surface header runs past the end of the file");
  const std::size_t at = static_cast<std::size_t>(start);
  const std::int32_t frames = in.s32(at + 72);
  const std::int32_t shaders = in.s32(at + 76);
  const std::int32_t vertices = in.s32(at + 80);
  const std::int32_t triangles = in.s32(at + 84);
  const std::int64_t ofsTriangles = start + in.s32(at + 88);
  const std::int64_t ofsShaders = start + in.s32(at + 92);
  const std::int64_t ofsTexCoords = start + in.s32(at + 96);
  const std::int64_t ofsVertices = start + in.s32(at + 100);
  const std::int32_t ofsEnd = in.s32(at + 104);

  if (frames < 0 || shaders < 0 || vertices < 0 || triangles < 0) return refuse("a surface has a negative count");
  if (static_cast<std::uint32_t>(frames) != file.frameCount) {
    return refuse("a surface has " + std::to_string(frames) + " frames, the file " +
                  std::to_string(file.frameCount));
  }
  if (static_cast<std::uint32_t>(vertices) > Md3File::kMaxVertices) {
    return refuse("a surface has " + std::to_string(vertices) + " vertices, more than 16-bit indices name");
  }
  // Each lump lies inside its own surface, and surfaces follow one another, so the arrays of all
  // surfaces together never hold more than the file does.
  if (ofsEnd < static_cast<std::int32_t>(Md3File::kSurfaceHeaderSize) || !in.fits(start, 1, std::uint64_t(ofsEnd))) {
    return refuse("a surface's end lies outside the file");
  }
  const std::int64_t end = start + ofsEnd;
  const auto inside = [start, end](std::int64_t offset, std::uint64_t count, std::uint64_t elementSize) {
    return count == 0 || (offset >= start && FileImage::fits(offset, count, elementSize, end));
  };
  if (!inside(ofsShaders, static_cast<std::uint64_t>(shaders), Md3File::kShaderSize) ||
      !inside(ofsTriangles, static_cast<std::uint64_t>(triangles), Md3File::kTriangleSize) ||
      !inside(ofsTexCoords, static_cast<std::uint64_t>(vertices), Md3File::kTexCoordSize) ||
      !inside(ofsVertices, std::uint64_t(file.frameCount) * static_cast<std::uint64_t>(vertices),
              Md3File::kVertexSize)) {
    return refuse("a surface's data runs past its end");
  }
  // Indices are checked before anything is kept, so a refused surface allocates nothing.
  for (std::size_t i = 0; i < static_cast<std::size_t>(triangles) * 3; ++i) {
    const std::int32_t index = in.s32(static_cast<std::size_t>(ofsTriangles) + i * 4);
    if (index < 0 || index >= vertices) return refuse("a triangle names vertex " + std::to_string(index) +
                                                      " of " + std::to_string(vertices));
  }

  Md3Surface surface;
  surface.name = in.name(at + 4);
  if (shaders > 0) surface.shader = in.name(static_cast<std::size_t>(ofsShaders));
  surface.vertexCount = static_cast<std::uint32_t>(vertices);
  surface.frameCount = file.frameCount;
  surface.triangles.resize(static_cast<std::size_t>(triangles) * 3);
  for (std::size_t i = 0; i < surface.triangles.size(); ++i) {
    surface.triangles[i] = in.u32(static_cast<std::size_t>(ofsTriangles) + i * 4);
  }
  surface.texCoords.resize(static_cast<std::size_t>(vertices) * 2);
  for (std::size_t i = 0; i < surface.texCoords.size(); ++i) {
    surface.texCoords[i] = in.f32(static_cast<std::size_t>(ofsTexCoords) + i * 4);
  }
  surface.vertices.resize(std::size_t(file.frameCount) * static_cast<std::size_t>(vertices));
  std::size_t v = static_cast<std::size_t>(ofsVertices);
  for (Md3Vertex& vertex : surface.vertices) {
    vertex.x = in.s16(v);
    vertex.y = in.s16(v + 2);
    vertex.z = in.s16(v + 4);
    vertex.normal[0] = in.u8(v + 6);
    vertex.normal[1] = in.u8(v + 7);
    v += Md3File::kVertexSize;
  }
  file.surfaces.push_back(std::move(surface));
  next = start + ofsEnd;
  return true;
}

bool parseInto(const FileImage& in, Md3File& out, const Refusal& refuse) {
  if (in.size() < Md3File::kHeaderSize) return refuse("shorter than an MD3 header");
  if (in.u32(0) != Md3File::kIdent) return refuse("not an MD3 file (no \"IDP3\")");
  if (in.s32(4) != Md3File::kVersion) return refuse("version " + std::to_string(in.s32(4)) + ", not 15");
  if (in.s32(92) != static_cast<std::int32_t>(Md3File::kHeaderSize)) {
    return refuse("frames at offset " + std::to_string(in.s32(92)) + ", not 108");
  }
  const std::int32_t frames = in.s32(76), tags = in.s32(80), surfaces = in.s32(84);
  if (frames < 0 || tags < 0 || surfaces < 0) return refuse("a negative count");
  if (frames == 0) return refuse("no frames");
  if (!in.fits(Md3File::kHeaderSize, static_cast<std::uint64_t>(frames), Md3File::kFrameSize)) {
    return refuse("frames run past the end of the file");
  }
  // Each surface needs at least its header, so a count beyond that is refused before any loop.
  if (!in.fits(0, static_cast<std::uint64_t>(surfaces), Md3File::kSurfaceHeaderSize)) {
    return refuse("more surfaces than the file can hold");
  }
  out.frameCount = static_cast<std::uint32_t>(frames);
  out.tagCount = static_cast<std::uint32_t>(tags);
  if (!readTags(in, in.s32(96), out, refuse)) return false;
  std::int64_t start = in.s32(100);
  for (std::int32_t s = 0; s < surfaces; ++s) {
    if (!readSurface(in, start, out, start, refuse)) return false;
  }
  return true;
}

}  // namespace

bool Md3File::parse(const std::uint8_t* data, std::size_t size, const std::string& fileName, Md3File& out) {
  out = Md3File();
  const FileImage image(data, data ? size : 0);
  if (parseInto(image, out, Refusal(fileName))) return true;
  out = Md3File();
  return false;
}

bool Md3File::read(ZipArchive& archive, const std::string& memberName, Md3File& out) {
  out = Md3File();
  std::vector<std::uint8_t> bytes;
  {
    ZipInputStream stream(archive, memberName, std::ios::in | std::ios::binary);
    if (!stream.isOpen()) {
      Logger::instance().line(2) << "\"" << memberName << "\" not found." << std::endl;
      return false;
    }
    // Chunks, so memory follows the bytes that really arrive, not a size the directory claims.
    constexpr std::size_t kChunk = 1u << 20;
    while (stream && bytes.size() <= kMaxFileBytes) {
      const std::size_t start = bytes.size();
      bytes.resize(start + kChunk);
      stream.read(reinterpret_cast<char*>(bytes.data() + start), static_cast<std::streamsize>(kChunk));
      bytes.resize(start + static_cast<std::size_t>(stream.gcount()));
    }
  }
  if (bytes.size() > kMaxFileBytes) {
    Logger::instance().line(2) << "MD3 file \"" << memberName << "\" refused: larger than "
                               << (kMaxFileBytes >> 20) << " MiB" << std::endl;
    return false;
  }
  return parse(bytes.data(), bytes.size(), memberName, out);
}

Vector3 md3Position(const Md3Vertex& v) {
  return {v.x * kPositionScale, v.y * kPositionScale, v.z * kPositionScale};
}

Vector3 md3Normal(const Md3Vertex& v) {
  // Each angle byte has 256 values, so the sines and cosines are looked up rather than computed
  // for every vertex of every frame (most of the cost of building a character's meshes).
  struct AngleTable {
    float sine[256];
    float cosine[256];
    AngleTable() {
      for (int i = 0; i < 256; ++i) {
        const float angle = static_cast<float>(i) * kPi * kAngleScale;
        sine[i] = std::sin(angle);
        cosine[i] = std::cos(angle);
      }
    }
  };
  static const AngleTable table;
  const std::uint8_t a = v.normal[0], b = v.normal[1];
  return {table.sine[a] * table.cosine[b], table.sine[a] * table.sine[b], table.cosine[a]};
}
