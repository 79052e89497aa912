#include "engine/gui/text/TextEditor.h"

#include <algorithm>

#include "engine/input/ScanCodes.h"

namespace engine {

std::size_t TextEditor::selectionBegin() const {
  return caret_ < 0 ? 0 : static_cast<std::size_t>(std::min(anchor_, caret_));
}

std::size_t TextEditor::selectionEnd() const {
  return caret_ < 0 ? 0 : static_cast<std::size_t>(std::max(anchor_, caret_));
}

void TextEditor::press(std::size_t index) { anchor_ = caret_ = static_cast<int>(index); }

void TextEditor::extend(std::size_t index) {
  if (caret_ >= 0) caret_ = static_cast<int>(index);
}

void TextEditor::stop() { anchor_ = caret_ = -1; }

void TextEditor::replaceSelection(std::u16string& text, std::u16string_view with) {
  const std::size_t begin = std::min(selectionBegin(), text.size());
  const std::size_t end = std::min(selectionEnd(), text.size());
  text.replace(begin, end - begin, with);
  anchor_ = caret_ = static_cast<int>(begin + with.size());
}

bool TextEditor::key(int dikCode, std::u16string& text) {
  const char16_t typed = static_cast<char16_t>(characterOfScanCode(dikCode));
  if (typed == kNoCharacter) return false;
  if (typed == kEscapeCharacter) {
    stop();
    return false;
  }
  if (caret_ < 0 || static_cast<std::size_t>(caret_) > text.size() || static_cast<std::size_t>(anchor_) > text.size())
    press(text.size());
  if (typed == kBackspaceCharacter) {
    if (selectionBegin() == selectionEnd()) {
      if (caret_ == 0) return false;
      --anchor_;
    }
    replaceSelection(text, u"");
    return true;
  }
  replaceSelection(text, typed == kReturnCharacter ? std::u16string_view(u"\n") : std::u16string_view(&typed, 1));
  return true;
}

} // namespace engine
