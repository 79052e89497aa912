#include "engine/device/DeviceDescription.h"

#include <sstream>

#include "engine/core/Log.h"

namespace engine {
namespace {

constexpr const char* kRule = "----------------------\n";

struct FormatEntry {
  D3DFORMAT format;
  const char* name;
};

constexpr FormatEntry kFormatNames[] = {
    {D3DFMT_UNKNOWN, "UNKNOWN"},
    {D3DFMT_R8G8B8, "R8G8B8"},
    {D3DFMT_A8R8G8B8, "A8R8G8B8"},
    {D3DFMT_X8R8G8B8, "X8R8G8B8"},
    {D3DFMT_R5G6B5, "R5G6B5"},
    {D3DFMT_X1R5G5B5, "X1R5G5B5"},
    {D3DFMT_A1R5G5B5, "A1R5G5B5"},
    {D3DFMT_A4R4G4B4, "A4R4G4B4"},
    {D3DFMT_R3G3B2, "R3G3B2"},
    {D3DFMT_A8, "A8"},
    {D3DFMT_A8R3G3B2, "A8R3G3B2"},
    {D3DFMT_X4R4G4B4, "X4R4G4B4"},
    {D3DFMT_A2B10G10R10, "A2B10G10R10"},
    {D3DFMT_A8B8G8R8, "A8B8G8R8"},
    {D3DFMT_X8B8G8R8, "X8B8G8R8"},
    {D3DFMT_G16R16, "G16R16"},
    {D3DFMT_A2R10G10B10, "A2R10G10B10"},
    {D3DFMT_A16B16G16R16, "A16B16G16R16"},
    {D3DFMT_A8P8, "A8P8"},
    {D3DFMT_P8, "P8"},
    {D3DFMT_L8, "L8"},
    {D3DFMT_A8L8, "A8L8"},
    {D3DFMT_A4L4, "A4L4"},
    {D3DFMT_V8U8, "V8U8"},
    {D3DFMT_L6V5U5, "L6V5U5"},
    {D3DFMT_X8L8V8U8, "X8L8V8U8"},
    {D3DFMT_Q8W8V8U8, "Q8W8V8U8"},
    {D3DFMT_V16U16, "V16U16"},
    {D3DFMT_A2W10V10U10, "A2W10V10U10"},
    {D3DFMT_UYVY, "UYVY"},
    {D3DFMT_R8G8_B8G8, "R8G8_B8G8"},
    {D3DFMT_YUY2, "YUY2"},
    {D3DFMT_G8R8_G8B8, "G8R8_G8B8"},
    {D3DFMT_DXT1, "DXT1"},
    {D3DFMT_DXT2, "DXT2"},
    {D3DFMT_DXT3, "DXT3"},
    {D3DFMT_DXT4, "DXT4"},
    {D3DFMT_DXT5, "DXT5"},
    {D3DFMT_D16_LOCKABLE, "D16_LOCKABLE"},
    {D3DFMT_D32, "D32"},
    {D3DFMT_D15S1, "D15S1"},
    {D3DFMT_D24S8, "D24S8"},
    {D3DFMT_D24X8, "D24X8"},
    {D3DFMT_D24X4S4, "D24X4S4"},
    {D3DFMT_D16, "D16"},
    {D3DFMT_D32F_LOCKABLE, "D32F_LOCKABLE"},
    {D3DFMT_D24FS8, "D24FS8"},
    {D3DFMT_D32_LOCKABLE, "D32_LOCKABLE"},
    {D3DFMT_S8_LOCKABLE, "S8_LOCKABLE"},
    {D3DFMT_L16, "L16"},
    {D3DFMT_VERTEXDATA, "VERTEXDATA"},
    {D3DFMT_INDEX16, "INDEX16"},
    {D3DFMT_INDEX32, "INDEX32"},
    {D3DFMT_Q16W16V16U16, "Q16W16V16U16"},
    {D3DFMT_MULTI2_ARGB8, "MULTI2_ARGB8"},
    {D3DFMT_R16F, "R16F"},
    {D3DFMT_G16R16F, "G16R16F"},
    {D3DFMT_A16B16G16R16F, "A16B16G16R16F"},
    {D3DFMT_R32F, "R32F"},
    {D3DFMT_G32R32F, "G32R32F"},
    {D3DFMT_A32B32G32R32F, "A32B32G32R32F"},
    {D3DFMT_CxV8U8, "CxV8U8"},
    {D3DFMT_A1, "A1"},
    {D3DFMT_A2B10G10R10_XR_BIAS, "A2B10G10R10_XR_BIAS"},
    {D3DFMT_BINARYBUFFER, "BINARYBUFFER"},
};

constexpr const char* kMultiSampleNames[] = {
    "D3DMULTISAMPLE_NONE",       "D3DMULTISAMPLE_NONMASKABLE", "D3DMULTISAMPLE_2_SAMPLES",  "D3DMULTISAMPLE_3_SAMPLES",
    "D3DMULTISAMPLE_4_SAMPLES",  "D3DMULTISAMPLE_5_SAMPLES",   "D3DMULTISAMPLE_6_SAMPLES",  "D3DMULTISAMPLE_7_SAMPLES",
    "D3DMULTISAMPLE_8_SAMPLES",  "D3DMULTISAMPLE_9_SAMPLES",   "D3DMULTISAMPLE_10_SAMPLES", "D3DMULTISAMPLE_11_SAMPLES",
    "D3DMULTISAMPLE_12_SAMPLES", "D3DMULTISAMPLE_13_SAMPLES",  "D3DMULTISAMPLE_14_SAMPLES", "D3DMULTISAMPLE_15_SAMPLES",
    "D3DMULTISAMPLE_16_SAMPLES"};

constexpr const char* kVertexProcessingNames[] = {"SOFTWARE_VP", "MIXED_VP", "HARDWARE_VP", "PURE_HARDWARE_VP"};

} // namespace

const char* formatName(D3DFORMAT format) {
  for (const FormatEntry& entry : kFormatNames)
    if (entry.format == format) return entry.name;
  return "Unknown format";
}

const char* deviceTypeName(D3DDEVTYPE type) {
  switch (type) {
  case D3DDEVTYPE_HAL:
    return "D3DDEVTYPE_HAL";
  case D3DDEVTYPE_REF:
    return "D3DDEVTYPE_REF";
  case D3DDEVTYPE_SW:
    return "D3DDEVTYPE_SW";
  default:
    return "Unknown devType";
  }
}

const char* multiSampleName(D3DMULTISAMPLE_TYPE type) {
  return type <= D3DMULTISAMPLE_16_SAMPLES ? kMultiSampleNames[type] : "Unknown Multisample Type";
}

const char* vertexProcessingName(int type) {
  return type >= kSoftwareVertexProcessing && type <= kPureHardwareVertexProcessing ? kVertexProcessingNames[type]
                                                                                    : "Unknown VertexProcessingType";
}

const char* presentIntervalName(UINT interval) {
  switch (interval) {
  case D3DPRESENT_INTERVAL_IMMEDIATE:
    return "D3DPRESENT_INTERVAL_IMMEDIATE";
  case D3DPRESENT_INTERVAL_DEFAULT:
    return "D3DPRESENT_INTERVAL_DEFAULT";
  case D3DPRESENT_INTERVAL_ONE:
    return "D3DPRESENT_INTERVAL_ONE";
  case D3DPRESENT_INTERVAL_TWO:
    return "D3DPRESENT_INTERVAL_TWO";
  case D3DPRESENT_INTERVAL_THREE:
    return "D3DPRESENT_INTERVAL_THREE";
  case D3DPRESENT_INTERVAL_FOUR:
    return "D3DPRESENT_INTERVAL_FOUR";
  default:
    return "Unknown PresentInterval";
  }
}

std::string describeText(const DeviceSettings& settings) {
  // The items follow each other without separators up to each "\n", as the log has always
  // shown them ("Fullscreen1024x768, X8R8G8B8, D24S8").
  std::ostringstream text;
  text << kRule;
  text << (settings.windowed ? "Windowed" : "Fullscreen") << settings.width << "x" << settings.height << ", "
       << formatName(settings.backBufferFormat) << ", " << formatName(settings.depthStencilFormat) << "\n";
  text << "Present Interval:" << presentIntervalName(settings.presentInterval) << "\n";
  text << "Vertex Proccessing:" << vertexProcessingName(settings.vertexProcessing) << "\n";
  text << "MultiSample:" << multiSampleName(settings.multiSampleType) << " , Quality:" << settings.multiSampleQuality
       << "\n";
  text << kRule;
  return text.str();
}

void describe(const DeviceSettings& settings) {
  const std::string text = describeText(settings);
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    logLine(std::string_view(text).substr(start, end - start + 1));
    start = end + 1;
  }
}

} // namespace engine
