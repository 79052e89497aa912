#include "platform/d3d9/gl/ShaderSource.h"

#include <string>

namespace d3d9 {
namespace {

std::string str(unsigned value) { return std::to_string(value); }

// The vertex's specular colour, read the same way wherever it is used (a stage argument,
// the specular add, the fog factor of pre-transformed vertices): a vertex without one has
// opaque black, which adds nothing and fogs nothing.
std::string specularInput(const DecodedKey& k) { return k.hasSpecular ? "aSpecular" : "vec4(0.0, 0.0, 0.0, 1.0)"; }

// --------------------------------------------------------------------------------------
// Vertex shader

const char* kVertexHeader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec4 aSpecular;
uniform mat4 uTransforms[3];
uniform vec4 uViewport[2];
uniform vec4 uMaterial[5];
uniform vec4 uLights[57];
uniform mat4 uTexMatrix[8];
uniform vec4 uFog[2];
)";

// The colour a material source picks: the material's own, or a vertex colour when the
// vertex has it and vertex colours are on.
std::string materialSource(const DecodedKey& k, DWORD source, int materialIndex) {
  if (k.colorVertex && source == D3DMCS_COLOR1 && k.hasDiffuse) return "aDiffuse";
  if (k.colorVertex && source == D3DMCS_COLOR2 && k.hasSpecular) return "aSpecular";
  return "uMaterial[" + std::to_string(materialIndex) + "]";
}

// Direct3D's per-vertex lighting in camera space, one unrolled block per active light.
std::string lightingCode(const DecodedKey& k) {
  std::string c;
  c += "  vec4 Cd = " + materialSource(k, k.diffuseSource, 0) + ";\n";
  c += "  vec4 Ca = " + materialSource(k, k.ambientSource, 1) + ";\n";
  c += "  vec4 Cs = " + materialSource(k, k.specularSource, 2) + ";\n";
  c += "  vec4 Ce = " + materialSource(k, k.emissiveSource, 3) + ";\n";
  c += "  vec3 ambientSum = uLights[56].rgb;\n  vec3 diffuseSum = vec3(0.0);\n  vec3 specularSum = vec3(0.0);\n";
  c += k.localViewer ? "  vec3 V = normalize(-P);\n" : "  vec3 V = vec3(0.0, 0.0, -1.0);\n";
  for (UINT i = 0; i < k.lightCount; ++i) {
    const D3DLIGHTTYPE kind = k.lightKinds[i];
    if (kind == 0) continue;
    auto at = [&](int offset) { return "uLights[" + std::to_string(i * kLightVectors + offset) + "]"; };
    c += "  {\n";
    if (kind == D3DLIGHT_DIRECTIONAL) {
      c += "    vec3 L = -" + at(4) + ".xyz;\n    float f = 1.0;\n    {\n";
    } else {
      c += "    vec3 toLight = " + at(3) + ".xyz - P;\n";
      c += "    float d = length(toLight);\n";
      // Beyond its range a light adds nothing at all, not even ambient.
      c += "    if (d <= " + at(3) + ".w) {\n";
      c += "    vec3 L = d > 0.0 ? toLight / d : vec3(0.0, 0.0, -1.0);\n";
      c += "    float att = " + at(5) + ".x + " + at(5) + ".y * d + " + at(5) + ".z * d * d;\n";
      // All-zero attenuation would divide by zero; such a light shines unattenuated.
      c += "    float f = att > 0.0 ? 1.0 / att : 1.0;\n";
      if (kind == D3DLIGHT_SPOT) {
        c += "    float rho = dot(-L, " + at(4) + ".xyz);\n";
        c += "    float cosTheta = " + at(6) + ".x;\n    float cosPhi = " + at(6) + ".y;\n";
        c += "    float spot = 1.0;\n";
        c += "    if (rho <= cosPhi) spot = 0.0;\n";
        c += "    else if (rho <= cosTheta) {\n";
        c += "      float t = (rho - cosPhi) / max(cosTheta - cosPhi, 1e-6);\n";
        c += "      spot = " + at(4) + ".w == 0.0 ? 1.0 : pow(t, " + at(4) + ".w);\n    }\n";
        c += "    f *= spot;\n";
      }
    }
    c += "    ambientSum += " + at(2) + ".rgb * f;\n";
    if (k.hasNormal) {
      c += "    float NdotL = dot(N, L);\n";
      c += "    diffuseSum += " + at(0) + ".rgb * max(NdotL, 0.0) * f;\n";
      if (k.specularEnable) {
        c += "    if (NdotL > 0.0) {\n";
        c += "      float NdotH = dot(N, normalize(L + V));\n";
        c += "      if (NdotH > 0.0) specularSum += " + at(1) + ".rgb * pow(NdotH, uMaterial[4].x) * f;\n";
        c += "    }\n";
      }
    }
    c += "    }\n  }\n";
  }
  c += "  vDiffuse = vec4(clamp(Ca.rgb * ambientSum + Cd.rgb * diffuseSum + Ce.rgb, 0.0, 1.0), Cd.a);\n";
  // Lighting makes the specular colour; its alpha stays the vertex's (the fog factor).
  c += k.specularEnable ? "  vSpecular = vec4(clamp(Cs.rgb * specularSum, 0.0, 1.0), " + specularInput(k) + ".a);\n"
                        : "  vSpecular = vec4(0.0, 0.0, 0.0, " + specularInput(k) + ".a);\n";
  return c;
}

// The input of a texture transform: the set padded with a 1 after its last component.
std::string paddedSet(UINT set, UINT size) {
  const std::string a = "aTex" + str(set);
  switch (size) {
  case 1:
    return "vec4(" + a + ".x, 1.0, 0.0, 0.0)";
  case 2:
    return "vec4(" + a + ".xy, 1.0, 0.0)";
  case 3:
    return "vec4(" + a + ".xyz, 1.0)";
  default:
    return a;
  }
}

std::string sampledSet(UINT set, UINT size) {
  const std::string a = "aTex" + str(set);
  switch (size) {
  case 1:
    return "vec4(" + a + ".x, 0.0, 0.0, 1.0)";
  case 2:
    return "vec4(" + a + ".xy, 0.0, 1.0)";
  case 3:
    return "vec4(" + a + ".xyz, 1.0)";
  default:
    return a;
  }
}

std::string texCoordCode(const DecodedKey& k, UINT s) {
  const StageKey& st = k.stages[s];
  const bool transformed = st.transformCount != 0;
  std::string source;
  switch (st.texCoordGeneration) {
  case D3DTSS_TCI_CAMERASPACENORMAL:
    source = "vec4(N, 1.0)";
    break;
  case D3DTSS_TCI_CAMERASPACEPOSITION:
    source = "vec4(P, 1.0)";
    break;
  case D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR:
    source = "vec4(reflectionVector(), 1.0)";
    break;
  case D3DTSS_TCI_SPHEREMAP:
    source = "sphereMap()";
    break;
  default:
    if (st.texCoordSet < k.texCount)
      source = transformed ? paddedSet(st.texCoordSet, k.texSize[st.texCoordSet])
                           : sampledSet(st.texCoordSet, k.texSize[st.texCoordSet]);
    else
      source = "vec4(0.0, 0.0, 0.0, 1.0)";
  }
  std::string c = "  {\n    vec4 t = " + source + ";\n";
  if (transformed) {
    c += "    t = uTexMatrix[" + str(s) + "] * t;\n";
    if (st.transformCount == 1) c += "    t = vec4(t.x, 0.0, 0.0, 1.0);\n";
  }
  c += "    vTex" + str(s) + " = t;\n  }\n";
  return c;
}

std::string fogFactor(DWORD mode, const std::string& distance) {
  switch (mode) {
  case D3DFOG_LINEAR:
    return "(uFog[1].y == uFog[1].x ? (" + distance + " < uFog[1].y ? 1.0 : 0.0) : clamp((uFog[1].y - " + distance +
           ") / (uFog[1].y - uFog[1].x), 0.0, 1.0))";
  case D3DFOG_EXP:
    return "exp(-" + distance + " * uFog[1].z)";
  case D3DFOG_EXP2:
    return "exp(-pow(" + distance + " * uFog[1].z, 2.0))";
  default:
    return "1.0";
  }
}

std::string vertexShader(const DecodedKey& k, bool clipControl) {
  const bool rhw = k.position == PositionKind::XyzRhw;
  const std::string flat = k.flatShading ? "flat " : "";
  std::string c = kVertexHeader;
  for (UINT set = 0; set < k.texCount; ++set)
    c += "layout(location = " + str(4 + set) + ") in vec4 aTex" + str(set) + ";\n";
  c += flat + "out vec4 vDiffuse;\n" + flat + "out vec4 vSpecular;\nout float vFog;\nout float vFogDepth;\n";
  for (UINT s = 0; s < k.stageCount; ++s)
    if (k.stages[s].samplesTexture) c += "out vec4 vTex" + str(s) + ";\n";
  c += "vec3 P;\nvec3 N;\n";
  c += "vec3 reflectionVector() {\n  vec3 I = normalize(P);\n  return I - 2.0 * dot(N, I) * N;\n}\n";
  // The classic sphere map, written for Direct3D's camera space where z points away from
  // the eye: a surface facing the viewer reflects straight back (R.z = -1) and maps to the
  // centre. (OpenGL's formula uses R.z + 1 because its eye looks down -z.)
  c += "vec4 sphereMap() {\n  vec3 R = reflectionVector();\n"
       "  float m = 2.0 * sqrt(R.x * R.x + R.y * R.y + (1.0 - R.z) * (1.0 - R.z));\n"
       "  return m > 0.0 ? vec4(R.x / m + 0.5, R.y / m + 0.5, 0.0, 1.0) : vec4(0.5, 0.5, 0.0, 1.0);\n}\n";
  c += "void main() {\n  vec4 clip;\n";
  if (rhw) {
    // Pre-transformed: x and y are render-target pixels whose centres sit on integers.
    c += "  float w = aPosition.w > 0.0 ? 1.0 / aPosition.w : 1.0;\n"
         "  vec2 ndc = vec2(2.0 * (aPosition.x + 0.5 - uViewport[1].x) / uViewport[1].z - 1.0,\n"
         "                  1.0 - 2.0 * (aPosition.y + 0.5 - uViewport[1].y) / uViewport[1].w);\n"
         "  float depthSpan = uViewport[0].w - uViewport[0].z;\n"
         "  float z = depthSpan > 0.0 ? (aPosition.z - uViewport[0].z) / depthSpan : 0.0;\n"
         "  clip = vec4(ndc * w, z * w, w);\n  P = vec3(0.0);\n  N = vec3(0.0);\n";
  } else {
    c += "  vec4 eye = uTransforms[0] * vec4(aPosition.xyz, 1.0);\n  P = eye.xyz;\n";
    c += k.hasNormal ? "  N = mat3(uTransforms[2]) * aNormal;\n" : "  N = vec3(0.0);\n";
    if (k.hasNormal && k.normalizeNormals) c += "  N = length(N) > 0.0 ? normalize(N) : N;\n";
    c += "  clip = uTransforms[1] * eye;\n";
    // Direct3D samples pixel centres at integer coordinates: shift by half a pixel.
    c += "  clip.x += clip.w * uViewport[0].x;\n  clip.y -= clip.w * uViewport[0].y;\n";
  }
  if (k.lighting && !rhw) {
    c += lightingCode(k);
  } else {
    c += k.hasDiffuse ? "  vDiffuse = aDiffuse;\n" : "  vDiffuse = vec4(1.0);\n";
    c += "  vSpecular = " + specularInput(k) + ";\n";
  }
  // Fog: the factor per vertex, or the depth table fog reads per pixel.
  const std::string specularAlpha = specularInput(k) + ".a";
  if (k.fog && k.fogTableMode == D3DFOG_NONE && k.fogVertexMode != D3DFOG_NONE && !rhw) {
    c += std::string("  float fogDistance = ") + (k.rangeFog ? "length(P)" : "P.z") + ";\n";
    c += "  vFog = " + fogFactor(k.fogVertexMode, "fogDistance") + ";\n";
  } else {
    c += "  vFog = " + specularAlpha + ";\n";
  }
  c += "  vFogDepth = clip.w;\n";
  for (UINT s = 0; s < k.stageCount; ++s)
    if (k.stages[s].samplesTexture) c += texCoordCode(k, s);
  if (clipControl) {
    c += "  gl_Position = clip;\n";
  } else {
    // Without glClipControl: flip y for the top-down render target and map z to -w..w.
    c += "  gl_Position = vec4(clip.x, -clip.y, 2.0 * clip.z - clip.w, clip.w);\n";
  }
  c += "}\n";
  return c;
}

// --------------------------------------------------------------------------------------
// Fragment shader

std::string argument(DWORD arg, UINT stage) {
  std::string base;
  switch (arg & D3DTA_SELECTMASK) {
  case D3DTA_DIFFUSE:
    base = "vDiffuse";
    break;
  case D3DTA_CURRENT:
    base = "current";
    break;
  case D3DTA_TEXTURE:
    base = "tex" + str(stage);
    break;
  case D3DTA_TFACTOR:
    base = "uPixel[0]";
    break;
  case D3DTA_SPECULAR:
    base = "vSpecular";
    break;
  case D3DTA_TEMP:
    base = "temp";
    break;
  case D3DTA_CONSTANT:
    base = "uPixel[" + str(2 + stage) + "]";
    break;
  default:
    base = "current";
    break;
  }
  if (arg & D3DTA_ALPHAREPLICATE) base = "vec4(" + base + ".a)";
  if (arg & D3DTA_COMPLEMENT) base = "(vec4(1.0) - " + base + ")";
  return base;
}

// The result of a texture operation on the arguments, for the colour (`sw` = ".rgb") or the
// alpha (`sw` = ".a") side; a1Full and a2Full are the whole four-channel arguments.
std::string operation(DWORD op, const std::string& a0, const std::string& a1, const std::string& a2,
                      const std::string& sw, UINT stage, const std::string& a1Full, const std::string& a2Full) {
  const std::string A0 = a0 + sw, A1 = a1 + sw, A2 = a2 + sw;
  auto blend = [&](const std::string& alpha) { return A1 + " * " + alpha + " + " + A2 + " * (1.0 - " + alpha + ")"; };
  switch (op) {
  case D3DTOP_SELECTARG1:
    return A1;
  case D3DTOP_SELECTARG2:
    return A2;
  case D3DTOP_MODULATE:
    return A1 + " * " + A2;
  case D3DTOP_MODULATE2X:
    return "2.0 * " + A1 + " * " + A2;
  case D3DTOP_MODULATE4X:
    return "4.0 * " + A1 + " * " + A2;
  case D3DTOP_ADD:
    return A1 + " + " + A2;
  case D3DTOP_ADDSIGNED:
    return A1 + " + " + A2 + " - 0.5";
  case D3DTOP_ADDSIGNED2X:
    return "2.0 * (" + A1 + " + " + A2 + " - 0.5)";
  case D3DTOP_SUBTRACT:
    return A1 + " - " + A2;
  case D3DTOP_ADDSMOOTH:
    return A1 + " + " + A2 + " * (1.0 - " + A1 + ")";
  case D3DTOP_BLENDDIFFUSEALPHA:
    return blend("vDiffuse.a");
  case D3DTOP_BLENDTEXTUREALPHA:
    return blend("tex" + str(stage) + ".a");
  case D3DTOP_BLENDFACTORALPHA:
    return blend("uPixel[0].a");
  case D3DTOP_BLENDCURRENTALPHA:
    return blend("current.a");
  case D3DTOP_BLENDTEXTUREALPHAPM:
    return A1 + " + " + A2 + " * (1.0 - tex" + str(stage) + ".a)";
  case D3DTOP_PREMODULATE:
    return A1;
  // The next four are colour operations; as alpha operations they select argument 1.
  case D3DTOP_MODULATEALPHA_ADDCOLOR:
    return sw == ".a" ? A1 : A1 + " + " + a1Full + ".a * " + A2;
  case D3DTOP_MODULATECOLOR_ADDALPHA:
    return sw == ".a" ? A1 : A1 + " * " + A2 + " + " + a1Full + ".a";
  case D3DTOP_MODULATEINVALPHA_ADDCOLOR:
    return sw == ".a" ? A1 : A1 + " + (1.0 - " + a1Full + ".a) * " + A2;
  case D3DTOP_MODULATEINVCOLOR_ADDALPHA:
    return sw == ".a" ? A1 : "(vec3(1.0) - " + A1 + ") * " + A2 + " + " + a1Full + ".a";
  case D3DTOP_DOTPRODUCT3: {
    const std::string d = "4.0 * dot(" + a1Full + ".rgb - 0.5, " + a2Full + ".rgb - 0.5)";
    return sw == ".a" ? d : "vec3(" + d + ")";
  }
  case D3DTOP_MULTIPLYADD:
    return A0 + " + " + A1 + " * " + A2;
  case D3DTOP_LERP:
    return A0 + " * " + A1 + " + (1.0 - " + A0 + ") * " + A2;
  default:
    return "current" + sw; // bump mapping is not offered: the stage passes its input on
  }
}

std::string alphaTest(DWORD func) {
  const std::string a = "floor(color.a * 255.0 + 0.5)", r = "uPixel[1].x";
  switch (func) {
  case D3DCMP_NEVER:
    return "  discard;\n";
  case D3DCMP_LESS:
    return "  if (!(" + a + " < " + r + ")) discard;\n";
  case D3DCMP_EQUAL:
    return "  if (!(" + a + " == " + r + ")) discard;\n";
  case D3DCMP_LESSEQUAL:
    return "  if (!(" + a + " <= " + r + ")) discard;\n";
  case D3DCMP_GREATER:
    return "  if (!(" + a + " > " + r + ")) discard;\n";
  case D3DCMP_NOTEQUAL:
    return "  if (!(" + a + " != " + r + ")) discard;\n";
  case D3DCMP_GREATEREQUAL:
    return "  if (!(" + a + " >= " + r + ")) discard;\n";
  default:
    return "";
  }
}

std::string stageCode(const DecodedKey& k, UINT s) {
  const StageKey& st = k.stages[s];
  std::string c = "  {\n";
  if (st.samplesTexture) {
    const std::string coord = st.projected
                                  ? "vTex" + str(s) + ".xy / vTex" + str(s) + "[" + str(st.transformCount - 1) + "]"
                                  : "vTex" + str(s) + ".xy";
    c += "    vec4 tex" + str(s) + " = texture(uTexture" + str(s) + ", " + coord + ");\n";
    if (s > 0 && k.stages[s - 1].colorOp == D3DTOP_PREMODULATE) c += "    current *= tex" + str(s) + ";\n";
  }
  const std::string c0 = argument(st.colorArg0, s), c1 = argument(st.colorArg1, s), c2 = argument(st.colorArg2, s);
  const std::string a0 = argument(st.alphaArg0, s), a1 = argument(st.alphaArg1, s), a2 = argument(st.alphaArg2, s);
  c += "    vec3 rgb = clamp(" + operation(st.colorOp, c0, c1, c2, ".rgb", s, c1, c2) + ", 0.0, 1.0);\n";
  if (st.colorOp == D3DTOP_DOTPRODUCT3) {
    c += "    float alpha = rgb.r;\n"; // the dot product goes to all four channels
  } else if (st.alphaOp == D3DTOP_DISABLE) {
    c += "    float alpha = current.a;\n";
  } else {
    c += "    float alpha = clamp(" + operation(st.alphaOp, a0, a1, a2, ".a", s, a1, a2) + ", 0.0, 1.0);\n";
  }
  c += std::string("    ") + (st.resultToTemp ? "temp" : "current") + " = vec4(rgb, alpha);\n  }\n";
  return c;
}

std::string fragmentShader(const DecodedKey& k) {
  const std::string flat = k.flatShading ? "flat " : "";
  std::string c = "#version 330 core\n";
  c += flat + "in vec4 vDiffuse;\n" + flat + "in vec4 vSpecular;\nin float vFog;\nin float vFogDepth;\n";
  c += "uniform vec4 uFog[2];\nuniform vec4 uPixel[10];\n";
  for (UINT s = 0; s < k.stageCount; ++s) {
    if (!k.stages[s].samplesTexture) continue;
    c += "in vec4 vTex" + str(s) + ";\nuniform sampler2D uTexture" + str(s) + ";\n";
  }
  c += "out vec4 fragColor;\nvoid main() {\n  vec4 current = vDiffuse;\n  vec4 temp = vec4(0.0);\n";
  for (UINT s = 0; s < k.stageCount; ++s)
    c += stageCode(k, s);
  c += "  vec4 color = current;\n";
  if (k.specularEnable) c += "  color.rgb = clamp(color.rgb + vSpecular.rgb, 0.0, 1.0);\n";
  if (k.fog) {
    if (k.fogTableMode != D3DFOG_NONE) {
      c += "  float fogDepth = uFog[1].w > 0.5 ? vFogDepth : gl_FragCoord.z;\n";
      c += "  float fog = " + fogFactor(k.fogTableMode, "fogDepth") + ";\n";
    } else {
      c += "  float fog = clamp(vFog, 0.0, 1.0);\n";
    }
    c += "  color.rgb = mix(uFog[0].rgb, color.rgb, fog);\n";
  }
  if (k.alphaTest) c += alphaTest(k.alphaFunc);
  c += "  fragColor = color;\n}\n";
  return c;
}

} // namespace

ShaderSource generateFixedFunctionProgram(const FixedFunctionKey& key, bool clipControl) {
  const DecodedKey decoded = decodeFixedFunctionKey(key);
  return {vertexShader(decoded, clipControl), fragmentShader(decoded)};
}

} // namespace d3d9
