// Enumeration and choice of device settings against machines described to the recording
// back end, and the description the choice leaves in the log.
#include <gtest/gtest.h>

#include "engine/core/Log.h"
#include "engine/device/DeviceDescription.h"
#include "engine/device/DeviceEnumeration.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"

namespace {

using namespace engine;

class Selection : public ::testing::Test {
protected:
  void TearDown() override {
    if (d3d_) {
      EXPECT_EQ(d3d_->Release(), 1u); // the enumeration still holds one
    }
  }

  // Enumerates the machine `setup` describes.
  bool enumerate(const d3d9::RecordingSetup& setup) {
    d3d_ = d3d9::createRecordingDirect3D(setup);
    return enumeration_.enumerate(d3d_);
  }

  static DeviceSettings request(bool windowed, std::uint32_t flags = 0) {
    DeviceSettings settings;
    settings.windowed = windowed ? 1 : 0;
    settings.flags = flags;
    return settings;
  }

  static d3d9::RecordingSetup machine() { return d3d9::defaultRecordingSetup(); }

  IDirect3D9* d3d_ = nullptr;
  DeviceEnumeration enumeration_;
};

TEST_F(Selection, EnumerationListsSortedModesAndTheCombosTheDeviceAccepts) {
  d3d9::RecordingSetup setup = machine();
  setup.capabilities.caps.DevCaps |= D3DDEVCAPS_PUREDEVICE;
  setup.capabilities.caps.PresentationIntervals |= D3DPRESENT_INTERVAL_TWO;
  ASSERT_TRUE(enumerate(setup));
  ASSERT_EQ(enumeration_.adapters().size(), 1u);
  const AdapterInfo& adapter = enumeration_.adapters()[0];

  // Width, height, format, refresh rate: the two formats of one size come together.
  ASSERT_EQ(adapter.modes.size(), 16u);
  EXPECT_EQ(adapter.modes[0].Format, D3DFMT_X8R8G8B8); // 22 before 23
  EXPECT_EQ(adapter.modes[0].RefreshRate, 60u);
  EXPECT_EQ(adapter.modes[1].RefreshRate, 75u);
  EXPECT_EQ(adapter.modes[2].Format, D3DFMT_R5G6B5);
  EXPECT_EQ(adapter.modes[15].Width, 1280u);

  ASSERT_EQ(adapter.devices.size(), 1u); // software and reference devices report no caps
  for (const DeviceCombo& combo : adapter.devices[0].combos) {
    // A window shares the desktop's format.
    if (combo.windowed) {
      EXPECT_EQ(combo.adapterFormat, D3DFMT_X8R8G8B8);
    }
    EXPECT_EQ(combo.vertexProcessingTypes, (std::vector<int>{kPureHardwareVertexProcessing, kHardwareVertexProcessing,
                                                             kMixedVertexProcessing, kSoftwareVertexProcessing}));
    const std::vector<UINT> windowed{D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_DEFAULT,
                                     D3DPRESENT_INTERVAL_ONE};
    const std::vector<UINT> fullscreen{D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_DEFAULT,
                                       D3DPRESENT_INTERVAL_ONE, D3DPRESENT_INTERVAL_TWO};
    EXPECT_EQ(combo.presentIntervals, combo.windowed ? windowed : fullscreen);
    EXPECT_EQ(combo.depthStencilFormats, (std::vector<D3DFORMAT>{D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32}));
    ASSERT_EQ(combo.multiSampleTypes.size(), 4u); // none, non-maskable, 2 and 4 samples
    EXPECT_EQ(combo.multiSampleTypes[1].maxQuality, 2u);
  }
}

TEST_F(Selection, AMachineWithoutUsableFormatsFailsToEnumerate) {
  d3d9::RecordingSetup setup = machine();
  setup.adapters[0].modes = {{1024, 768, 60, D3DFMT_R8G8B8}};
  EXPECT_FALSE(enumerate(setup));
  DeviceSettings settings = request(true);
  EXPECT_FALSE(enumeration_.choose(settings));
}

TEST_F(Selection, WindowedUseTakesTheDesktopAndTheDefaults) {
  ASSERT_TRUE(enumerate(machine()));
  DeviceSettings settings = request(true);
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.adapter, 0u);
  EXPECT_EQ(settings.deviceType, D3DDEVTYPE_HAL);
  EXPECT_EQ(settings.backBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(settings.depthStencilFormat, D3DFMT_D32);
  EXPECT_EQ(settings.width, 1024u);
  EXPECT_EQ(settings.height, 768u);
  EXPECT_EQ(settings.refreshRate, 60u);
  EXPECT_EQ(settings.displayFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(settings.multiSampleType, D3DMULTISAMPLE_NONE);
  EXPECT_EQ(settings.vertexProcessing, kHardwareVertexProcessing);
  EXPECT_EQ(settings.presentInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
  EXPECT_EQ(settings.caps.MaxTextureBlendStages, 8u);
}

TEST_F(Selection, ASixteenBitDesktopGivesASixteenBitWindowWithD16) {
  d3d9::RecordingSetup setup = machine();
  setup.adapters[0].desktop = {1024, 768, 60, D3DFMT_R5G6B5};
  ASSERT_TRUE(enumerate(setup));
  DeviceSettings settings = request(true);
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.backBufferFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(settings.depthStencilFormat, D3DFMT_D16);

  // Without D16 the first 16-bit depth format is taken; without one, the choice fails.
  setup.capabilities.depthFormats = {D3DFMT_D24S8, D3DFMT_D15S1};
  d3d_->Release();
  ASSERT_TRUE(enumerate(setup));
  settings = request(true);
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.depthStencilFormat, D3DFMT_D15S1);
  setup.capabilities.depthFormats = {D3DFMT_D24S8};
  d3d_->Release();
  ASSERT_TRUE(enumerate(setup));
  settings = request(true);
  EXPECT_FALSE(enumeration_.choose(settings));
}

TEST_F(Selection, FullScreenWithoutSizeFlagTakesExactlyTheDesktopMode) {
  ASSERT_TRUE(enumerate(machine()));
  DeviceSettings settings = request(false);
  settings.width = 640; // ignored without the size flag
  settings.height = 480;
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.width, 1024u);
  EXPECT_EQ(settings.height, 768u);
  EXPECT_EQ(settings.refreshRate, 60u); // the desktop's, although 75 Hz exists
  EXPECT_EQ(settings.backBufferFormat, D3DFMT_X8R8G8B8);
}

TEST_F(Selection, ADesktopFormatOutsideTheAllowedOnesFailsTheChoice) {
  d3d9::RecordingSetup setup = machine();
  setup.adapters[0].desktop = {1152, 864, 60, D3DFMT_R8G8B8};
  setup.adapters[0].modes.push_back({1152, 864, 60, D3DFMT_R8G8B8});
  ASSERT_TRUE(enumerate(setup));
  DeviceSettings windowed = request(true);
  EXPECT_FALSE(enumeration_.choose(windowed));
  DeviceSettings fullscreen = request(false);
  EXPECT_FALSE(enumeration_.choose(fullscreen));
  // A size of its own still works in full screen.
  fullscreen = request(false, kKeepSize);
  fullscreen.width = 800;
  fullscreen.height = 600;
  EXPECT_TRUE(enumeration_.choose(fullscreen));
}

TEST_F(Selection, RequestedSizeGetsItsHighestRefreshRateUnlessOneIsKept) {
  ASSERT_TRUE(enumerate(machine()));
  DeviceSettings settings = request(false, kKeepSize);
  settings.width = 800;
  settings.height = 600;
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.width, 800u);
  EXPECT_EQ(settings.height, 600u);
  EXPECT_EQ(settings.refreshRate, 75u);

