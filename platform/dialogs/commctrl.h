// The trackbar common control. A position the person sets reaches the dialog procedure as
// WM_HSCROLL (TB_THUMBPOSITION with the position in the high word, the trackbar's handle in
// lParam), followed by WM_NOTIFY with NM_RELEASEDCAPTURE, as a trackbar reports the end of a
// change. Values are the real Windows ones.
#pragma once

#include "platform/dialogs/dialogs.h"

// Messages to a trackbar
constexpr UINT TBM_GETPOS = WM_USER;
constexpr UINT TBM_GETRANGEMIN = WM_USER + 1;
constexpr UINT TBM_GETRANGEMAX = WM_USER + 2;
constexpr UINT TBM_SETPOS = WM_USER + 5;      // wParam: redraw, lParam: the position
constexpr UINT TBM_SETRANGEMIN = WM_USER + 7; // wParam: redraw, lParam: the minimum
constexpr UINT TBM_SETRANGEMAX = WM_USER + 8; // wParam: redraw, lParam: the maximum

// Scroll codes in the low word of WM_HSCROLL's wParam
constexpr WORD TB_LINEUP = 0;
constexpr WORD TB_LINEDOWN = 1;
constexpr WORD TB_PAGEUP = 2;
constexpr WORD TB_PAGEDOWN = 3;
constexpr WORD TB_THUMBPOSITION = 4;
constexpr WORD TB_THUMBTRACK = 5;
constexpr WORD TB_TOP = 6;
constexpr WORD TB_BOTTOM = 7;
constexpr WORD TB_ENDTRACK = 8;

// The header every WM_NOTIFY carries in lParam
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};

constexpr UINT NM_RELEASEDCAPTURE = static_cast<UINT>(-16);
