// The settings dialog as the configure run shows it, through the headless dialog host and
// the recording Direct3D object: the mode list, the controls and their enabling, the About
// box, and what OK, Cancel and Restore Defaults leave in the registry.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "clockroom/ClockApplication.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/dialogs/HeadlessDialogHost.h"
#include "platform/dialogs/commctrl.h"
#include "shell/DialogTemplates.h"
#include "tests/shell/RegistryFixture.h"

namespace {

using dialogs::Dialog;
using saver::RunMode;
using shelltest::kHeader;

D3DDISPLAYMODE mode(UINT width, UINT height, UINT refresh, D3DFORMAT format = D3DFMT_X8R8G8B8) {
  return D3DDISPLAYMODE{width, height, refresh, format};
}

class SettingsDialog : public shelltest::PrivateRegistry {
protected:
  void SetUp() override {
    PrivateRegistry::SetUp();
    dialogs::setDialogHost(&host_);
    setup_ = d3d9::defaultRecordingSetup();
    adapter().desktop = mode(1024, 768, 60);
    adapter().modes = {mode(320, 240, 60),  mode(640, 480, 60),  mode(800, 600, 60),  mode(800, 600, 75),
                       mode(1024, 768, 60), mode(1024, 768, 75), mode(1280, 1024, 60)};
  }
  void TearDown() override {
    dialogs::setDialogHost(nullptr);
    PrivateRegistry::TearDown();
  }

  d3d9::AdapterDescription& adapter(std::size_t index = 0) { return setup_.adapters[index]; }

  // A configure run with `script` as the person in front of the settings dialog.
  saver::ClockApplication& configure(dialogs::HeadlessDialogHost::Script script) {
    host_.onDialog(saver::kSettingsDialog, std::move(script));
    app_ = std::make_unique<saver::ClockApplication>();
    if (direct3D_)
      app_->setDirect3DFactory([setup = setup_] { return d3d9::createRecordingDirect3D(setup); });
    else
      app_->setDirect3DFactory([] { return static_cast<IDirect3D9*>(nullptr); });
    EXPECT_TRUE(app_->startUp(nullptr, RunMode::Configure, nullptr));
    return *app_;
  }

  static std::vector<std::string> entries(Dialog& d) {
    std::vector<std::string> out;
    for (const dialogs::ComboItem& item : d.control(saver::kModeList)->items)
      out.push_back(item.text);
    return out;
  }
  static std::string selected(Dialog& d) {
    const dialogs::Control& list = *d.control(saver::kModeList);
    return list.selection < 0 ? "" : list.items[static_cast<std::size_t>(list.selection)].text;
  }
  static std::string text(Dialog& d, int id) { return d.control(id)->text; }
  static bool checked(Dialog& d, int id) { return d.control(id)->check == BST_CHECKED; }
  static bool enabled(Dialog& d, int id) { return d.control(id)->enabled; }

