#include "loaders/Md3Loader.h"

#include "engine/Material.h"
#include "engine/MathConstants.h"
#include "engine/Matrix33.h"
#include "engine/Mesh.h"
#include "foundation/FailedFiles.h"
#include "foundation/Logger.h"
#include "foundation/VariableTable.h"
#include "foundation/ZipArchive.h"
#include "foundation/ZipInputStream.h"
#include "image/TextureManager.h"

namespace {

const char* const kPartFiles[3] = {"lower.md3", "upper.md3", "head.md3"};
const char* const kPartNames[3] = {"lower", "upper", "head"};

void logNotFound(const std::string& name) {
  Logger::instance().line(2) << "\"" << name << "\" not found." << std::endl;
}

// The three parts of the character read last, with where they came from: the archive's path and
// each member's CRC-32 and size. The bump-mapped viewer loads the plain viewer's character right
// after it; taken from here, its parts are neither inflated nor parsed a second time.
struct ReadCharacter {
  std::string archivePath;
  std::string memberNames[3];
  std::uint32_t crc32[3] = {};
  std::uint64_t sizes[3] = {};
  Md3File files[3];
};

ReadCharacter& lastReadCharacter() {
  static ReadCharacter last;
  return last;
}

// Archives that could not be opened, characters that could not be read from them and animation
// files that are missing: both character viewers load the same character from the same archive,
// and each fault is reported once.
FailedFiles& failures() {
  static FailedFiles failed;
  return failed;
}

}  // namespace

RefPtr<Mesh> md3Mesh(const Md3Surface& surface) {
  const std::uint32_t n = surface.vertexCount;
  const auto frameData = [&surface, n](std::uint32_t f, std::vector<Vector3>& positions, std::vector<Vector3>& normals) {
    positions.resize(n);
    normals.resize(n);
    const Md3Vertex* v = surface.vertices.data() + std::size_t(f) * n;
    for (std::uint32_t i = 0; i < n; ++i) {
      positions[i] = md3Position(v[i]);
      normals[i] = md3Normal(v[i]);
    }
  };
  std::vector<Vector3> positions, normals;
  frameData(0, positions, normals);
  std::vector<TexCoord> texCoords(n);
  for (std::uint32_t i = 0; i < n; ++i) texCoords[i] = {surface.texCoords[2 * i], 1.0f - surface.texCoords[2 * i + 1]};
  std::vector<std::uint16_t> indices(surface.triangles.size());
  for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
    indices[t] = static_cast<std::uint16_t>(surface.triangles[t]);
    indices[t + 1] = static_cast<std::uint16_t>(surface.triangles[t + 2]);
    indices[t + 2] = static_cast<std::uint16_t>(surface.triangles[t + 1]);
  }
  RefPtr<Mesh> mesh = new Mesh(surface.frameCount, n, std::move(positions), std::move(normals), std::move(texCoords),
                               {}, std::move(indices));
  for (std::uint32_t f = 1; f < surface.frameCount; ++f) {
    VertexFrame* frame = mesh->frame(f);
    frameData(f, frame->positions, frame->normals);
  }
  mesh->computeBounds();
  mesh->setDynamic(true);
  return mesh;
}

std::string Md3Loader::gameArchivePath() { return VariableTable::instance().get("q3a").value() + "baseq3/pak0.pk3"; }

std::string md3SkinMember(const std::string& modelDirectory, const std::string& shader) {
  const std::size_t slash = shader.find_last_of("/\\");
  const std::string file = slash == std::string::npos ? shader : shader.substr(slash + 1);
  return file.empty() ? std::string() : modelDirectory + "/" + file;
}

Md3Loader::Md3Loader(const std::string& archivePath, const std::string& modelDirectory, TextureManager* textures)
    : modelDirectory(modelDirectory) {
  load(archivePath, textures);
}

Md3Loader::Md3Loader(const std::string& modelDirectory) : modelDirectory(modelDirectory) {
  load(gameArchivePath(), TextureManager::instance().get());
}

