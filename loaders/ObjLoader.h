#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Model.h"
#include "engine/SceneNode.h"
#include "engine/VertexFrame.h"
#include "foundation/RefPtr.h"
#include "loaders/MtlLibrary.h"

class TextureManager;

// Reads a Wavefront OBJ file and the MTL library it names into one mesh per material group.
//
// "v", "vt", "vn", "f", "usemtl" and "mtllib" are read; everything else ("g", "o", "s", "l", "p",
// unknown keywords) is skipped. Each "usemtl" opens a new group named after its material; faces
// before the first one go to a group named "Default", which has no material. Corners are
// p, p/t, p/t/n or p//n, 1-based, negative ones counting back from the last element read so far;
// a p/t corner takes its normal from the same number t when there is such a normal. A corner
// without a normal gets its triangle's face normal, so unlit-looking flat geometry cannot occur.
// Polygons are fanned around their first corner with the winding reversed, (c0, c2, c1),
// (c0, c3, c2), ..., because OBJ winds front faces counter-clockwise and the engine clockwise.
//
// A face naming index 0, an element past the end of its list (or a list the file never filled),
// or a malformed corner is refused; the rest of the file still loads, and one log line names the
// file, the first refused line and how many faces were refused.
//
// Corners with bit-identical position, normal and texture coordinate share a vertex within a
// group, never across groups. A group with more vertices (or triangles) than 16-bit indices can
// name is split into several meshes of at most kMaxMeshVertices vertices and kMaxMeshTriangles
// triangles each, so big models still load and every mesh can build its adjacency.
class ObjLoader {
 public:
  static constexpr std::uint32_t kMaxMeshVertices = 0xFFFF;
  static constexpr std::uint32_t kMaxMeshTriangles = 0xFFFF;

  // Reads the file and its material library; an unreadable file logs "File <path> could not be
  // accessed" and leaves the loader empty. The texture manager is borrowed and may be null (no
  // textures are made then).
  ObjLoader(const std::string& path, TextureManager* textures);
  // OBJ text from memory, read as if it were the file at path (its directory is where the
  // material library is looked for).
  ObjLoader(std::string_view text, const std::string& path, TextureManager* textures);

  // A model whose root is this loader's node, with one instance per mesh in group order, or null
  // (with a log line) when the file gave no faces. A group named "Default" or after a material the
  // library lacks gets no material; a textured material turns white unless keepMaterialColours,
  // and alpha-blends (selector 4) when its texture has alpha. recomputeNormals replaces the normals
  // by angle-weighted ones shared by position; flipTexCoordV turns v into 1 − v.
  RefPtr<Model> createModel(bool keepMaterialColours, bool recomputeNormals, bool flipTexCoordV) const;

  // One mesh's worth of a group, as built.
  struct Chunk {
    std::vector<Vector3> positions;
    std::vector<Vector3> normals;
    std::vector<TexCoord> texCoords;
    std::vector<std::uint16_t> indices;
    bool textured = false;  // some corner named a texture coordinate
  };
  struct Group {
    std::string name;
    std::vector<Chunk> chunks;
  };

  const std::vector<Group>& groups() const { return groupList; }
  const MtlLibrary& library() const { return materials; }
  std::size_t positionCount() const { return positions.size(); }
  std::size_t refusedFaceCount() const { return refusedFaces; }

 private:
  struct Corner {
    std::uint32_t position;
    std::uint32_t texCoord;  // kNone when absent
    std::uint32_t normal;    // kNone when absent
  };
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

  void parse(std::string_view text);
  void readFace(std::string_view corners, std::uint32_t line);
  // Null when the corner is sound, otherwise what is wrong with it.
  const char* readCorner(std::string_view word, Corner& corner) const;
  void readLibrary(std::string_view name);
  void addTriangle(const Corner& a, const Corner& b, const Corner& c);
  std::uint16_t addVertex(const Vector3& position, const Vector3& normal, const TexCoord& texCoord);
  void startChunk();
  void refuseFace(std::uint32_t line, const char* reason);

  std::string path;
  std::string directory;
  RefPtr<SceneNode> root;
  MtlLibrary materials;
  std::vector<Vector3> positions;
  std::vector<TexCoord> texCoords;
  std::vector<Vector3> normals;
  std::vector<Group> groupList;
  bool readable = false;
  bool sawMaterialUse = false;
  bool readAnyLibrary = false;

  // Vertex sharing of the chunk being built: open addressing over the chunk's vertex numbers + 1
  // (0 = free), keyed by the vertex values.
  std::vector<std::uint32_t> vertexSlots;
  std::vector<Corner> faceCorners;  // scratch of readFace

  std::size_t refusedFaces = 0;
  std::uint32_t firstRefusedLine = 0;
  const char* firstRefusal = nullptr;
};
