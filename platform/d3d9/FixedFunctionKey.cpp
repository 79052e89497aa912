#include "platform/d3d9/FixedFunctionKey.h"

namespace d3d9 {
namespace {

constexpr DWORD kArgMask = 0x37; // selector (0-6) and the two modifier bits

DWORD defaultColorOp(UINT stage) { return stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE; }
DWORD defaultAlphaOp(UINT stage) { return stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE; }

DWORD validOp(DWORD op) { return (op >= D3DTOP_DISABLE && op <= D3DTOP_LERP) ? op : D3DTOP_DISABLE; }

// An argument with an unknown selector reads the current colour.
DWORD validArg(DWORD arg) {
  arg &= kArgMask;
  if ((arg & D3DTA_SELECTMASK) > D3DTA_CONSTANT) arg = (arg & ~D3DTA_SELECTMASK) | D3DTA_CURRENT;
  return arg;
}

bool readsTexture(DWORD op, DWORD arg0, DWORD arg1, DWORD arg2) {
  const unsigned read = argumentsRead(op);
  auto isTexture = [](DWORD arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; };
  return ((read & 1) && isTexture(arg0)) || ((read & 2) && isTexture(arg1)) || ((read & 4) && isTexture(arg2)) ||
         op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM;
}

std::uint32_t field(DWORD value, unsigned shift) { return static_cast<std::uint32_t>(value) << shift; }
DWORD bitsAt(std::uint32_t word, unsigned shift, unsigned width) { return (word >> shift) & ((1u << width) - 1); }

} // namespace

unsigned argumentsRead(DWORD op) {
  switch (op) {
  case D3DTOP_DISABLE:
    return 0;
  case D3DTOP_SELECTARG1:
    return 2;
  case D3DTOP_SELECTARG2:
    return 4;
  case D3DTOP_MULTIPLYADD:
  case D3DTOP_LERP:
    return 7;
  case D3DTOP_BUMPENVMAP:
  case D3DTOP_BUMPENVMAPLUMINANCE:
    return 0;
  default:
    return 6;
  }
}

std::size_t FixedFunctionKey::hash() const {
  std::uint64_t h = 1469598103934665603ull;
  for (std::uint32_t word : words) {
    h ^= word;
    h *= 1099511628211ull;
  }
  return static_cast<std::size_t>(h ^ (h >> 32));
}

FixedFunctionKey makeFixedFunctionKey(const DeviceState& state, const VertexLayout& layout) {
  FixedFunctionKey key;
  auto& w = key.words;
  const bool rhw = layout.position == PositionKind::XyzRhw;

  // Vertex input
  const DWORD positionCode = layout.position == PositionKind::None ? 0 : rhw ? 2 : 1;
  std::uint32_t sizes = 0;
  for (UINT set = 0; set < layout.texCount; ++set) {
    static constexpr DWORD codeForFloats[5] = {0, 3, 0, 1, 2};
    sizes |= field(codeForFloats[layout.texSize[set]], set * 2);
  }
  w[0] = field(positionCode, 0) | field(layout.hasNormal, 2) | field(layout.hasDiffuse, 3) |
         field(layout.hasSpecular, 4) | field(layout.texCount, 5) | field(sizes, 9);

  // Lighting: pre-transformed vertices are never lit.
  const bool lighting = state.renderState(D3DRS_LIGHTING) != FALSE && !rhw;
  const bool specular = state.renderState(D3DRS_SPECULARENABLE) != FALSE;
  if (!lighting) {
    w[1] = field(1, 0) | field(specular, 4);
  } else {
    std::uint32_t kinds = 0;
    const D3DLIGHT9* lights[kMaxActiveLights];
    const UINT count = state.activeLights(lights);
    for (UINT i = 0; i < count; ++i)
      kinds |= field(lights[i]->Type & 3, i * 2);
    w[1] = field(state.renderState(D3DRS_COLORVERTEX) == FALSE, 1) |
           field(state.renderState(D3DRS_NORMALIZENORMALS) != FALSE, 2) |
           field(state.renderState(D3DRS_LOCALVIEWER) == FALSE, 3) | field(specular, 4) |
           field((state.renderState(D3DRS_DIFFUSEMATERIALSOURCE) & 3) ^ D3DMCS_COLOR1, 5) |
           field((state.renderState(D3DRS_SPECULARMATERIALSOURCE) & 3) ^ D3DMCS_COLOR2, 7) |
           field(state.renderState(D3DRS_AMBIENTMATERIALSOURCE) & 3, 9) |
           field(state.renderState(D3DRS_EMISSIVEMATERIALSOURCE) & 3, 11) | field(kinds, 13);
  }

  // Fog, alpha test, shading
  if (state.renderState(D3DRS_FOGENABLE) != FALSE) {
    w[2] |= field(1, 0) | field(state.renderState(D3DRS_FOGTABLEMODE) & 3, 3);
    if (!rhw)
      w[2] |= field(state.renderState(D3DRS_FOGVERTEXMODE) & 3, 1) |
              field(state.renderState(D3DRS_RANGEFOGENABLE) != FALSE, 5);
  }
  if (state.renderState(D3DRS_ALPHATESTENABLE) != FALSE)
    w[2] |= field(1, 6) | field(state.renderState(D3DRS_ALPHAFUNC) & 7, 7);
  w[2] |= field(state.renderState(D3DRS_SHADEMODE) == D3DSHADE_FLAT, 10);

  // Texture stages, up to the first disabled one.
  bool previousPremodulates = false;
  for (UINT s = 0; s < kStageCount; ++s) {
    const DWORD colorOp = validOp(state.stageState(s, D3DTSS_COLOROP));
    std::uint32_t& colorWord = w[3 + 2 * s];
    std::uint32_t& alphaWord = w[4 + 2 * s];
    if (colorOp == D3DTOP_DISABLE) {
      colorWord = field(colorOp ^ defaultColorOp(s), 0);
      break;
    }
    const unsigned colorReads = argumentsRead(colorOp);
    const DWORD c0 = (colorReads & 1) ? validArg(state.stageState(s, D3DTSS_COLORARG0)) : D3DTA_CURRENT;
    const DWORD c1 = (colorReads & 2) ? validArg(state.stageState(s, D3DTSS_COLORARG1)) : D3DTA_TEXTURE;
    const DWORD c2 = (colorReads & 4) ? validArg(state.stageState(s, D3DTSS_COLORARG2)) : D3DTA_CURRENT;
    const DWORD alphaOp = validOp(state.stageState(s, D3DTSS_ALPHAOP));
    const unsigned alphaReads = argumentsRead(alphaOp);
    const DWORD a0 = (alphaReads & 1) ? validArg(state.stageState(s, D3DTSS_ALPHAARG0)) : D3DTA_CURRENT;
    const DWORD a1 = (alphaReads & 2) ? validArg(state.stageState(s, D3DTSS_ALPHAARG1)) : D3DTA_TEXTURE;
    const DWORD a2 = (alphaReads & 4) ? validArg(state.stageState(s, D3DTSS_ALPHAARG2)) : D3DTA_CURRENT;
    // Whether the stage has a texture matters where an argument reads it (see the header).
    const bool colorReadsTexture = readsTexture(colorOp, c0, c1, c2);
    const bool alphaReadsTexture = readsTexture(alphaOp, a0, a1, a2);
    const bool hasTexture = (colorReadsTexture || alphaReadsTexture) && state.texture(s) != nullptr;
    const bool off = !hasTexture && colorReadsTexture;
    const bool samples = hasTexture || (!off && previousPremodulates);
    previousPremodulates = colorOp == D3DTOP_PREMODULATE;

    colorWord = field(colorOp ^ defaultColorOp(s), 0) | field(c1 ^ D3DTA_TEXTURE, 5) | field(c2 ^ D3DTA_CURRENT, 11) |
                field(c0 ^ D3DTA_CURRENT, 17) | field(state.stageState(s, D3DTSS_RESULTARG) == D3DTA_TEMP, 23) |
                field(hasTexture, 30);
    alphaWord = field(alphaOp ^ defaultAlphaOp(s), 0) | field(a1 ^ D3DTA_TEXTURE, 5) | field(a2 ^ D3DTA_CURRENT, 11) |
                field(a0 ^ D3DTA_CURRENT, 17);
    if (samples) {
      const DWORD index = state.stageState(s, D3DTSS_TEXCOORDINDEX);
      colorWord |= field((index & 7) ^ s, 24);
      if (!rhw) {
        // Generated coordinates and texture transforms need camera space.
        const DWORD generation = (index >> 16) & 0xFFFF;
        colorWord |= field(generation <= 4 ? generation : 0, 27);
        const DWORD flags = state.stageState(s, D3DTSS_TEXTURETRANSFORMFLAGS);
        const DWORD count = flags & 0xFF;
        if (count >= 1 && count <= 4)
          alphaWord |= field(count, 23) | field((flags & D3DTTFF_PROJECTED) != 0 && count > 1, 26);
      }
    }
    if (off) break;
  }
  return key;
}

DecodedKey decodeFixedFunctionKey(const FixedFunctionKey& key) {
  DecodedKey d{};
  const auto& w = key.words;
  const DWORD position = bitsAt(w[0], 0, 2);
  d.position = position == 0 ? PositionKind::None : position == 2 ? PositionKind::XyzRhw : PositionKind::Xyz;
  d.hasNormal = bitsAt(w[0], 2, 1);
  d.hasDiffuse = bitsAt(w[0], 3, 1);
  d.hasSpecular = bitsAt(w[0], 4, 1);
  d.texCount = bitsAt(w[0], 5, 4);
  static constexpr UINT floatsForCode[4] = {2, 3, 4, 1};
  for (UINT set = 0; set < 8; ++set)
    d.texSize[set] = floatsForCode[bitsAt(w[0], 9 + 2 * set, 2)];

  d.lighting = !bitsAt(w[1], 0, 1);
  d.colorVertex = !bitsAt(w[1], 1, 1);
  d.normalizeNormals = bitsAt(w[1], 2, 1);
  d.localViewer = !bitsAt(w[1], 3, 1);
  d.specularEnable = bitsAt(w[1], 4, 1);
  d.diffuseSource = bitsAt(w[1], 5, 2) ^ D3DMCS_COLOR1;
  d.specularSource = bitsAt(w[1], 7, 2) ^ D3DMCS_COLOR2;
  d.ambientSource = bitsAt(w[1], 9, 2);
  d.emissiveSource = bitsAt(w[1], 11, 2);
  for (UINT i = 0; i < kMaxActiveLights; ++i) {
    d.lightKinds[i] = static_cast<D3DLIGHTTYPE>(bitsAt(w[1], 13 + 2 * i, 2));
    if (d.lightKinds[i] != 0) d.lightCount = i + 1;
  }
  if (!d.lighting) d.lightCount = 0;

  d.fog = bitsAt(w[2], 0, 1);
  d.fogVertexMode = bitsAt(w[2], 1, 2);
  d.fogTableMode = bitsAt(w[2], 3, 2);
  d.rangeFog = bitsAt(w[2], 5, 1);
  d.alphaTest = bitsAt(w[2], 6, 1);
  d.alphaFunc = bitsAt(w[2], 7, 3);
  if (d.alphaFunc == 0) d.alphaFunc = D3DCMP_ALWAYS;
  d.flatShading = bitsAt(w[2], 10, 1);

  bool previousPremodulates = false;
  for (UINT s = 0; s < kStageCount; ++s) {
    const std::uint32_t cw = w[3 + 2 * s];
    const std::uint32_t aw = w[4 + 2 * s];
    StageKey& st = d.stages[s];
    st.colorOp = bitsAt(cw, 0, 5) ^ defaultColorOp(s);
    if (st.colorOp == D3DTOP_DISABLE) break;
    st.colorArg1 = bitsAt(cw, 5, 6) ^ D3DTA_TEXTURE;
    st.colorArg2 = bitsAt(cw, 11, 6) ^ D3DTA_CURRENT;
    st.colorArg0 = bitsAt(cw, 17, 6) ^ D3DTA_CURRENT;
    st.resultToTemp = bitsAt(cw, 23, 1);
    st.texCoordSet = bitsAt(cw, 24, 3) ^ s;
    st.texCoordGeneration = bitsAt(cw, 27, 3) << 16;
    st.alphaOp = bitsAt(aw, 0, 5) ^ defaultAlphaOp(s);
    st.alphaArg1 = bitsAt(aw, 5, 6) ^ D3DTA_TEXTURE;
    st.alphaArg2 = bitsAt(aw, 11, 6) ^ D3DTA_CURRENT;
    st.alphaArg0 = bitsAt(aw, 17, 6) ^ D3DTA_CURRENT;
    st.transformCount = bitsAt(aw, 23, 3);
    st.projected = bitsAt(aw, 26, 1);
    if (!bitsAt(cw, 30, 1)) {
      // A stage reading a texture it does not have, through any argument: its colour side
      // turns the stage (and the rest of the cascade) off, its alpha side passes the alpha on.
      if (readsTexture(st.colorOp, st.colorArg0, st.colorArg1, st.colorArg2)) break;
      if (readsTexture(st.alphaOp, st.alphaArg0, st.alphaArg1, st.alphaArg2)) st.alphaOp = D3DTOP_DISABLE;
    }
    st.samplesTexture = readsTexture(st.colorOp, st.colorArg0, st.colorArg1, st.colorArg2) ||
                        readsTexture(st.alphaOp, st.alphaArg0, st.alphaArg1, st.alphaArg2) || previousPremodulates;
    previousPremodulates = st.colorOp == D3DTOP_PREMODULATE;
    d.stageCount = s + 1;
  }
  return d;
}

} // namespace d3d9
