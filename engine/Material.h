#pragma once
#include <cstdint>

#include "engine/Color.h"
#include "engine/Matrix34.h"
#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"

class GraphicsDevice;
class MeshInstance;
class Texture;

// How an instance is drawn: a colour, up to four textures (one per stage) and a type that fixes the
// number of passes. The renderer sets the instance being drawn and calls apply once per pass.
class Material : public RefCounted {
 public:
  static constexpr std::uint32_t kPlain = 1;
  static constexpr std::uint32_t kBump = 2;
  static constexpr int kTextureStages = 4;

  // Out of line: the texture slots need the complete Texture type.
  explicit Material(std::uint32_t type = kPlain);
  ~Material() override;

  // Device state for one pass; viewMatrix is the renderer's current view transform.
  virtual void apply(int pass, const Matrix34& viewMatrix);
  // A new material of the same class with the same colour, textures and type.
  virtual RefPtr<Material> clone() const;
  // Copies colour, texture references and type; not the instance or the pass flags.
  virtual void assign(const Material& other);

  const Color& getColor() const { return materialColor; }
  void setColor(const Color& c) { materialColor = c; }
  // Null for an empty slot or a stage outside 0..3.
  Texture* texture(int stage) const;
  // Stages outside 0..3 are ignored.
  void setTexture(int stage, RefPtr<Texture> texture);
  std::uint32_t type() const { return materialType; }
  // Changes the pass count of a kind that has several (the bump material's specular pass).
  void setType(std::uint32_t type) { materialType = type; }

  // Borrowed; valid only while the renderer draws that instance.
  void setInstance(MeshInstance* instance) { currentInstance = instance; }
  MeshInstance* instance() const { return currentInstance; }

  void setAmbientPass(bool on) { ambientPass = on; }
  void setLitPass(bool on) { litPass = on; }
  bool isAmbientPass() const { return ambientPass; }
  bool isLitPass() const { return litPass; }
  // 1 during the ambient-only pass of a shadowed scene, otherwise the type's pass count.
  int passCount() const { return ambientPass ? 1 : static_cast<int>(materialType); }

 protected:
  // The device material record: diffuse, ambient and specular are the colour, emissive opaque
  // black, power 0.
  void setDeviceMaterial(GraphicsDevice& device) const;

 private:
  Color materialColor;
  RefPtr<Texture> textures[kTextureStages];
  std::uint32_t materialType;
  MeshInstance* currentInstance = nullptr;
  bool ambientPass = false;
  bool litPass = false;
};