void Md3Loader::load(const std::string& archivePath, TextureManager* textures) {
  ZipArchive archive(archivePath);
  if (!archive.isOpen()) {
    if (failures().record(archivePath)) logNotFound(archivePath);
    return;
  }
  failures().remove(archivePath);
  if (failures().unchanged(archivePath, modelDirectory)) return;
  // Every part is read and checked before anything is built, so a refused part leaves nothing.
  ReadCharacter& last = lastReadCharacter();
  ReadCharacter wanted;
  wanted.archivePath = archivePath;
  bool same = last.archivePath == archivePath;
  for (int p = 0; p < 3; ++p) {
    wanted.memberNames[p] = modelDirectory + "/" + kPartFiles[p];
    const bool known = archive.memberChecksum(wanted.memberNames[p], wanted.crc32[p], wanted.sizes[p]);
    same = same && known && last.memberNames[p] == wanted.memberNames[p] &&
           last.crc32[p] == wanted.crc32[p] && last.sizes[p] == wanted.sizes[p];
  }
  if (!same) {
    for (int p = 0; p < 3; ++p) {
      if (!Md3File::read(archive, wanted.memberNames[p], wanted.files[p])) {
        failures().record(archivePath, modelDirectory);
        return;
      }
    }
    last = std::move(wanted);
  }
  const Md3File* files = last.files;

  RefPtr<Model> model = new Model;
  // The MD3 data is z-up with its front along +x; the engine is y-up, the camera looking along +z.
  RefPtr<SceneNode> root =
      SceneNode::create(Matrix34(Matrix33::rotationY(kHalfPi) * Matrix33::rotationX(-kHalfPi), Vector3()));
  model->setNode(root);
  for (int p = 0; p < 3; ++p) {
    parts[p] = buildPart(archive, files[p], kPartNames[p], textures, *model);
  }
  Md3PartData& legs = parts[0];
  Md3PartData& torso = parts[1];
  Md3PartData& headPart = parts[2];
  legs.attachments["tag_torso"] = torso.node;
  torso.attachments["tag_head"] = headPart.node;
  root->addChild(legs.node);
  legs.node->addChild(torso.node);
  torso.node->addChild(headPart.node);
  root->updateWorld();

  const std::string configName = modelDirectory + "/animation.cfg";
  ZipInputStream configStream(archive, configName, std::ios::in);
  if (!configStream.isOpen() && failures().record(archivePath, configName)) logNotFound(configName);
  Md3AnimationConfig config = Md3AnimationConfig::parse(configStream);
  legs.animations = std::move(config.legs);
  torso.animations = std::move(config.torso);
  legs.defaultAnimation = "LEGS_IDLE";
  torso.defaultAnimation = "TORSO_STAND";
  failures().remove(archivePath, modelDirectory);
  result = model;
}

Md3PartData Md3Loader::buildPart(ZipArchive& archive, const Md3File& file, const char* name,
                                  TextureManager* textures, Model& out) {
  Md3PartData part;
  part.node = SceneNode::create(Matrix34::identity(), name);
  part.frameCount = file.frameCount;
  part.tagCount = file.tagCount;
  part.tags = file.tags;
  for (const Md3Surface& surface : file.surfaces) {
    // A surface without triangles draws nothing.
    if (surface.vertexCount == 0 || surface.triangles.empty()) continue;
    RefPtr<MeshInstance> instance = new MeshInstance(part.node, md3Mesh(surface));
    RefPtr<Material> material = new Material(Material::kPlain);
    material->setTexture(0, skin(archive, surface, textures));
    instance->setMaterial(material);
    part.instances.push_back(instance);
    out.addInstance(instance);
  }
  return part;
}

RefPtr<Texture> Md3Loader::skin(ZipArchive& archive, const Md3Surface& surface, TextureManager* textures) {
  if (!textures) return nullptr;
  const std::string member = md3SkinMember(modelDirectory, surface.shader);
  if (member.empty()) {
    Logger::instance().line(2) << "MD3 surface \"" << surface.name << "\" of \"" << modelDirectory
                               << "\" names no skin" << std::endl;
    return nullptr;
  }
  if (Texture* cached = textures->find(member)) return cached;
  // The cache gives a placeholder for a missing member without saying so; the log should.
  if (archive.openMember(member)) {
    archive.closeMember();
  } else {
    logNotFound(member);
  }
  return textures->createFromArchive(archive, member);
}
