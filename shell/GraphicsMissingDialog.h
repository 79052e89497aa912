// What the person is told when graphics cannot start on this machine (no OpenGL 3.3): a
// line on the standard error, and dialog 129 where there is a display, whose download
// button opens a page about installing OpenGL drivers.
#pragma once

#include <string>

#include "platform/dialogs/dialogs.h"

namespace saver {

// A page about getting OpenGL drivers, from the body that maintains OpenGL.
constexpr const char* kOpenGlDriversPage = "https://www.khronos.org/opengl/wiki/Getting_Started#Downloading_OpenGL";

// Dialog 129's procedure: moves it to (300, 300) at 390 x 131 pixels, shows the failure
// (a const char* in the init parameter) and ends with the button pressed.
INT_PTR graphicsMissingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Tells the person that `failure` keeps graphics from starting; answers the exit code (1).
int reportGraphicsMissing(const std::string& failure);

} // namespace saver
