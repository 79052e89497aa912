// Editing of a view's plain text from key codes: a caret and the other end of a selection
// (both -1 while nothing is being edited); typed characters replace the selection.
#pragma once

#include <cstddef>
#include <string>

namespace engine {

class TextEditor {
public:
  // Applies the key `dikCode` to `text`; true when the text changed. Escape ends editing;
  // the first key of an edit puts the caret at the end.
  bool key(int dikCode, std::u16string& text);
  // A press puts the caret (and the selection's other end) at `index`; dragging moves the
  // caret.
  void press(std::size_t index);
  void extend(std::size_t index);
  void stop();
  bool editing() const { return caret_ >= 0; }
  // The selection, ordered; empty (begin == end) when there is none.
  std::size_t selectionBegin() const;
  std::size_t selectionEnd() const;
  int caret() const { return caret_; }

private:
  void replaceSelection(std::u16string& text, std::u16string_view with);

  int anchor_ = -1;
  int caret_ = -1;
};

} // namespace engine