  settings = request(false, kKeepSize | kKeepRefreshRate);
  settings.width = 800;
  settings.height = 600;
  settings.refreshRate = 60;
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.refreshRate, 60u);

  settings = request(false, kKeepSize);
  settings.width = 801;
  settings.height = 600;
  EXPECT_FALSE(enumeration_.choose(settings));
}

TEST_F(Selection, TheBackBufferDepthIsKeptWhenAsked) {
  ASSERT_TRUE(enumerate(machine()));
  // A 16-bit request on a machine whose 16-bit modes are R5G6B5 only.
  DeviceSettings settings = request(false, kKeepSize | kKeepBackBufferDepth);
  settings.width = 1024;
  settings.height = 768;
  settings.backBufferFormat = D3DFMT_X1R5G5B5;
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.backBufferFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(settings.displayFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(settings.depthStencilFormat, D3DFMT_D16);

  // An exact match wins over an earlier combo of the same depth.
  settings = request(false, kKeepSize | kKeepBackBufferDepth);
  settings.width = 1024;
  settings.height = 768;
  settings.backBufferFormat = D3DFMT_A8R8G8B8;
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.backBufferFormat, D3DFMT_A8R8G8B8);
  EXPECT_EQ(settings.depthStencilFormat, D3DFMT_D32);
}

