// How a scene file's material entries and a mesh node's override keys fill render
// settings.
#pragma once

#include <functional>
#include <string_view>

#include "engine/scene/MeshBuffer.h"
#include "engine/scene/RenderSettings.h"

namespace engine {

class UdfNode;

using TextureLookup = std::function<TextureRef(std::string_view fileName)>;

// Reads a material's colours, "TwoSided", "Opacity" and "Textures" into `settings`. False
// when a texture entry has no "FileName" (what was read before it stays).
bool readMaterialProperties(const UdfNode& material, RenderSettings& settings, const TextureLookup& textures);

// The stage operation a sub-material's name asks for ("LightMap", "Modulate2X", "Modulate",
// "AddSigned", "Add", "Chrome") and the sphere-mapped coordinates of "Chrome".
void applySubMaterialName(std::string_view name, StageSettings& stage);

// The override keys of a mesh node: "Usage", "Blend", the filters, the addressing,
// "VertexAlign32", "AlphaUse" with "Alpha", and "Lit".
void applyMeshOverrides(const UdfNode& mesh, RenderSettings& settings, BufferDesc& vertices, BufferDesc& indices,
                        UINT vertexCount);

} // namespace engine
