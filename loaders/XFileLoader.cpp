#include "loaders/XFileLoader.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "engine/Material.h"
#include "engine/Mesh.h"
#include "engine/MeshInstance.h"
#include "engine/SceneNode.h"
#include "foundation/FileResolver.h"
#include "foundation/Logger.h"
#include "foundation/Path.h"
#include "image/TextureManager.h"
#include "loaders/TextScanner.h"

// Present only in sanitized builds.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

constexpr char kSignature[] = {'x', 'o', 'f', ' '};
constexpr int kMaxVertices = 0xFFFF;  // indices 0 .. 0xFFFE, as every engine mesh
constexpr int kMaxTriangles = 0xFFFF;  // so that adjacency can name every triangle
constexpr unsigned kTrialSeconds = 30;

bool trialImport = true;

// Data as stored (left-handed, clockwise, v from the top), triangles only, identical vertices
// joined, meshes split where 16-bit indices end, and assimp's own consistency check. Missing
// normals are made by the engine, not by assimp, whose normals would face the counter-clockwise
// side of the data as stored.
constexpr unsigned kImportSteps = aiProcess_ConvertToLeftHanded | aiProcess_Triangulate |
                                  aiProcess_JoinIdenticalVertices | aiProcess_SortByPType |
                                  aiProcess_SplitLargeMeshes | aiProcess_ValidateDataStructure;

// False when a face has no corners; otherwise sets each mesh's primitive types from its faces,
// which the triangulation trusts without looking.
bool recountPrimitives(const aiScene& scene) {
  for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
    aiMesh* mesh = scene.mMeshes[m];
    if (!mesh) continue;
    unsigned types = 0;
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      const unsigned corners = mesh->mFaces[f].mNumIndices;
      if (corners == 0 || !mesh->mFaces[f].mIndices) return false;
      types |= corners == 1 ? aiPrimitiveType_POINT
               : corners == 2 ? aiPrimitiveType_LINE
               : corners == 3 ? aiPrimitiveType_TRIANGLE
                              : aiPrimitiveType_POLYGON;
    }
    mesh->mPrimitiveTypes = types;
  }
  return true;
}

// The named texture in the ".x" file's directory: as written below it, else by its file name
// alone (names written with absolute or foreign paths). Null when there is none.
RefPtr<Texture> findTexture(const std::string& name, const std::string& directory, const std::string& path,
                            TextureManager* textures) {
  if (!textures || name.empty() || name[0] == '*') return nullptr;
  const std::string below = Path(directory + name).full();
  const std::string beside = directory + Path(name).fileName();
  if (isRegularFile(below)) return textures->createFromFile(below);
  if (isRegularFile(beside)) return textures->createFromFile(beside);
  Logger::instance().line(2) << "Texture " << name << " of " << path << " not found" << std::endl;
  return nullptr;
}

RefPtr<Material> convertMaterial(const aiMaterial& source, const std::string& directory, const std::string& path,
                                 TextureManager* textures, const ModelLoadOptions& options) {
  RefPtr<Material> material = new Material(Material::kPlain);
  aiColor4D diffuse(1.0f, 1.0f, 1.0f, 1.0f);
  source.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
  material->setColor(Color(diffuse.r, diffuse.g, diffuse.b, diffuse.a));
  aiString file;
  if (source.GetTexture(aiTextureType_DIFFUSE, 0, &file) == AI_SUCCESS) {
    if (RefPtr<Texture> texture = findTexture(file.C_Str(), directory, path, textures)) {
      material->setTexture(0, texture);
      if (!options.keepMaterialColours) material->setColor(Color(1.0f, 1.0f, 1.0f, 1.0f));
    }
  }
  return material;
}

