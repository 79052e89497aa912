#include "shell/SettingsDialog.h"

#include "platform/dialogs/commctrl.h"
#include "platform/win32/winreg.h"
#include "shell/AboutDialog.h"
#include "shell/DialogTemplates.h"

namespace saver {
namespace {

// A mode list entry keeps its mode in its item data: width, height and bits.
LPARAM packMode(UINT width, UINT height, UINT bits) {
  return static_cast<LPARAM>(static_cast<std::uint64_t>(width & 0xFFFF) |
                             static_cast<std::uint64_t>(height & 0xFFFF) << 16 |
                             static_cast<std::uint64_t>(bits & 0xFF) << 32);
}

struct ListedMode {
  int width;
  int height;
  int bits;
};

ListedMode unpackMode(LPARAM data) {
  const auto value = static_cast<std::uint64_t>(data);
  return ListedMode{static_cast<int>(value & 0xFFFF), static_cast<int>((value >> 16) & 0xFFFF),
                    static_cast<int>((value >> 32) & 0xFF)};
}

void check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

void setSlider(HWND dialog, int id, const SettingDescriptor& setting, int position) {
  SendDlgItemMessageA(dialog, id, TBM_SETRANGEMAX, TRUE, setting.maximum);
  SendDlgItemMessageA(dialog, id, TBM_SETRANGEMIN, TRUE, setting.minimum);
  SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, position);
}

int sliderPosition(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0)); }

std::string saveFailureText() {
  const std::string file = win32::registryFilePath();
  const std::string where =
      file.empty() ? " (neither XDG_CONFIG_HOME nor HOME names a folder for them)" : " to " + file;
  return "The settings could not be saved" + where +
         ".\n\nThey are still shown in the dialog: press OK to try again, or Cancel to leave them unsaved.";
}

} // namespace

std::string modeText(UINT width, UINT height, UINT bits) {
  return std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(bits) + "bit";
}

SettingsDialog::SettingsDialog(Settings& settings, std::function<bool()> save, engine::Direct3DFactory makeDirect3D,
                               D3DDISPLAYMODE& displayMode)
    : settings_(settings), save_(std::move(save)), makeDirect3D_(std::move(makeDirect3D)), displayMode_(displayMode) {}

INT_PTR SettingsDialog::handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    initialise(dialog, !initialised_);
    initialised_ = true;
    return TRUE;
  case WM_NOTIFY: {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header) return FALSE;
    if (header->idFrom == kVolumeSlider) {
      settings_.volume = sliderPosition(dialog, kVolumeSlider);
      return TRUE;
    }
    if (header->idFrom == kGammaSlider) {
      settings_.gamma = sliderPosition(dialog, kGammaSlider);
      showGamma(dialog);
      return TRUE;
    }
    return FALSE;
  }
  case WM_COMMAND:
    return command(dialog, LOWORD(wParam)) ? TRUE : FALSE;
  default:
    return FALSE;
  }
}

bool SettingsDialog::initialise(HWND dialog, bool first) {
  IDirect3D9* d3d = makeDirect3D_ ? makeDirect3D_() : nullptr;
  if (!d3d) {
    MessageBoxA(dialog, "Cannot initialize D3D, please reinstall DX9", "Error", MB_OK);
    EndDialog(dialog, 0);
    return false;
  }
  d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displayMode_);
  showSliders(dialog);
  showChoices(dialog);
  if (first) centre(dialog);
  {
    engine::DeviceEnumeration enumeration;
    enumeration.enumerate(d3d);
    fillModeList(dialog, enumeration);
  }
  d3d->Release();
  return true;
}

void SettingsDialog::showSliders(HWND dialog) {
  setSlider(dialog, kGammaSlider, settingOf(&Settings::gamma), settings_.gamma);
  showGamma(dialog);
  setSlider(dialog, kVolumeSlider, settingOf(&Settings::volume), settings_.volume);
}

void SettingsDialog::showChoices(HWND dialog) {
  CheckRadioButton(dialog, kTwelveHourRadio, kTwentyFourHourRadio,
                   settings_.timeStyle ? kTwentyFourHourRadio : kTwelveHourRadio);
  check(dialog, kShowTimeCheck, settings_.showTime);
  enable(dialog, kTwelveHourRadio, settings_.showTime);
  enable(dialog, kTwentyFourHourRadio, settings_.showTime);
  check(dialog, kMusicCheck, settings_.music);
  check(dialog, kSoundCheck, settings_.sound);
  // The volume matters only when something plays; the dialog opens saying so too.
  enableVolume(dialog);
  check(dialog, kShowFpsCheck, settings_.showFps);
  check(dialog, kExitOnMouseMoveCheck, settings_.exitOnMouseMove);
  check(dialog, kUseDesktopCheck, settings_.useDesktop);
  enable(dialog, kModeList, !settings_.useDesktop);
}