TEST_F(Selection, KeptValuesFallBackUnlessTheChoiceIsStrict) {
  ASSERT_TRUE(enumerate(machine()));
  struct Case {
    std::uint32_t flag;
    void (*set)(DeviceSettings&);
    bool (*fellBack)(const DeviceSettings&);
  };
  const Case cases[] = {
      {kKeepDepthStencil, [](DeviceSettings& s) { s.depthStencilFormat = D3DFMT_D24X4S4; },
       [](const DeviceSettings& s) { return s.depthStencilFormat == D3DFMT_D32; }},
      {kKeepMultiSample, [](DeviceSettings& s) { s.multiSampleType = D3DMULTISAMPLE_8_SAMPLES; },
       [](const DeviceSettings& s) { return s.multiSampleType == D3DMULTISAMPLE_NONE; }},
      {kKeepVertexProcessing, [](DeviceSettings& s) { s.vertexProcessing = kPureHardwareVertexProcessing; },
       [](const DeviceSettings& s) { return s.vertexProcessing == kHardwareVertexProcessing; }},
      {kKeepPresentInterval, [](DeviceSettings& s) { s.presentInterval = D3DPRESENT_INTERVAL_TWO; },
       [](const DeviceSettings& s) { return s.presentInterval == D3DPRESENT_INTERVAL_IMMEDIATE; }},
  };
  for (const Case& c : cases) {
    DeviceSettings settings = request(false, c.flag);
    c.set(settings);
    ASSERT_TRUE(enumeration_.choose(settings)) << c.flag;
    EXPECT_TRUE(c.fellBack(settings)) << c.flag;
    settings = request(false, c.flag | kStrictChoice);
    c.set(settings);
    EXPECT_FALSE(enumeration_.choose(settings)) << c.flag;
  }
}

TEST_F(Selection, AvailableKeptValuesAreKept) {
  ASSERT_TRUE(enumerate(machine()));
  DeviceSettings settings = request(false, kKeepDepthStencil | kKeepMultiSample | kKeepVertexProcessing |
                                               kKeepPresentInterval | kStrictChoice);
  settings.depthStencilFormat = D3DFMT_D24S8;
  settings.multiSampleType = D3DMULTISAMPLE_2_SAMPLES;
  settings.vertexProcessing = kMixedVertexProcessing;
  settings.presentInterval = D3DPRESENT_INTERVAL_ONE;
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.depthStencilFormat, D3DFMT_D24S8);
  EXPECT_EQ(settings.multiSampleType, D3DMULTISAMPLE_2_SAMPLES);
  EXPECT_EQ(settings.vertexProcessing, kMixedVertexProcessing);
  EXPECT_EQ(settings.presentInterval, D3DPRESENT_INTERVAL_ONE);

  // A quality at the device's maximum is not available: two samples have one level.
  settings = request(false, kKeepMultiSample);
  settings.multiSampleType = D3DMULTISAMPLE_2_SAMPLES;
  settings.multiSampleQuality = 1;
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.multiSampleType, D3DMULTISAMPLE_NONE);
  EXPECT_EQ(settings.multiSampleQuality, 0u);
}

TEST_F(Selection, NoHardwareTransformMeansSoftwareVertexProcessing) {
  d3d9::RecordingSetup setup = machine();
  setup.capabilities.caps.DevCaps &= ~D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  ASSERT_TRUE(enumerate(setup));
  DeviceSettings settings = request(true);
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.vertexProcessing, kSoftwareVertexProcessing);
}

