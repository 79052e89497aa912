#include "platform/dialogs/Dialog.h"

#include <algorithm>
#include <cstring>

#include "platform/dialogs/commctrl.h"

namespace dialogs {
namespace {

bool isButton(ControlKind kind) {
  return kind == ControlKind::CheckBox || kind == ControlKind::RadioButton || kind == ControlKind::PushButton ||
         kind == ControlKind::DefaultButton;
}

bool sameTextIgnoringCase(const std::string& a, const char* b) {
  const std::size_t length = std::strlen(b);
  if (a.size() != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Copies `text` into a caller's buffer of `size` bytes (with its NUL); answers the characters
// copied.
LRESULT copyOut(const std::string& text, WPARAM size, LPARAM buffer) {
  if (!buffer || size == 0) return 0;
  const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
  char* out = reinterpret_cast<char*>(buffer);
  std::memcpy(out, text.data(), count);
  out[count] = '\0';
  return static_cast<LRESULT>(count);
}

} // namespace

Dialog::Dialog(const DialogTemplate& dialogTemplate, DLGPROC procedure, HWND owner, const FontMetrics& font,
               POINT origin, HWND (*newHandle)())
    : template_(dialogTemplate), procedure_(procedure), handle_(newHandle()), owner_(owner) {
  rect_ = RECT{origin.x, origin.y, origin.x + horizontalPixels(template_.width, font),
               origin.y + verticalPixels(template_.height, font)};
  controls_.reserve(template_.controls.size());
  for (const ControlTemplate& definition : template_.controls) {
    Control control;
    control.handle = newHandle();
    control.definition = definition;
    control.text = definition.text;
    control.rect = toPixels(definition.rect, font);
    controls_.push_back(std::move(control));
  }
}

Control* Dialog::control(int id) {
  auto it = std::find_if(controls_.begin(), controls_.end(), [&](const Control& c) { return c.definition.id == id; });
  return it == controls_.end() ? nullptr : &*it;
}

Control* Dialog::control(HWND handle) {
  auto it = std::find_if(controls_.begin(), controls_.end(), [&](const Control& c) { return c.handle == handle; });
  return it == controls_.end() ? nullptr : &*it;
}

INT_PTR Dialog::deliver(UINT message, WPARAM wParam, LPARAM lParam) {
  return procedure_ ? procedure_(handle_, message, wParam, lParam) : FALSE;
}

LRESULT Dialog::send(Control& control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_SETTEXT:
  case WM_GETTEXT:
  case WM_GETTEXTLENGTH:
    return textMessage(control, message, wParam, lParam);
  default:
    break;
  }
  switch (control.definition.kind) {
  case ControlKind::DropDownList:
    return listMessage(control, message, wParam, lParam);
  case ControlKind::Trackbar:
    return trackbarMessage(control, message, wParam, lParam);
  default:
    return isButton(control.definition.kind) ? buttonMessage(control, message, wParam) : 0;
  }
}

LRESULT Dialog::textMessage(Control& control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_SETTEXT:
    control.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
    changed(control);
    return TRUE;
  case WM_GETTEXT:
    return copyOut(control.text, wParam, lParam);
  default:
    return static_cast<LRESULT>(control.text.size());
  }
}

LRESULT Dialog::buttonMessage(Control& control, UINT message, WPARAM wParam) {
  switch (message) {
  case BM_GETCHECK:
    return control.check;
  case BM_SETCHECK:
    setCheck(control, static_cast<UINT>(wParam));
    return 0;
  default:
    return 0;
  }
}

LRESULT Dialog::listMessage(Control& control, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto count = static_cast<int>(control.items.size());
  const auto index = static_cast<int>(static_cast<INT_PTR>(wParam));
  const bool valid = index >= 0 && index < count;
  switch (message) {
  case CB_ADDSTRING:
    control.items.push_back(ComboItem{lParam ? reinterpret_cast<const char*>(lParam) : "", 0});
    changed(control);
    return count;
  case CB_RESETCONTENT:
    control.items.clear();
    control.selection = static_cast<int>(CB_ERR);
    changed(control);
    return TRUE;
  case CB_GETCOUNT:
    return count;
  case CB_GETCURSEL:
    return control.selection;
  case CB_SETCURSEL:
    // An index outside the list clears the selection and answers CB_ERR, as -1 does.
    control.selection = valid ? index : static_cast<int>(CB_ERR);
    changed(control);
    return valid ? index : CB_ERR;
  case CB_GETITEMDATA:
    return valid ? control.items[static_cast<std::size_t>(index)].data : CB_ERR;
  case CB_SETITEMDATA:
    if (!valid) return CB_ERR;
    control.items[static_cast<std::size_t>(index)].data = lParam;
    return TRUE;
  case CB_FINDSTRINGEXACT: {
    // The search starts after `index` (-1: at the top), wraps around, and ignores case.
    if (!lParam || count == 0) return CB_ERR;
    const int start = valid ? index + 1 : 0;
    for (int step = 0; step < count; ++step) {
      const int i = (start + step) % count;
      if (sameTextIgnoringCase(control.items[static_cast<std::size_t>(i)].text, reinterpret_cast<const char*>(lParam)))
        return i;
    }
    return CB_ERR;
  }
  default:
    return 0;
  }
}

LRESULT Dialog::trackbarMessage(Control& control, UINT message, WPARAM, LPARAM lParam) {
  const auto value = static_cast<int>(lParam);
  switch (message) {
  case TBM_GETPOS:
    return control.position;
  case TBM_GETRANGEMIN:
    return control.rangeMin;
  case TBM_GETRANGEMAX:
    return control.rangeMax;
  case TBM_SETPOS:
    control.position = std::clamp(value, control.rangeMin, std::max(control.rangeMin, control.rangeMax));
    break;
  case TBM_SETRANGEMIN:
    control.rangeMin = value;
    break;
  case TBM_SETRANGEMAX:
    control.rangeMax = value;
    break;
  default:
    return 0;
  }
  // A new range keeps the position inside it.
  if (control.rangeMax >= control.rangeMin)
    control.position = std::clamp(control.position, control.rangeMin, control.rangeMax);
  changed(control);
  return 0;
}

void Dialog::setCheck(Control& control, UINT check) {
  control.check = check;
  changed(control);
}

void Dialog::setEnabled(Control& control, bool enabled) {
  if (control.enabled == enabled) return;
  control.enabled = enabled;
  changed(control);
}

void Dialog::changed(const Control& control) {
  if (view_) view_->controlChanged(control);
}

void Dialog::end(INT_PTR result) {
  ended_ = true;
  result_ = result;
}

void Dialog::setWindowPos(int x, int y, int width, int height, UINT flags) {
  RECT next = rect_;
  if (!(flags & SWP_NOMOVE)) next = RECT{x, y, x + (rect_.right - rect_.left), y + (rect_.bottom - rect_.top)};
  if (!(flags & SWP_NOSIZE)) {
    next.right = next.left + std::max(1, width);
    next.bottom = next.top + std::max(1, height);
  }
  rect_ = next;
  if (view_) view_->dialogMoved();
}

void Dialog::movedTo(int x, int y) {
  rect_ = RECT{x, y, x + (rect_.right - rect_.left), y + (rect_.bottom - rect_.top)};
}

Control* Dialog::usable(int id) {
  Control* found = control(id);
  return found && found->enabled && !ended_ ? found : nullptr;
}

void Dialog::command(const Control& control, WORD notification) {
  deliver(WM_COMMAND, MAKEWPARAM(control.definition.id, notification), reinterpret_cast<LPARAM>(control.handle));
}

bool Dialog::click(int id) {
  Control* target = usable(id);
  if (!target || !isButton(target->definition.kind)) return false;
  if (target->definition.kind == ControlKind::CheckBox) {
    setCheck(*target, target->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  } else if (target->definition.kind == ControlKind::RadioButton) {
    // The group: the run of radio buttons around this one, in template order.
    auto at = controls_.begin() + (target - controls_.data());
    auto first = at;
    while (first != controls_.begin() && std::prev(first)->definition.kind == ControlKind::RadioButton)
      --first;
    for (auto it = first; it != controls_.end() && it->definition.kind == ControlKind::RadioButton; ++it)
      if (it != at && it->check != BST_UNCHECKED) setCheck(*it, BST_UNCHECKED);
    if (target->check != BST_CHECKED) setCheck(*target, BST_CHECKED);
  }
  command(*target, BN_CLICKED);
  return true;
}

bool Dialog::moveTrackbar(int id, int position) {
  Control* target = usable(id);
  if (!target || target->definition.kind != ControlKind::Trackbar) return false;
  target->position = std::clamp(position, target->rangeMin, std::max(target->rangeMin, target->rangeMax));
  changed(*target);
  const auto handle = reinterpret_cast<LPARAM>(target->handle);
  deliver(WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, target->position), handle);
  NMHDR header{target->handle, static_cast<UINT_PTR>(target->definition.id), NM_RELEASEDCAPTURE};
  deliver(WM_NOTIFY, static_cast<WPARAM>(target->definition.id), reinterpret_cast<LPARAM>(&header));
  return true;
}

bool Dialog::selectItem(int id, int index) {
  Control* target = usable(id);
  if (!target || target->definition.kind != ControlKind::DropDownList) return false;
  if (index < 0 || index >= static_cast<int>(target->items.size())) return false;
  target->selection = index;
  changed(*target);
  command(*target, CBN_SELCHANGE);
  return true;
}

bool Dialog::typeText(int id, const std::string& text) {
  Control* target = usable(id);
  if (!target || target->definition.kind != ControlKind::Edit) return false;
  target->text = text;
  changed(*target);
  command(*target, EN_CHANGE);
  return true;
}

void Dialog::pressEnter() {
  for (const Control& c : controls_)
    if (c.definition.kind == ControlKind::DefaultButton) {
      if (c.enabled) command(c, BN_CLICKED);
      return;
    }
  deliver(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void Dialog::cancel() { deliver(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

} // namespace dialogs