// Normals go through the inverse transpose of the linear part, which for the rigid and uniformly
// scaled frames of real files is the linear part up to a scale that normalising removes.
RefPtr<Mesh> convertMesh(const aiMesh& source, const aiMatrix4x4& transform, bool identity,
                         const ModelLoadOptions& options) {
  const unsigned vertexCount = source.mNumVertices;
  if (vertexCount == 0 || vertexCount > static_cast<unsigned>(kMaxVertices) || !source.mVertices) return nullptr;
  // A mirroring frame turns the faces' winding over; swapping two corners turns it back.
  const bool mirrored = !identity && aiMatrix3x3(transform).Determinant() < 0.0f;
  std::vector<std::uint16_t> indices;
  indices.reserve(static_cast<std::size_t>(source.mNumFaces) * 3);
  for (unsigned f = 0; f < source.mNumFaces && indices.size() < kMaxTriangles * 3u; ++f) {
    const aiFace& face = source.mFaces[f];
    if (face.mNumIndices != 3 || !face.mIndices) continue;
    const unsigned* i = face.mIndices;
    if (i[0] >= vertexCount || i[1] >= vertexCount || i[2] >= vertexCount) continue;
    const unsigned second = mirrored ? i[2] : i[1], third = mirrored ? i[1] : i[2];
    indices.insert(indices.end(), {static_cast<std::uint16_t>(i[0]), static_cast<std::uint16_t>(second),
                                   static_cast<std::uint16_t>(third)});
  }
  if (indices.empty()) return nullptr;

  aiMatrix3x3 normalTransform(transform);
  normalTransform.Inverse().Transpose();
  std::vector<Vector3> positions(vertexCount);
  std::vector<Vector3> normals;
  std::vector<TexCoord> texCoords;
  std::vector<Color> colors;
  for (unsigned v = 0; v < vertexCount; ++v) {
    const aiVector3D p = identity ? source.mVertices[v] : transform * source.mVertices[v];
    positions[v] = Vector3(p.x, p.y, p.z);
  }
  if (source.mNormals) {
    normals.resize(vertexCount);
    for (unsigned v = 0; v < vertexCount; ++v) {
      aiVector3D n = source.mNormals[v];
      if (!identity) n = (normalTransform * n).NormalizeSafe();
      normals[v] = Vector3(n.x, n.y, n.z);
    }
  }
  if (source.mTextureCoords[0]) {
    texCoords.resize(vertexCount);
    for (unsigned v = 0; v < vertexCount; ++v) {
      texCoords[v] = {source.mTextureCoords[0][v].x, 1.0f - source.mTextureCoords[0][v].y};
    }
  }
  if (source.mColors[0]) {
    colors.resize(vertexCount);
    for (unsigned v = 0; v < vertexCount; ++v) {
      const aiColor4D& c = source.mColors[0][v];
      colors[v] = Color(c.r, c.g, c.b, c.a);
    }
  }
  RefPtr<Mesh> mesh = new Mesh(1, vertexCount, std::move(positions), std::move(normals), std::move(texCoords),
                               std::move(colors), std::move(indices));
  if (options.recomputeNormals || !source.mNormals) mesh->computeNormals(true, true);
  if (options.flipTexCoordV) mesh->flipTexCoordV(0);
  return mesh;
}

struct Conversion {
  const aiScene& scene;
  const std::vector<RefPtr<Material>>& materials;
  const ModelLoadOptions& options;
  Model& model;
  RefPtr<SceneNode> root;
};

// Depth-first, so the meshes come in the file's frame order.
void convertNode(Conversion& job, const aiNode& node, const aiMatrix4x4& parent, int depth) {
  // Frames nest a few levels in real files; a deeper tree is damage, not content.
  if (depth > 256) return;
  const aiMatrix4x4 transform = parent * node.mTransformation;
  const bool identity = transform.IsIdentity();
  for (unsigned k = 0; k < node.mNumMeshes; ++k) {
    const unsigned index = node.mMeshes[k];
    if (index >= job.scene.mNumMeshes || !job.scene.mMeshes[index]) continue;
    const aiMesh& source = *job.scene.mMeshes[index];
    RefPtr<Mesh> mesh = convertMesh(source, transform, identity, job.options);
    if (!mesh) continue;
    RefPtr<MeshInstance> instance = new MeshInstance(job.root, mesh);
    if (source.mMaterialIndex < job.materials.size()) instance->setMaterial(job.materials[source.mMaterialIndex]);
    job.model.addInstance(instance);
  }
  for (unsigned c = 0; c < node.mNumChildren; ++c) {
    if (node.mChildren[c]) convertNode(job, *node.mChildren[c], transform, depth + 1);
  }
}

// The scene as stored, or null with the reason. Read first, then checked here, then
// post-processed: assimp's own check lets faces without corners through to its triangulation,
// which asserts (aborts the program) on them.
const aiScene* importScene(Assimp::Importer& importer, const void* bytes, std::size_t size, std::string& error) {
  importer.SetPropertyInteger(AI_CONFIG_PP_SLM_VERTEX_LIMIT, kMaxVertices);
  importer.SetPropertyInteger(AI_CONFIG_PP_SLM_TRIANGLE_LIMIT, kMaxTriangles);
  importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
  const aiScene* scene = importer.ReadFileFromMemory(bytes, size, 0, "x");
  if (!scene || !scene->mRootNode || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
    error = importer.GetErrorString();
    return nullptr;
  }
  if (!recountPrimitives(*scene)) {
    error = "a face without corners";
    return nullptr;
  }
  scene = importer.ApplyPostProcessing(kImportSteps);
  if (!scene || !scene->mRootNode) {
    error = importer.GetErrorString();
    return nullptr;
  }
  return scene;
}

