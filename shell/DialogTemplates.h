// The program's dialog resources: the settings dialog (132), the About box (103) and the
// message that the graphics runtime is missing (129), with their control ids.
#pragma once

#include "platform/dialogs/DialogTemplate.h"

namespace saver {

constexpr WORD kSettingsDialog = 132;
constexpr WORD kAboutDialog = 103;
constexpr WORD kGraphicsMissingDialog = 129;

constexpr WORD kSettingsPicture = 155;
constexpr WORD kAboutPicture = 141;

// Controls of the settings dialog. OK and Cancel are IDOK and IDCANCEL.
enum SettingsControl : int {
  kBrowseButton = 1008,
  kPhotoPathEdit = 1009,
  kDefaultPictureButton = 1010,
  kModeList = 1011,
  kUseDesktopCheck = 1012,
  kVolumeSlider = 1020,
  kMusicCheck = 1021,
  kSoundCheck = 1022,
  kVolumeLabel = 1023,
  kShowFpsCheck = 1044,
  kExitOnMouseMoveCheck = 1045,
  kGammaSlider = 1046,
  kAboutButton = 1062,
  kRestoreDefaultsButton = 1063,
  kGammaCaption = 1106,
  kTwelveHourRadio = 1111,
  kTwentyFourHourRadio = 1112,
  kGammaValueLabel = 1118,
  kShowTimeCheck = 1119,
};

// The line of dialog 129 that names what failed.
constexpr int kGraphicsFailureText = 1001;

// For the small dialogs that only close: ends `dialog` with OK or Cancel when the command
// is one of them (answers whether it was).
bool endOnOkOrCancel(HWND dialog, WPARAM command);

const dialogs::DialogTemplate& settingsDialogTemplate();
const dialogs::DialogTemplate& aboutDialogTemplate();
const dialogs::DialogTemplate& graphicsMissingDialogTemplate();

} // namespace saver