TEST_F(Selection, ADeviceThatAlwaysWaitsForTheRetraceGetsTheDefaultInterval) {
  d3d9::RecordingSetup setup = machine();
  setup.capabilities.caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE;
  ASSERT_TRUE(enumerate(setup));
  DeviceSettings settings = request(false);
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.presentInterval, D3DPRESENT_INTERVAL_DEFAULT);
}

TEST_F(Selection, TheAdapterFlagPicksTheRequestedAdapter) {
  d3d9::RecordingSetup setup = machine();
  setup.adapters.push_back(setup.adapters[0]);
  setup.adapters[1].modes.push_back({1600, 1200, 60, D3DFMT_X8R8G8B8});
  ASSERT_TRUE(enumerate(setup));
  DeviceSettings settings = request(false, kKeepAdapter | kKeepSize);
  settings.adapter = 1;
  settings.width = 1600;
  settings.height = 1200;
  ASSERT_TRUE(enumeration_.choose(settings));
  EXPECT_EQ(settings.adapter, 1u);
  // Without the flag the first adapter is walked first, and its modes lack the size.
  settings = request(false, kKeepSize);
  settings.width = 1600;
  settings.height = 1200;
  EXPECT_FALSE(enumeration_.choose(settings));
}

TEST(DeviceDescription, DescribeWritesTheFixedLines) {
  DeviceSettings settings;
  settings.windowed = 0;
  settings.width = 1024;
  settings.height = 768;
  settings.backBufferFormat = D3DFMT_X8R8G8B8;
  settings.depthStencilFormat = D3DFMT_D24S8;
  settings.presentInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  settings.vertexProcessing = kHardwareVertexProcessing;
  settings.multiSampleType = D3DMULTISAMPLE_2_SAMPLES;
  LogCapture log;
  describe(settings);
  EXPECT_EQ(log.lines(), (std::vector<std::string>{
                             "----------------------\n", "Fullscreen1024x768, X8R8G8B8, D24S8\n",
                             "Present Interval:D3DPRESENT_INTERVAL_IMMEDIATE\n", "Vertex Proccessing:HARDWARE_VP\n",
                             "MultiSample:D3DMULTISAMPLE_2_SAMPLES , Quality:0\n", "----------------------\n"}));
  settings.windowed = 1;
  EXPECT_EQ(describeText(settings).substr(23, 9), "Windowed1");
}

TEST(DeviceDescription, NamesCoverEveryValueAndSayWhenThereIsNone) {
  EXPECT_STREQ(formatName(D3DFMT_A8R8G8B8), "A8R8G8B8");
  EXPECT_STREQ(formatName(D3DFMT_D16_LOCKABLE), "D16_LOCKABLE");
  EXPECT_STREQ(formatName(D3DFMT_INDEX16), "INDEX16");
  EXPECT_STREQ(formatName(D3DFMT_DXT1), "DXT1");
  EXPECT_STREQ(formatName(D3DFMT_MULTI2_ARGB8), "MULTI2_ARGB8");
  EXPECT_STREQ(formatName(static_cast<D3DFORMAT>(12345)), "Unknown format");
  EXPECT_STREQ(deviceTypeName(D3DDEVTYPE_SW), "D3DDEVTYPE_SW");
  EXPECT_STREQ(deviceTypeName(D3DDEVTYPE_NULLREF), "Unknown devType");
  EXPECT_STREQ(multiSampleName(D3DMULTISAMPLE_NONMASKABLE), "D3DMULTISAMPLE_NONMASKABLE");
  EXPECT_STREQ(multiSampleName(D3DMULTISAMPLE_16_SAMPLES), "D3DMULTISAMPLE_16_SAMPLES");
  EXPECT_STREQ(multiSampleName(static_cast<D3DMULTISAMPLE_TYPE>(17)), "Unknown Multisample Type");
  EXPECT_STREQ(vertexProcessingName(kPureHardwareVertexProcessing), "PURE_HARDWARE_VP");
  EXPECT_STREQ(vertexProcessingName(4), "Unknown VertexProcessingType");
  EXPECT_STREQ(vertexProcessingName(-1), "Unknown VertexProcessingType");
  EXPECT_STREQ(presentIntervalName(D3DPRESENT_INTERVAL_FOUR), "D3DPRESENT_INTERVAL_FOUR");
  EXPECT_STREQ(presentIntervalName(16), "Unknown PresentInterval");
}

} // namespace
