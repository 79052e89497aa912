// A dialog as its resource describes it: caption, font, size and controls, every position in
// dialog units. A horizontal dialog unit is a quarter of the dialog font's average character
// width and a vertical unit an eighth of its height, so a dialog keeps its proportions in
// whatever font shows it.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windows.h"

namespace dialogs {

enum class ControlKind {
  GroupBox,
  CheckBox,    // an automatic check box: a click toggles it
  RadioButton, // an automatic radio button: a click checks it and clears the others of its group
  PushButton,
  DefaultButton, // the push button Enter presses
  Static,        // a line of text
  StaticBitmap,  // a bitmap resource, at its own size
  Edit,          // one line of text the person types
  DropDownList,  // a list to choose one entry from, with a number kept per entry
  Trackbar,      // a horizontal slider over a range of whole numbers
};

// The id of controls the dialog procedure never addresses.
constexpr int IDC_STATIC = -1;

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct ControlTemplate {
  int id = IDC_STATIC;
  ControlKind kind = ControlKind::Static;
  std::string text;
  DialogRect rect;
  WORD bitmap = 0; // the bitmap resource of a StaticBitmap
};

struct DialogTemplate {
  WORD id = 0;
  std::string title;
  std::string fontName;
  int fontPoints = 8;
  int width = 0; // dialog units
  int height = 0;
  std::vector<ControlTemplate> controls;
};

// The dialog font's base units in pixels: its average character width and its height.
struct FontMetrics {
  int averageWidth = 0;
  int height = 0;
};

// The Windows dialog base units of MS Sans Serif 8 at 96 dots per inch.
constexpr FontMetrics kClassicDialogFont{6, 13};

// The average character width the way the dialog manager takes it: the width of the 52
// letters A-Z and a-z, divided by 52 and rounded.
int averageCharWidth(int widthOfAlphabet);

// Pixels from dialog units (rounded to nearest, as the dialog manager's MulDiv does).
int horizontalPixels(int dialogUnits, const FontMetrics& font);
int verticalPixels(int dialogUnits, const FontMetrics& font);
// A control's rectangle in pixels, relative to the dialog's client area.
RECT toPixels(const DialogRect& rect, const FontMetrics& font);

} // namespace dialogs