void SettingsDialog::centre(HWND dialog) {
  const int x = (static_cast<int>(displayMode_.Width) - 530) / 2;
  const int y = (static_cast<int>(displayMode_.Height) - 440) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void SettingsDialog::fillModeList(HWND dialog, const engine::DeviceEnumeration& enumeration) {
  SendDlgItemMessageA(dialog, kModeList, CB_RESETCONTENT, 0, 0);
  bool selected = false;
  for (const engine::AdapterInfo& adapter : enumeration.adapters()) {
    for (const D3DDISPLAYMODE& mode : adapter.modes) {
      if (mode.Width < 640 || mode.Height < 480) continue;
      const UINT bits = engine::formatBitDepth(mode.Format);
      const std::string text = modeText(mode.Width, mode.Height, bits);
      // Modes that differ only in refresh rate are one entry.
      if (SendDlgItemMessageA(dialog, kModeList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(text.c_str())) != CB_ERR)
        continue;
      const auto index = static_cast<WPARAM>(
          SendDlgItemMessageA(dialog, kModeList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
      SendDlgItemMessageA(dialog, kModeList, CB_SETITEMDATA, index, packMode(mode.Width, mode.Height, bits));
      const bool exact =
          static_cast<int>(mode.Width) == settings_.width && static_cast<int>(mode.Height) == settings_.height &&
          static_cast<int>(bits) == settings_.depth && static_cast<int>(adapter.ordinal) == settings_.adapter;
      const bool desktop =
          mode.Width == displayMode_.Width && mode.Height == displayMode_.Height && mode.Format == displayMode_.Format;
      if (exact || (!selected && desktop)) {
        SendDlgItemMessageA(dialog, kModeList, CB_SETCURSEL, index, 0);
        selected = true;
      } else if (!selected && mode.Width == 800 && mode.Height == 600 && bits == 16) {
        // A fallback only: a later desktop or exact match still takes the selection.
        SendDlgItemMessageA(dialog, kModeList, CB_SETCURSEL, index, 0);
      }
    }
  }
}

void SettingsDialog::showGamma(HWND dialog) {
  SetDlgItemTextA(dialog, kGammaValueLabel, (std::to_string(settings_.gamma + 100) + "%").c_str());
}

void SettingsDialog::enableVolume(HWND dialog) {
  const bool playing = settings_.music || settings_.sound;
  enable(dialog, kVolumeSlider, playing);
  enable(dialog, kVolumeLabel, playing);
}

bool SettingsDialog::command(HWND dialog, WORD id) {
  switch (id) {
  case kVolumeSlider:
    settings_.volume = sliderPosition(dialog, kVolumeSlider);
    return true;
  case kMusicCheck:
    settings_.music = checked(dialog, kMusicCheck);
    enableVolume(dialog);
    return true;
  case kSoundCheck:
    settings_.sound = checked(dialog, kSoundCheck);
    enableVolume(dialog);
    return true;
  case kShowFpsCheck:
    settings_.showFps = checked(dialog, kShowFpsCheck);
    return true;
  case kExitOnMouseMoveCheck:
    settings_.exitOnMouseMove = checked(dialog, kExitOnMouseMoveCheck);
    return true;
  case kShowTimeCheck:
    settings_.showTime = checked(dialog, kShowTimeCheck);
    enable(dialog, kTwelveHourRadio, settings_.showTime);
    enable(dialog, kTwentyFourHourRadio, settings_.showTime);
    return true;
  case kTwentyFourHourRadio:
    settings_.timeStyle = true;
    return true;
  case kTwelveHourRadio:
    settings_.timeStyle = false;
    return true;
  case kUseDesktopCheck:
    settings_.useDesktop = checked(dialog, kUseDesktopCheck);
    enable(dialog, kModeList, !settings_.useDesktop);
    return true;
  case kAboutButton:
    DialogBoxIndirectParamA(nullptr, &aboutDialogTemplate(), dialog, aboutDialogProc, 0);
    return true;
  case kRestoreDefaultsButton:
    restoreDefaults(dialog);
    return true;
  case IDOK:
    accept(dialog);
    return true;
  case IDCANCEL:
    EndDialog(dialog, IDCANCEL);
    return true;
  default:
    return false;
  }
}

void SettingsDialog::accept(HWND dialog) {
  const auto selection = static_cast<WPARAM>(SendDlgItemMessageA(dialog, kModeList, CB_GETCURSEL, 0, 0));
  if (static_cast<LRESULT>(selection) != CB_ERR) {
    const ListedMode mode = unpackMode(SendDlgItemMessageA(dialog, kModeList, CB_GETITEMDATA, selection, 0));
    settings_.width = mode.width;
    settings_.height = mode.height;
    settings_.depth = mode.bits;
    settings_.adapter = 0;
  }
  if (!save_ || !save_()) {
    // The values stay on screen and in memory: the person can try again or cancel.
    MessageBoxA(dialog, saveFailureText().c_str(), "Tickwood Settings", MB_OK | MB_ICONERROR);
    return;
  }
  EndDialog(dialog, 1);
}

void SettingsDialog::restoreDefaults(HWND dialog) {
  const std::string photoPath = settings_.photoPath;
  settings_ = Settings{};
  settings_.photoPath = photoPath;
  // Unlike a fresh installation, the restored defaults end the saver on mouse movement.
  settings_.exitOnMouseMove = true;
  initialise(dialog, false);
}

} // namespace saver
