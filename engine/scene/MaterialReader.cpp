#include "engine/scene/MaterialReader.h"

#include <string>
#include <vector>

#include "engine/core/Strings.h"
#include "engine/data/udf/UdfNode.h"
#include "engine/scene/UdfValues.h"

namespace engine {

namespace {

DWORD textureAddress(const UdfNode& texture, std::string_view key) {
  std::string word;
  if (!readString(texture, key, word)) return D3DTADDRESS_WRAP;
  if (word == "Mirror") return D3DTADDRESS_MIRROR;
  if (word == "Wrap") return D3DTADDRESS_WRAP;
  return D3DTADDRESS_BORDER;
}

// A list value: words separated by blanks, commas, semicolons or bars.
std::vector<std::string> words(const UdfNode& node, std::string_view key) {
  std::vector<std::string> out;
  std::string text;
  if (!readString(node, key, text)) return out;
  std::string word;
  for (char c : text + " ") {
    if (c == ' ' || c == '\t' || c == ',' || c == ';' || c == '|' || c == '\r' || c == '\n' || c == '\0') {
      if (!word.empty()) out.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  return out;
}

bool listed(const std::vector<std::string>& list, std::string_view word) {
  for (const std::string& w : list)
    if (equalsNoCase(w, word)) return true;
  return false;
}

// A switch value: the text "1" (or an integer 1).
bool readSwitch(const UdfNode& node, std::string_view key, bool& on) {
  const UdfNode* child = node.findChild(key);
  if (!child || child->isList()) return false;
  std::int32_t number = 0;
  if (child->typeName() == "int" && readInt(node, key, number)) {
    on = number == 1;
    return true;
  }
  on = child->dataString() == "1";
  return true;
}

struct Word {
  std::string_view word;
  DWORD value;
};
constexpr Word kFilterWords[] = {{"none", D3DTEXF_NONE},
                                 {"point", D3DTEXF_POINT},
                                 {"linear", D3DTEXF_LINEAR},
                                 {"anisotropic", D3DTEXF_ANISOTROPIC},
                                 {"pyrquad", D3DTEXF_PYRAMIDALQUAD},
                                 {"guasquad", D3DTEXF_GAUSSIANQUAD}};
constexpr Word kAddressWords[] = {
    {"border", D3DTADDRESS_BORDER}, {"wrap", D3DTADDRESS_WRAP}, {"mirror", D3DTADDRESS_MIRROR}};

// The value of a word of `table` (compared with its case); a word not in it leaves `out`.
template <std::size_t N> void lookUpWord(const Word (&table)[N], std::string_view word, DWORD& out) {
  for (const Word& entry : table)
    if (entry.word == word) out = entry.value;
}

void overrideUsage(const UdfNode& mesh, BufferDesc& vertices, BufferDesc& indices) {
  if (!mesh.findChild("Usage")) return;
  const std::vector<std::string> list = words(mesh, "Usage");
  DWORD base = 0;
  if (listed(list, "static"))
    base = D3DUSAGE_WRITEONLY;
  else if (listed(list, "dynamic"))
    base = D3DUSAGE_DYNAMIC;
  else if (listed(list, "dynamic_writeonly"))
    base = D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY;
  vertices.usage = indices.usage = base;
  if (listed(list, "vb_writeonly")) vertices.usage |= D3DUSAGE_WRITEONLY;
  if (listed(list, "ib_writeonly")) indices.usage |= D3DUSAGE_WRITEONLY;
  if (listed(list, "vb_dynamic")) vertices.usage |= D3DUSAGE_DYNAMIC;
  if (listed(list, "ib_dynamic")) indices.usage |= D3DUSAGE_DYNAMIC;
}

void overrideAlpha(const UdfNode& mesh, RenderSettings& settings) {
  if (!mesh.findChild("AlphaUse")) return;
  const std::vector<std::string> list = words(mesh, "AlphaUse");
  const bool texture = listed(list, "texture"), diffuse = listed(list, "diffuse");
  if (listed(list, "factor")) {
    settings.setAlphaSource(texture ? kAlphaFactorTexture : diffuse ? kAlphaFactorDiffuse : kAlphaFactor);
    float alpha = 0.5f;
    readFloat(mesh, "Alpha", alpha);
    settings.alphaFactor = alpha;
  } else if (diffuse) {
    settings.setAlphaSource(texture ? kAlphaTextureDiffuse : kAlphaDiffuse);
  } else if (texture) {
    settings.setAlphaSource(kAlphaTexture);
  }
}

} // namespace

bool readMaterialProperties(const UdfNode& material, RenderSettings& settings, const TextureLookup& textures) {
  settings.material = RenderSettings::defaultMaterial();
  // One scratch colour for all four keys: a short value replaces only its leading floats.
  float scratch[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  if (readColorFloats(material, "Ambient", scratch)) settings.material.Ambient = colorFromArgb(scratch);
  if (readColorFloats(material, "Diffuse", scratch)) settings.material.Diffuse = colorFromArgb(scratch);
  if (readColorFloats(material, "Specular", scratch)) settings.material.Specular = colorFromArgb(scratch);
  if (readColorFloats(material, "Emissive", scratch)) settings.material.Emissive = colorFromArgb(scratch);
  settings.cullMode = material.findChild("TwoSided") ? D3DCULL_NONE : D3DCULL_CCW;
  readFloat(material, "Opacity", settings.alphaFactor);

  const UdfNode* list = material.findChild("Textures");
  if (!list) return true;
  for (const auto& entry : list->children()) {
    const UdfNode& texture = *entry.value;
    std::string fileName;
    if (!readString(texture, "FileName", fileName)) return false;
    const DWORD addressU = textureAddress(texture, "TexAddrU");
    const DWORD addressV = textureAddress(texture, "TexAddrV");
    if (texture.typeName() != "Diffuse") continue;
    TextureRef obtained = textures ? textures(fileName) : TextureRef();
    if (!obtained) continue;
    StageSettings& stage = settings.stages[0];
    stage.texture = std::move(obtained);
    stage.addressU = addressU;
    stage.addressV = addressV;
  }
  return true;
}

void applySubMaterialName(std::string_view name, StageSettings& stage) {
  auto contains = [name](std::string_view part) { return name.find(part) != std::string_view::npos; };
  const bool chrome = contains("Chrome");
  if (chrome) stage.texCoordIndex |= D3DTSS_TCI_SPHEREMAP;
  DWORD op = 0;
  if (contains("LightMap") || contains("Modulate2X"))
    op = D3DTOP_MODULATE2X;
  else if (contains("Modulate"))
    op = D3DTOP_MODULATE;
  else if (contains("AddSigned"))
    op = D3DTOP_ADDSIGNED;
  else if (contains("Add") || chrome)
    op = D3DTOP_ADD;
  if (!op) return;
  stage.colorOp = op;
  stage.colorArg1 = D3DTA_CURRENT;
  stage.colorArg2 = stage.texture ? D3DTA_TEXTURE : D3DTA_DIFFUSE;
}

void applyMeshOverrides(const UdfNode& mesh, RenderSettings& settings, BufferDesc& vertices, BufferDesc& indices,
                        UINT vertexCount) {
  overrideUsage(mesh, vertices, indices);
  std::string word;
  if (readString(mesh, "Blend", word)) {
    if (word == "additive") settings.blend = kBlendAdditive;
    if (word == "multiply") settings.blend = kBlendAlpha;
  }
  StageSettings& stage = settings.stages[0];
  if (readString(mesh, "MinFilter", word)) lookUpWord(kFilterWords, word, stage.minFilter);
  if (readString(mesh, "MagFilter", word)) lookUpWord(kFilterWords, word, stage.magFilter);
  if (readString(mesh, "MipFilter", word)) lookUpWord(kFilterWords, word, stage.mipFilter);
  if (readString(mesh, "TexAddrU", word)) lookUpWord(kAddressWords, word, stage.addressU);
  if (readString(mesh, "TexAddrV", word)) lookUpWord(kAddressWords, word, stage.addressV);
  bool align = false;
  if (readSwitch(mesh, "VertexAlign32", align) && align) vertices.alignStrideTo32(vertexCount);
  overrideAlpha(mesh, settings);
  readSwitch(mesh, "Lit", settings.lit);
}

} // namespace engine
