#include "loaders/ObjLoader.h"

#include <cmath>
#include <cstring>

#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "foundation/Logger.h"
#include "foundation/Path.h"
#include "image/Texture.h"
#include "loaders/TextScanner.h"

namespace {

constexpr std::size_t kInitialSlots = 64;
constexpr std::uint8_t kAlphaBlendSelector = 4;

std::uint64_t mix(std::uint64_t x) {
  x ^= x >> 33;
  x *= 0xFF51AFD7ED558CCDull;
  x ^= x >> 33;
  return x;
}

std::uint64_t hashVertex(const Vector3& p, const Vector3& n, const TexCoord& t) {
  float values[8] = {p.x, p.y, p.z, n.x, n.y, n.z, t.u, t.v};
  std::uint64_t words[4];
  std::memcpy(words, values, sizeof words);
  return mix(words[0] ^ mix(words[1] ^ mix(words[2] ^ mix(words[3] + 0x9E3779B97F4A7C15ull))));
}

template <typename T>
bool sameBits(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// A signed decimal integer filling the whole field; values too long to matter become huge, so
// that the range check refuses them instead of wrapping.
bool parseIndex(std::string_view field, std::int64_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  if (i == field.size()) return false;
  std::int64_t magnitude = 0;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (c < '0' || c > '9') return false;
    if (magnitude < (std::int64_t{1} << 40)) magnitude = magnitude * 10 + (c - '0');
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

// 1-based, or counting back from the end of what was read so far (−1 is the last element).
bool resolveIndex(std::int64_t raw, std::size_t count, std::uint32_t& index) {
  const auto size = static_cast<std::int64_t>(count);
  if (raw > 0 && raw <= size) {
    index = static_cast<std::uint32_t>(raw - 1);
    return true;
  }
  if (raw < 0 && -raw <= size) {
    index = static_cast<std::uint32_t>(size + raw);
    return true;
  }
  return false;
}

Vector3 faceNormal(const Vector3& a, const Vector3& b, const Vector3& c) {
  Vector3 n = (b - a).cross(c - a);
  const float lengthSquared = n.lengthSquared();
  if (!(lengthSquared > 0.0f) || !std::isfinite(lengthSquared)) return Vector3();
  n.normalize();
  return n;
}

}  // namespace

ObjLoader::ObjLoader(const std::string& path, TextureManager* textures)
    : path(path), directory(Path(path).directory()), root(new SceneNode()), materials(textures) {
  std::string text;
  if (!readWholeFile(path, text)) {
    Logger::instance().line(2) << "File " << path << " could not be accessed" << std::endl;
    return;
  }
  readable = true;
  parse(text);
}

ObjLoader::ObjLoader(std::string_view text, const std::string& path, TextureManager* textures)
    : path(path), directory(Path(path).directory()), root(new SceneNode()), materials(textures), readable(true) {
  parse(text);
}

void ObjLoader::parse(std::string_view text) {
  TextScanner scanner(text);
  std::string_view line;
  while (scanner.nextLine(line)) {
    const std::string_view keyword = takeWord(line);
    if (keyword == "v") {
      const float x = takeFloat(line);
      const float y = takeFloat(line);
      const float z = takeFloat(line);
      positions.emplace_back(x, y, z);
    } else if (keyword == "f") {
      readFace(line, scanner.lineNumber());
    } else if (keyword == "vt") {
      const float u = takeFloat(line);
      const float v = takeFloat(line);
      texCoords.push_back({u, v});
    } else if (keyword == "vn") {
      const float x = takeFloat(line);
      const float y = takeFloat(line);
      const float z = takeFloat(line);
      normals.emplace_back(x, y, z);
    } else if (keyword == "usemtl") {
      groupList.push_back({std::string(trimBlanks(line)), {}});
      startChunk();
      sawMaterialUse = true;
    } else if (keyword == "mtllib") {
      readLibrary(trimBlanks(line));
    }
  }
  if (sawMaterialUse && !readAnyLibrary) {
    Path sameName(path);
    sameName.setExtension(".mtl");
    materials.load(sameName.full());
  }
  if (refusedFaces > 0) {
    Logger::instance().line(2) << "\"" << path << "\" line " << firstRefusedLine << ": " << firstRefusal << "; "
                               << refusedFaces << (refusedFaces == 1 ? " face" : " faces") << " refused" << std::endl;
  }
  vertexSlots = {};
  faceCorners = {};
}

void ObjLoader::readLibrary(std::string_view name) {
  if (name.empty()) return;
  const std::string written(name);
  const std::string joined = Path(directory + written).full();
  bool read = materials.load(joined);
  // Exporters write absolute and Windows paths; the library usually sits beside the OBJ file.
  const std::string beside = directory + Path(written).fileName();
  if (!read && beside != joined) read = materials.load(beside);
  // Several libraries named on one line.
  if (!read && trimBlanks(name).find_first_of(" \t") != std::string_view::npos) {
    for (std::string_view word = takeWord(name); !word.empty(); word = takeWord(name)) {
      read = materials.load(directory + Path(std::string(word)).fileName()) || read;
    }
  }
  if (read) {
    readAnyLibrary = true;
  } else {
    Logger::instance().line(1) << "Material library " << written << " of " << path << " not found" << std::endl;
  }
}

const char* ObjLoader::readCorner(std::string_view word, Corner& corner) const {
  std::string_view fields[3];
  int fieldCount = 0;
  for (;;) {
    const std::size_t slash = word.find('/');
    if (fieldCount == 2 && slash != std::string_view::npos) return "malformed corner";
    fields[fieldCount++] = word.substr(0, slash);
    if (slash == std::string_view::npos) break;
    word.remove_prefix(slash + 1);
  }
  std::int64_t raw = 0;
  if (!parseIndex(fields[0], raw)) return "malformed corner";
  if (!resolveIndex(raw, positions.size(), corner.position)) return "vertex index 0 or past the end of its list";
  corner.texCoord = kNone;
  corner.normal = kNone;
  if (fieldCount >= 2 && !fields[1].empty()) {
    if (!parseIndex(fields[1], raw)) return "malformed corner";
    if (!resolveIndex(raw, texCoords.size(), corner.texCoord)) {
      return "texture coordinate index 0 or past the end of its list";
    }
    // p/t: the same number names the normal, where there is one.
    if (fieldCount == 2 && !resolveIndex(raw, normals.size(), corner.normal)) corner.normal = kNone;
  }
  if (fieldCount == 3 && !fields[2].empty()) {
    if (!parseIndex(fields[2], raw)) return "malformed corner";
    if (!resolveIndex(raw, normals.size(), corner.normal)) return "normal index 0 or past the end of its list";
  }
  return nullptr;
}

void ObjLoader::readFace(std::string_view text, std::uint32_t line) {
  faceCorners.clear();
  for (std::string_view word = takeWord(text); !word.empty(); word = takeWord(text)) {
    Corner corner;
    if (const char* fault = readCorner(word, corner)) {
      refuseFace(line, fault);
      return;
    }
    faceCorners.push_back(corner);
  }
  if (faceCorners.size() < 3) {
    refuseFace(line, "face with fewer than three corners");
    return;
  }
  if (groupList.empty()) {
    groupList.push_back({"Default", {}});
    startChunk();
  }
  for (std::size_t k = 1; k + 1 < faceCorners.size(); ++k) {
    addTriangle(faceCorners[0], faceCorners[k + 1], faceCorners[k]);
  }
}

void ObjLoader::refuseFace(std::uint32_t line, const char* reason) {
  if (refusedFaces++ == 0) {
    firstRefusedLine = line;
    firstRefusal = reason;
  }
}

void ObjLoader::startChunk() {
  groupList.back().chunks.emplace_back();
  vertexSlots.assign(kInitialSlots, 0);
}

void ObjLoader::addTriangle(const Corner& a, const Corner& b, const Corner& c) {
  {
    const Chunk& chunk = groupList.back().chunks.back();
    if (chunk.positions.size() + 3 > kMaxMeshVertices || chunk.indices.size() / 3 >= kMaxMeshTriangles) {
      startChunk();
    }
  }
  const Corner* corners[3] = {&a, &b, &c};
  const Vector3& pa = positions[a.position];
  const Vector3& pb = positions[b.position];
  const Vector3& pc = positions[c.position];
  Vector3 flat;
  if (a.normal == kNone || b.normal == kNone || c.normal == kNone) flat = faceNormal(pa, pb, pc);
  std::uint16_t triangle[3];
  for (int k = 0; k < 3; ++k) {
    const Corner& corner = *corners[k];
    const Vector3& normal = corner.normal == kNone ? flat : normals[corner.normal];
    TexCoord texCoord;
    if (corner.texCoord != kNone) {
      texCoord = texCoords[corner.texCoord];
      groupList.back().chunks.back().textured = true;
    }
    triangle[k] = addVertex(positions[corner.position], normal, texCoord);
  }
  std::vector<std::uint16_t>& indices = groupList.back().chunks.back().indices;
  indices.insert(indices.end(), triangle, triangle + 3);
}

std::uint16_t ObjLoader::addVertex(const Vector3& position, const Vector3& normal, const TexCoord& texCoord) {
  Chunk& chunk = groupList.back().chunks.back();
  const auto count = static_cast<std::uint32_t>(chunk.positions.size());
  // Slots hold the vertex number + 1 in the low 16 bits and 16 bits of the hash above them, so
  // most mismatches are seen without touching the vertex arrays.
  if ((count + 1) * 2 > vertexSlots.size()) {
    std::vector<std::uint32_t> grown(vertexSlots.size() * 2, 0);
    const std::size_t mask = grown.size() - 1;
    for (std::uint32_t v = 0; v < count; ++v) {
      const std::uint64_t hash = hashVertex(chunk.positions[v], chunk.normals[v], chunk.texCoords[v]);
      std::size_t slot = hash & mask;
      while (grown[slot] != 0) slot = (slot + 1) & mask;
      grown[slot] = static_cast<std::uint32_t>(hash >> 48) << 16 | (v + 1);
    }
    vertexSlots.swap(grown);
  }
  const std::uint64_t hash = hashVertex(position, normal, texCoord);
  const std::uint32_t tag = static_cast<std::uint32_t>(hash >> 48) << 16;
  const std::size_t mask = vertexSlots.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t entry = vertexSlots[slot];
    if (entry == 0) {
      vertexSlots[slot] = tag | (count + 1);
      chunk.positions.push_back(position);
      chunk.normals.push_back(normal);
      chunk.texCoords.push_back(texCoord);
      return static_cast<std::uint16_t>(count);
    }
    if ((entry & 0xFFFF0000u) != tag) continue;
    const std::uint32_t v = (entry & 0xFFFFu) - 1;
    if (sameBits(chunk.positions[v], position) && sameBits(chunk.normals[v], normal) &&
        sameBits(chunk.texCoords[v], texCoord)) {
      return static_cast<std::uint16_t>(v);
    }
  }
}

RefPtr<Model> ObjLoader::createModel(bool keepMaterialColours, bool recomputeNormals, bool flipTexCoordV) const {
  RefPtr<Model> model = new Model();
  model->setNode(root);
  for (const Group& group : groupList) {
    Material* material = group.name == "Default" ? nullptr : materials.find(group.name);
    Texture* texture = material ? material->texture(0) : nullptr;
    if (texture && !keepMaterialColours) material->setColor(Color(1.0f, 1.0f, 1.0f, 1.0f));
    for (const Chunk& chunk : group.chunks) {
      if (chunk.indices.empty()) continue;
      const auto vertexCount = static_cast<std::uint32_t>(chunk.positions.size());
      RefPtr<Mesh> mesh = new Mesh(1, vertexCount, chunk.positions, chunk.normals,
                                   chunk.textured ? chunk.texCoords : std::vector<TexCoord>{}, {}, chunk.indices);
      if (recomputeNormals) mesh->computeNormals(true, true);
      RefPtr<MeshInstance> instance = new MeshInstance(root, mesh);
      if (material) {
        if (texture && texture->hasAlpha()) instance->renderFlags().blend = kAlphaBlendSelector;
        instance->setMaterial(material);
      }
      if (flipTexCoordV) mesh->flipTexCoordV(0);
      model->addInstance(instance);
    }
  }
  if (model->instances().empty()) {
    // An unreadable file has already said so.
    if (!readable) return nullptr;
    Logger::instance().line(2) << "\"" << path << "\" holds no faces" << std::endl;
    return nullptr;
  }
  return model;
}