// Address space the trial import may take beyond what the process already has.
std::size_t trialMemoryAllowance(std::size_t size) { return (std::size_t{1} << 30) + size * 64; }

std::size_t addressSpaceInUse() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// assimp 5.2 dereferences null on some damaged files (a material list that names more materials than
// it holds), and allocates whatever element count a file states before reading the elements, so a
// few bytes can ask for gigabytes. The import is therefore tried first in a child process with
// capped memory and time; only a file the child read without harm is read in this process. False,
// with the reason, when the child refused the file or did not survive it. Without a child process
// (fork failed) the file is read here as it is.
bool importsSafely(const void* bytes, std::size_t size, std::string& error) {
  int channel[2];
  if (pipe(channel) != 0) return true;
  const std::size_t memoryLimit = addressSpaceInUse() + trialMemoryAllowance(size);
  const pid_t child = fork();
  if (child < 0) {
    close(channel[0]);
    close(channel[1]);
    return true;
  }
  if (child == 0) {
    // Die by the signal itself, quietly, rather than through handlers the parent installed.
    for (int signalNumber : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) signal(signalNumber, SIG_DFL);
    // Likewise a sanitizer's death callback (a fuzzing engine's, which would save the input and
    // report the child's end as its own crash), when the sanitizer ends the child at its memory cap.
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(nullptr);
    close(channel[0]);
    const rlimit limit{memoryLimit, memoryLimit};
    setrlimit(RLIMIT_AS, &limit);
    alarm(kTrialSeconds);
    // The answer goes through the pipe: '+', or '-' and the reason. A child that dies writes none.
    std::string reason;
    Assimp::Importer importer;
    const std::string answer = importScene(importer, bytes, size, reason) ? "+" : "-" + reason;
    (void)!write(channel[1], answer.data(), std::min<std::size_t>(answer.size(), 512));
    _exit(0);
  }
  close(channel[1]);
  char answer[512];
  ssize_t length = 0;
  for (ssize_t got = 0; (got = read(channel[0], answer + length, sizeof answer - static_cast<std::size_t>(length))) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    length += got;
    if (static_cast<std::size_t>(length) == sizeof answer) break;
  }
  close(channel[0]);
  int status = 0;
  pid_t waited = 0;
  while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
  }
  if (length > 0 && answer[0] == '+') return true;
  if (length > 0) {
    error.assign(answer + 1, static_cast<std::size_t>(length - 1));
  } else if (waited == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
    error = "the reader took longer than " + std::to_string(kTrialSeconds) + " s";
  } else if (waited == child && WIFSIGNALED(status)) {
    error = "the reader failed on it (signal " + std::to_string(WTERMSIG(status)) + ")";
  } else {
    error = "the reader failed on it";
  }
  return false;
}

}  // namespace

void setXFileTrialImport(bool enabled) { trialImport = enabled; }

RefPtr<Model> loadXFile(const std::string& path, TextureManager* textures, const ModelLoadOptions& options) {
  std::string bytes;
  if (!readWholeFile(path, bytes)) {
    Logger::instance().line(2) << "File " << path << " could not be accessed" << std::endl;
    return nullptr;
  }
  return loadXFileFromMemory(bytes.data(), bytes.size(), path, textures, options);
}

RefPtr<Model> loadXFileFromMemory(const void* bytes, std::size_t size, const std::string& path,
                                  TextureManager* textures, const ModelLoadOptions& options) {
  Logger& log = Logger::instance();
  if (!bytes || size < sizeof kSignature || std::memcmp(bytes, kSignature, sizeof kSignature) != 0) {
    log.line(2) << "\"" << path << "\" is not a DirectX .x file" << std::endl;
    return nullptr;
  }
  std::string error;
  if (trialImport && !importsSafely(bytes, size, error)) {
    log.line(2) << "\"" << path << "\" could not be read: " << error << std::endl;
    return nullptr;
  }
  Assimp::Importer importer;
  const aiScene* scene = importScene(importer, bytes, size, error);
  if (!scene) {
    log.line(2) << "\"" << path << "\" could not be read: " << error << std::endl;
    return nullptr;
  }

  const std::string directory = Path(path).directory();
  std::vector<RefPtr<Material>> materials;
  for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
    materials.push_back(scene->mMaterials[m] ? convertMaterial(*scene->mMaterials[m], directory, path, textures, options)
                                             : RefPtr<Material>(new Material(Material::kPlain)));
  }
  RefPtr<Model> model = new Model();
  Conversion job{*scene, materials, options, *model, new SceneNode()};
  model->setNode(job.root);
  convertNode(job, *scene->mRootNode, aiMatrix4x4(), 0);
  if (model->instances().empty()) {
    log.line(2) << "\"" << path << "\" holds no triangles" << std::endl;
    return nullptr;
  }
  return model;
}
