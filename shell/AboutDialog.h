// The About box (dialog 103), shown from the settings dialog.
#pragma once

#include "platform/dialogs/dialogs.h"

namespace saver {

// Places the box over the settings dialog (its top-left corner plus 140, 150 pixels) and
// ends it with the button pressed.
INT_PTR aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace saver
