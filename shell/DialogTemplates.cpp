#include "shell/DialogTemplates.h"

#include "platform/dialogs/dialogs.h"

namespace saver {
namespace {

using dialogs::ControlKind;
using dialogs::IDC_STATIC;

constexpr const char* kDialogFont = "MS Sans Serif";

dialogs::ControlTemplate control(int id, ControlKind kind, const char* text, int x, int y, int width, int height,
                                 WORD bitmap = 0) {
  return dialogs::ControlTemplate{id, kind, text, {x, y, width, height}, bitmap};
}

} // namespace

bool endOnOkOrCancel(HWND dialog, WPARAM command) {
  const WORD id = LOWORD(command);
  if (id != IDOK && id != IDCANCEL) return false;
  EndDialog(dialog, id);
  return true;
}

const dialogs::DialogTemplate& settingsDialogTemplate() {
  static const dialogs::DialogTemplate dialog{
      kSettingsDialog,
      "Tickwood Settings",
      kDialogFont,
      8,
      382,
      263,
      {
          control(IDC_STATIC, ControlKind::GroupBox, "Video Mode Selection", 5, 4, 193, 42),
          control(kModeList, ControlKind::DropDownList, "", 11, 13, 178, 74),
          control(kUseDesktopCheck, ControlKind::CheckBox, "Use Desktop Settings", 11, 30, 87, 10),
          control(IDC_STATIC, ControlKind::GroupBox, "Sound Control", 5, 47, 193, 38),
          control(kVolumeLabel, ControlKind::Static, "Master Volume", 11, 58, 48, 8),
          control(kVolumeSlider, ControlKind::Trackbar, "", 75, 55, 119, 13),
          control(kMusicCheck, ControlKind::CheckBox, "Enable Music", 11, 70, 59, 11),
          control(kSoundCheck, ControlKind::CheckBox, "Enable Sound", 127, 71, 59, 11),
          control(IDC_STATIC, ControlKind::GroupBox, "Graphics", 5, 86, 193, 36),
          control(kGammaCaption, ControlKind::Static, "Gamma Control:", 11, 101, 51, 8),
          control(kGammaValueLabel, ControlKind::Static, " 100%", 61, 101, 23, 8),
          control(kGammaSlider, ControlKind::Trackbar, "", 81, 100, 115, 12),
          control(IDC_STATIC, ControlKind::GroupBox, "Put your picture in the frame", 6, 123, 193, 55),
          control(kBrowseButton, ControlKind::PushButton, "Browse ...", 12, 137, 58, 14),
          control(IDC_STATIC, ControlKind::Static, "Path:", 73, 139, 19, 13),
          control(kPhotoPathEdit, ControlKind::Edit, "", 95, 138, 97, 12),
          control(kDefaultPictureButton, ControlKind::PushButton, "Restore Default Picture", 12, 156, 92, 14),
          control(IDC_STATIC, ControlKind::GroupBox, "Misc Options", 204, 123, 173, 55),
          control(kShowFpsCheck, ControlKind::CheckBox, "Show FPS", 215, 136, 49, 10),
          control(kExitOnMouseMoveCheck, ControlKind::CheckBox, "Exit on Mouse move", 215, 147, 80, 12),
          control(kShowTimeCheck, ControlKind::CheckBox, "Show Time", 304, 136, 58, 10),
          control(kTwentyFourHourRadio, ControlKind::RadioButton, "24h style", 316, 149, 49, 8),
          control(kTwelveHourRadio, ControlKind::RadioButton, "12h style", 316, 160, 49, 8),
          control(IDC_STATIC, ControlKind::StaticBitmap, "", 203, 8, 172, 114, kSettingsPicture),
          control(kAboutButton, ControlKind::PushButton, "About...", 312, 187, 59, 13),
          control(kRestoreDefaultsButton, ControlKind::PushButton, "Restore Defaults", 8, 242, 78, 13),
          control(IDOK, ControlKind::DefaultButton, "OK", 248, 242, 59, 13),
          control(IDCANCEL, ControlKind::PushButton, "Cancel", 312, 242, 59, 13),
      }};
  return dialog;
}

const dialogs::DialogTemplate& aboutDialogTemplate() {
  static const dialogs::DialogTemplate dialog{
      kAboutDialog,
      "About",
      kDialogFont,
      8,
      204,
      81,
      {
          control(IDC_STATIC, ControlKind::StaticBitmap, "", 7, 7, 64, 59, kAboutPicture),
          control(IDC_STATIC, ControlKind::Static, "Tickwood", 78, 6, 119, 9),
          control(IDC_STATIC, ControlKind::Static, "A longcase clock at night", 78, 17, 119, 8),
          control(IDC_STATIC, ControlKind::Static, "Rain, thunder and lamplight", 78, 26, 119, 8),
          control(IDC_STATIC, ControlKind::Static, "Your own photo in the frame", 78, 35, 119, 8),
          control(IDC_STATIC, ControlKind::Static, "Version 1.0", 78, 44, 119, 8),
          control(IDC_STATIC, ControlKind::Static, "(c) Brindle Studio", 78, 53, 119, 8),
          control(IDOK, ControlKind::DefaultButton, "OK", 147, 63, 50, 13),
      }};
  return dialog;
}

const dialogs::DialogTemplate& graphicsMissingDialogTemplate() {
  // Its procedure gives it 390 x 131 pixels; the controls fit that in fonts up to 7 x 15
  // pixels of base units.
  static const dialogs::DialogTemplate dialog{
      kGraphicsMissingDialog,
      "Tickwood",
      kDialogFont,
      8,
      222,
      69,
      {
          control(IDC_STATIC, ControlKind::Static,
                  "Tickwood draws its room with OpenGL 3.3, and no OpenGL 3.3 context can be made here. "
                  "Installing or updating the graphics drivers usually mends this.",
                  8, 5, 206, 24),
          control(kGraphicsFailureText, ControlKind::Static, "", 8, 31, 206, 16),
          control(IDOK, ControlKind::DefaultButton, "Download OpenGL drivers", 58, 51, 104, 13),
          control(IDCANCEL, ControlKind::PushButton, "Cancel", 166, 51, 48, 13),
      }};
  return dialog;
}

} // namespace saver
