// A mesh as a node draws it: render settings, the two buffers, the geometry's bounds and
// the world matrix of the last traversal. Skinned instances rewrite their vertex
// positions from their bones before every draw.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/core/Matrix.h"
#include "engine/render/Drawable.h"
#include "engine/scene/MeshBuffer.h"
#include "engine/scene/RenderSettings.h"

namespace engine {

class MeshGeometry;
class SceneNode;

// Corner i (0 to 7) of a box: bit 0 picks the high x side, bit 1 the high y, bit 2 the high z.
D3DXVECTOR3 boxCorner(const BoundingBox& box, int i);
// The box of the eight corners of `box` transformed by `world`.
BoundingBox transformedBox(const BoundingBox& box, const D3DXMATRIX& world);

class MeshInstance : public Drawable {
public:
  MeshInstance(const RenderSettings& settings, std::shared_ptr<MeshBuffer> vertices,
               std::shared_ptr<MeshBuffer> indices, const BoundingBox& bounds);

  RenderSettings& settings() { return settings_; }
  const RenderSettings& settings() const { return settings_; }
  const BoundingBox& bounds() const { return bounds_; }
  const MeshBuffer* vertices() const { return vertices_.get(); }
  const MeshBuffer* indices() const { return indices_.get(); }

  void setWorld(const Matrix& world) { world_ = world; }
  const Matrix& world() const { return world_; }
  // Recomputes what follows from the world matrix (the world box).
  virtual void refresh();
  // Whether the instance has what it draws with.
  bool ready() const;
  void setHidden(bool hidden) { hidden_ = hidden; }
  bool hidden() const { return hidden_; }

  bool usesAlpha() const override { return settings_.usesAlpha(); }
  const Texture* queueTexture() const override { return settings_.stages[0].texture.get(); }
  BoundingBox worldBox() const override { return worldBox_; }
  bool lit() const override { return settings_.lit; }
  // Applies the render settings, then draws the buffers.
  bool draw() override;

protected:
  // Runs before the buffers are drawn; false skips the draw.
  virtual bool prepare() { return true; }
  bool drawBuffers();

  RenderSettings settings_;
  std::shared_ptr<MeshBuffer> vertices_;
  std::shared_ptr<MeshBuffer> indices_;
  BoundingBox bounds_;
  Matrix world_;
  BoundingBox worldBox_;
  bool hidden_ = false;
};

// The bone data of a skinned mesh.
struct SkinData {
  std::vector<std::string> boneNames;           // by bone index; unnamed indices stay empty
  std::vector<std::uint32_t> vertexBoneOffsets; // per vertex, kept with the mesh
  std::vector<std::uint32_t> vertexBoneCounts;  // per vertex: how many influences follow
  struct Influence {
    std::uint32_t bone = 0;
    float weight = 0.0f;
  };
  std::vector<Influence> influences; // in vertex order
  std::vector<const Matrix*> bones;  // after binding: each bone node's skin matrix
};

class SkinnedMeshInstance final : public MeshInstance {
public:
  SkinnedMeshInstance(const RenderSettings& settings, std::shared_ptr<MeshBuffer> vertices,
                      std::shared_ptr<MeshBuffer> indices, const BoundingBox& bounds, const MeshGeometry& geometry,
                      SkinData skin);

  SkinData& skin() { return skin_; }
  const SkinData& skin() const { return skin_; }
  // Finds each bone by name below `root`; false (naming it in `missing`) for the first
  // bone that is not there.
  bool bindBones(SceneNode& root, std::string& missing);

  // The skinning pass: positions rewritten from the bones, the world matrix then the
  // identity (the written positions are final).
  bool prepare() override;

private:
  const MeshGeometry* geometry_;
  SkinData skin_;
  // Each bone's matrix for the draw under way, kept between draws so that skinning a
  // mesh every frame allocates nothing.
  std::vector<Matrix> boneWorld_;
};

} // namespace engine