  dialogs::HeadlessDialogHost host_;
  d3d9::RecordingSetup setup_;
  bool direct3D_ = true;
  std::unique_ptr<saver::ClockApplication> app_;
};

TEST_F(SettingsDialog, TheModeListHasOneEntryPerSizeAndDepthOfEveryAdapter) {
  adapter().modes.push_back(mode(800, 600, 60, D3DFMT_R5G6B5));
  adapter().modes.push_back(mode(800, 600, 85, D3DFMT_R5G6B5));
  setup_.adapters.push_back(adapter());
  adapter(1).modes = {mode(800, 600, 60), mode(1600, 1200, 60)};
  std::vector<std::string> listed;
  configure([&](Dialog& d) {
    listed = entries(d);
    d.click(IDCANCEL);
  });
  EXPECT_EQ(listed, (std::vector<std::string>{"640x480x32bit", "800x600x32bit", "800x600x16bit", "1024x768x32bit",
                                              "1280x1024x32bit", "1600x1200x32bit"}));
}

TEST_F(SettingsDialog, TheExactModeWinsOverAnEarlierDesktopMatchAndOkStoresIt) {
  writeRegistry(std::string(kHeader) + "\"UseDesktop\"=dword:00000000\n\"Width\"=dword:00000500\n"
                                       "\"Height\"=dword:00000400\n\"Adapter\"=dword:00000000\n");
  adapter().desktop = mode(800, 600, 60);
  std::string chosen;
  saver::ClockApplication& app = configure([&](Dialog& d) {
    chosen = selected(d);
    EXPECT_TRUE(enabled(d, saver::kModeList));
    d.selectItem(saver::kModeList, 2); // 1024x768x32bit
    d.click(IDOK);
  });
  EXPECT_EQ(chosen, "1280x1024x32bit");
  saver::Settings stored;
  stored.adapter = 5;
  ASSERT_TRUE(saver::readSettings(stored));
  EXPECT_EQ(stored.width, 1024);
  EXPECT_EQ(stored.height, 768);
  EXPECT_EQ(stored.depth, 32);
  EXPECT_EQ(stored.adapter, 0);
  EXPECT_EQ(app.settings().width, 1024);
}

TEST_F(SettingsDialog, WithoutAnExactOrDesktopMatch800x600x16IsChosenAndElseNothing) {
  writeRegistry(std::string(kHeader) + "\"Width\"=dword:00000640\n\"Height\"=dword:000004b0\n");
  adapter().desktop = mode(1920, 1080, 60);
  adapter().modes.push_back(mode(800, 600, 60, D3DFMT_X1R5G5B5));
  std::string chosen = "unset";
  configure([&](Dialog& d) {
    chosen = selected(d);
    d.click(IDCANCEL);
  });
  EXPECT_EQ(chosen, "800x600x16bit");

  // No 16-bit mode: nothing is selected, and OK keeps the stored mode.
  adapter().modes.pop_back();
  saver::ClockApplication& app = configure([&](Dialog& d) {
    chosen = selected(d);
    d.click(IDOK);
  });
  EXPECT_EQ(chosen, "");
  EXPECT_EQ(app.settings().width, 1600);
  EXPECT_EQ(app.settings().height, 1200);
  EXPECT_NE(readRegistry().find("\"Width\"=dword:00000640\n\"Height\"=dword:000004b0\n"), std::string::npos);
}

TEST_F(SettingsDialog, RestoreDefaultsShowsTheDefaultsAndCancelThenWritesNothing) {
  const std::string stored = std::string(kHeader) +
                             "\"PhotoPath\"=\"/home/me/cat.jpg\"\n\"UseDesktop\"=dword:00000000\n"
                             "\"Gamma\"=dword:ffffffce\n\"Volume\"=dword:00000005\n\"Music\"=dword:00000000\n"
                             "\"ExitOnMM\"=dword:00000000\n\"ShowTime\"=dword:00000000\n\"TimeStyle\"=dword:00000001\n";
  writeRegistry(stored);
  saver::ClockApplication& app = configure([&](Dialog& d) {
    EXPECT_EQ(text(d, saver::kGammaValueLabel), "50%");
    SetWindowPos(d.handle(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    d.click(saver::kRestoreDefaultsButton);
    EXPECT_EQ(d.control(saver::kVolumeSlider)->position, 80);
    EXPECT_EQ(d.control(saver::kGammaSlider)->position, 0);
    EXPECT_EQ(text(d, saver::kGammaValueLabel), "100%");
    EXPECT_TRUE(checked(d, saver::kMusicCheck));
    EXPECT_TRUE(checked(d, saver::kExitOnMouseMoveCheck)); // restored as 1, unlike a fresh start
    EXPECT_TRUE(checked(d, saver::kShowTimeCheck));
    EXPECT_TRUE(checked(d, saver::kTwelveHourRadio));
    EXPECT_FALSE(checked(d, saver::kTwentyFourHourRadio));
    EXPECT_TRUE(checked(d, saver::kUseDesktopCheck));
    EXPECT_EQ(text(d, saver::kPhotoPathEdit), "/home/me/cat.jpg");
    // The dialog stays where it was.
    EXPECT_EQ(d.windowRect().left, 10);
    EXPECT_EQ(d.windowRect().top, 20);
    d.click(IDCANCEL);
  });
  EXPECT_EQ(readRegistry(), stored);
  EXPECT_TRUE(app.settings().exitOnMouseMove); // in memory only
}

TEST_F(SettingsDialog, TheGammaLabelShowsGammaPlus100) {
  writeRegistry(std::string(kHeader) + "\"Gamma\"=dword:ffffff9c\n"); // -100
  saver::ClockApplication& app = configure([&](Dialog& d) {
    const dialogs::Control& slider = *d.control(saver::kGammaSlider);
    EXPECT_EQ(slider.rangeMin, -100);
    EXPECT_EQ(slider.rangeMax, 100);
    EXPECT_EQ(slider.position, -100);
    EXPECT_EQ(text(d, saver::kGammaValueLabel), "0%");
    d.moveTrackbar(saver::kGammaSlider, 100);
    EXPECT_EQ(text(d, saver::kGammaValueLabel), "200%");
    d.moveTrackbar(saver::kGammaSlider, 0);
    EXPECT_EQ(text(d, saver::kGammaValueLabel), "100%");
    d.moveTrackbar(saver::kGammaSlider, -37);
    d.moveTrackbar(saver::kVolumeSlider, 300); // the slider keeps to 0...100
    d.click(IDCANCEL);
  });
  EXPECT_EQ(app.settings().gamma, -37);
  EXPECT_EQ(app.settings().volume, 100);
}

TEST_F(SettingsDialog, ControlsAreEnabledOnlyWhereTheyMatter) {
  writeRegistry(std::string(kHeader) + "\"Music\"=dword:00000000\n\"Sound\"=dword:00000000\n"
                                       "\"ShowTime\"=dword:00000000\n");
  configure([&](Dialog& d) {
    EXPECT_FALSE(enabled(d, saver::kModeList));
    EXPECT_FALSE(enabled(d, saver::kTwelveHourRadio));
    EXPECT_FALSE(enabled(d, saver::kTwentyFourHourRadio));
    EXPECT_FALSE(enabled(d, saver::kVolumeSlider));
    EXPECT_FALSE(enabled(d, saver::kVolumeLabel));
    EXPECT_FALSE(d.click(saver::kTwentyFourHourRadio));

    d.click(saver::kUseDesktopCheck);
    EXPECT_TRUE(enabled(d, saver::kModeList));
    d.click(saver::kShowTimeCheck);
    EXPECT_TRUE(enabled(d, saver::kTwelveHourRadio));
    EXPECT_TRUE(enabled(d, saver::kTwentyFourHourRadio));
    d.click(saver::kSoundCheck);
    EXPECT_TRUE(enabled(d, saver::kVolumeSlider));
    EXPECT_TRUE(enabled(d, saver::kVolumeLabel));
    d.click(saver::kMusicCheck);
    d.click(saver::kSoundCheck);
    EXPECT_TRUE(enabled(d, saver::kVolumeSlider)); // music alone keeps it
    d.click(saver::kMusicCheck);
    EXPECT_FALSE(enabled(d, saver::kVolumeSlider));
    d.click(saver::kUseDesktopCheck);
    EXPECT_FALSE(enabled(d, saver::kModeList));
    d.click(IDCANCEL);
  });
}

TEST_F(SettingsDialog, OkWritesEveryValueTheDialogChanged) {
  saver::ClockApplication& app = configure([&](Dialog& d) {
    d.moveTrackbar(saver::kVolumeSlider, 35);
    d.moveTrackbar(saver::kGammaSlider, 20);
    d.click(saver::kMusicCheck);
    d.click(saver::kShowFpsCheck);
    d.click(saver::kExitOnMouseMoveCheck);
    d.click(saver::kTwentyFourHourRadio);
    d.click(saver::kUseDesktopCheck);
    d.selectItem(saver::kModeList, 1); // 800x600x32bit
    d.typeText(saver::kPhotoPathEdit, "/pictures/tabby.png");
    d.click(IDOK);
  });
  EXPECT_EQ(readRegistry(), std::string(kHeader) +
                                "\"PhotoPath\"=\"/pictures/tabby.png\"\n"
                                "\"UseDesktop\"=dword:00000000\n\"ShowFps\"=dword:00000001\n"
                                "\"Width\"=dword:00000320\n\"Height\"=dword:00000258\n\"Depth\"=dword:00000020\n"
                                "\"Adapter\"=dword:00000000\n\"Gamma\"=dword:00000014\n\"Volume\"=dword:00000023\n"
                                "\"Music\"=dword:00000000\n\"Sound\"=dword:00000001\n\"ExitOnMM\"=dword:00000001\n"
                                "\"ShowTime\"=dword:00000001\n\"TimeStyle\"=dword:00000001\n"
                                // The dialog offers no frame cap; it keeps the stored one.
                                "\"MaxFps\"=dword:00000000\n");
  EXPECT_TRUE(app.settings().timeStyle);
}

TEST_F(SettingsDialog, ASaveThatFailsIsToldAndTheDialogKeepsItsValues) {
  writeRegistry(kHeader);
  const std::filesystem::path blocker = registryFile().string() + ".tmp." + std::to_string(getpid());
  std::filesystem::create_directories(blocker);
  configure([&](Dialog& d) {
    d.moveTrackbar(saver::kVolumeSlider, 12);
    d.click(IDOK);
    EXPECT_FALSE(d.ended());
    EXPECT_EQ(d.control(saver::kVolumeSlider)->position, 12);
    ASSERT_EQ(host_.messageBoxes().size(), 1u);
    EXPECT_EQ(host_.messageBoxes()[0].owner, d.handle());
    EXPECT_EQ(host_.messageBoxes()[0].text,
              "The settings could not be saved to " + registryFile().string() +
                  ".\n\nThey are still shown in the dialog: press OK to try again, or Cancel to leave them unsaved.");
    EXPECT_EQ(host_.messageBoxes()[0].type, MB_OK | MB_ICONERROR);
    // Once the way is clear again, OK saves.
    std::filesystem::remove(blocker);
    d.click(IDOK);
    EXPECT_TRUE(d.ended());
  });
  EXPECT_NE(readRegistry().find("\"Volume\"=dword:0000000c\n"), std::string::npos);
}

TEST_F(SettingsDialog, WithoutDirect3DTheDialogIsNotShownAndTheMessageSaysSo) {
  direct3D_ = false;
  configure([](Dialog&) { ADD_FAILURE() << "shown"; });
  EXPECT_TRUE(host_.shown().empty());
  ASSERT_EQ(host_.messageBoxes().size(), 1u);
  EXPECT_EQ(host_.messageBoxes()[0].text, "Cannot initialize D3D, please reinstall DX9");
  EXPECT_EQ(host_.messageBoxes()[0].caption, "Error");
}

TEST_F(SettingsDialog, TheDialogIsCentredAndTheAboutBoxOpensOverIt) {
  RECT settings{};
  RECT about{};
  configure([&](Dialog& d) {
    settings = d.windowRect();
    host_.onDialog(saver::kAboutDialog, [&](Dialog& box) {
      about = box.windowRect();
      EXPECT_EQ(GetParent(box.handle()), d.handle());
      box.pressEnter();
    });
    d.click(saver::kAboutButton);
    EXPECT_FALSE(d.ended());
    d.click(IDCANCEL);
  });
  EXPECT_EQ(settings.left, (1024 - 530) / 2);
  EXPECT_EQ(settings.top, (768 - 440) / 2);
  EXPECT_EQ(about.left, settings.left + 140);
  EXPECT_EQ(about.top, settings.top + 150);
  EXPECT_EQ(host_.shown(), (std::vector<WORD>{saver::kSettingsDialog, saver::kAboutDialog}));
}

TEST_F(SettingsDialog, ThePictureControlsChooseClearAndTakeThePhotoPath) {
  writeRegistry(std::string(kHeader) + "\"PhotoPath\"=\"/old/photo.jpg\"\n");
  const std::string chosen = config_.write("pictures/cat.PNG", "not read here").string();
  host_.answerFileDialog(std::nullopt);
  host_.answerFileDialog(chosen);
  saver::ClockApplication& app = configure([&](Dialog& d) {
    EXPECT_EQ(text(d, saver::kPhotoPathEdit), "/old/photo.jpg");
    d.click(saver::kBrowseButton); // cancelled
    EXPECT_EQ(text(d, saver::kPhotoPathEdit), "/old/photo.jpg");
    d.click(saver::kBrowseButton);
    EXPECT_EQ(text(d, saver::kPhotoPathEdit), chosen);
    d.click(saver::kDefaultPictureButton);
    EXPECT_EQ(text(d, saver::kPhotoPathEdit), "");
    d.click(IDCANCEL);
  });
  ASSERT_EQ(host_.fileRequests().size(), 2u);
  const dialogs::FileRequest& request = host_.fileRequests()[0];
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].patterns, (std::vector<std::string>{"*.jpg", "*.tga", "*.bmp", "*.gif", "*.png"}));
  EXPECT_EQ(app.settings().photoPath, "");
  EXPECT_EQ(readRegistry(), std::string(kHeader) + "\"PhotoPath\"=\"/old/photo.jpg\"\n");

  // OK takes what the edit holds whole up to the longest path the settings read back (255
  // characters), and no more.
  for (const std::size_t length : {250u, 255u, 300u}) {
    const std::string typed = "/" + std::string(length - 1, 'p');
    configure([&](Dialog& d) {
      d.typeText(saver::kPhotoPathEdit, typed);
      d.click(IDOK);
    });
    std::string stored;
    ASSERT_TRUE(saver::readPhotoPath(stored));
    EXPECT_EQ(stored, typed.substr(0, 255)) << length;
  }
}

} // namespace
