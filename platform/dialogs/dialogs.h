// The dialog manager the program calls: modal dialogs from templates, the controls' messages,
// and message boxes. A dialog procedure receives WM_INITDIALOG, then WM_COMMAND from buttons,
// lists and edits and WM_HSCROLL and WM_NOTIFY from trackbars, and ends the dialog with
// EndDialog. The dialog and its controls have window handles of their own: GetWindowRect,
// SetWindowPos, GetParent and IsWindow work on them as on any window. Values are the real
// Windows ones.
#pragma once

#include "platform/dialogs/DialogTemplate.h"
#include "platform/win32/winuser.h"

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// Messages a dialog procedure or its controls receive
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_HSCROLL = 0x0114;

// Dialog and message box results
constexpr INT_PTR IDOK = 1;
constexpr INT_PTR IDCANCEL = 2;
constexpr INT_PTR IDABORT = 3;
constexpr INT_PTR IDRETRY = 4;
constexpr INT_PTR IDIGNORE = 5;
constexpr INT_PTR IDYES = 6;
constexpr INT_PTR IDNO = 7;

// Notifications in the high word of WM_COMMAND's wParam
constexpr WORD BN_CLICKED = 0;
constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD EN_CHANGE = 0x0300;

// Buttons
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;
constexpr UINT BST_INDETERMINATE = 2;

// Drop-down lists
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr LRESULT CB_ERR = -1;

// Message box styles
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONMASK = 0x000000F0;

// Runs a modal dialog from a template in memory and answers what EndDialog gave; -1 when the
// dialog cannot be shown (no display: dialogs::dialogsUnavailableReason says why).
INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, const dialogs::DialogTemplate* dialogTemplate, HWND owner,
                                DLGPROC procedure, LPARAM initParam);
BOOL EndDialog(HWND dialog, INT_PTR result);

HWND GetDlgItem(HWND dialog, int id);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks `check` and clears every other radio button from `first` to `last`.
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
// Copies at most max - 1 characters and a NUL; answers how many characters were copied.
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int max);
// Answers whether the window was disabled before.
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);

// A modal message box; answers the id of the button pressed (IDCANCEL when it is closed),
// 0 when it cannot be shown.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

namespace dialogs {

// Empty when dialogs can be shown; otherwise why not, in words for the user.
std::string dialogsUnavailableReason();

} // namespace dialogs
