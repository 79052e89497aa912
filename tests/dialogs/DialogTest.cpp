// The dialog manager and its control model, through the headless host: what controls
// answer, what a person's actions tell the dialog procedure, and the window calls on dialog
// handles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialogs/HeadlessDialogHost.h"
#include "platform/dialogs/commctrl.h"

namespace {

using dialogs::ControlKind;
using dialogs::Dialog;

constexpr int kCheck = 10;
constexpr int kFirstRadio = 11;
constexpr int kSecondRadio = 12;
constexpr int kOtherRadio = 13;
constexpr int kSlider = 20;
constexpr int kList = 30;
constexpr int kEdit = 40;

dialogs::DialogTemplate testTemplate(WORD id = 500) {
  dialogs::DialogTemplate t{id, "Test", "MS Sans Serif", 8, 200, 100, {}};
  t.controls = {
      {kCheck, ControlKind::CheckBox, "Check", {10, 10, 50, 10}},
      {kFirstRadio, ControlKind::RadioButton, "One", {10, 22, 50, 10}},
      {kSecondRadio, ControlKind::RadioButton, "Two", {10, 34, 50, 10}},
      {dialogs::IDC_STATIC, ControlKind::Static, "-", {10, 46, 50, 8}},
      {kOtherRadio, ControlKind::RadioButton, "Alone", {10, 56, 50, 10}},
      {kSlider, ControlKind::Trackbar, "", {70, 10, 100, 12}},
      {kList, ControlKind::DropDownList, "", {70, 30, 100, 60}},
      {kEdit, ControlKind::Edit, "start", {70, 50, 100, 12}},
      {IDOK, ControlKind::DefaultButton, "OK", {70, 80, 50, 14}},
      {IDCANCEL, ControlKind::PushButton, "Cancel", {130, 80, 50, 14}},
  };
  return t;
}

// What the procedure under test received.
struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  UINT notifyCode = 0;
  int notifyPosition = 0;
};

std::vector<Received> g_received;
INT_PTR g_initResult = -2; // an EndDialog result for WM_INITDIALOG, or -2 for none

INT_PTR recordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Received r{message, wParam, lParam};
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    r.notifyCode = header->code;
    r.notifyPosition =
        static_cast<int>(SendDlgItemMessageA(dialog, static_cast<int>(header->idFrom), TBM_GETPOS, 0, 0));
  }
  g_received.push_back(r);
  if (message == WM_INITDIALOG && g_initResult != -2) EndDialog(dialog, g_initResult);
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
    EndDialog(dialog, LOWORD(wParam));
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

class Dialogs : public ::testing::Test {
protected:
  void SetUp() override {
    g_received.clear();
    g_initResult = -2;
    dialogs::setDialogHost(&host_);
  }
  void TearDown() override { dialogs::setDialogHost(nullptr); }

  // Runs the test dialog with `script` as the person.
  INT_PTR run(dialogs::HeadlessDialogHost::Script script, HWND owner = nullptr) {
    host_.onDialog(template_.id, std::move(script));
    return DialogBoxIndirectParamA(nullptr, &template_, owner, recordingProc, 77);
  }

  std::vector<Received> commands() const {
    std::vector<Received> out;
    for (const Received& r : g_received)
      if (r.message == WM_COMMAND || r.message == WM_HSCROLL || r.message == WM_NOTIFY) out.push_back(r);
    return out;
  }

  dialogs::HeadlessDialogHost host_;
  dialogs::DialogTemplate template_ = testTemplate();
};

TEST(DialogUnits, FollowTheFontsBaseUnitsWithRounding) {
  EXPECT_EQ(dialogs::averageCharWidth(312), 6); // 312 / 52 = 6
  EXPECT_EQ(dialogs::averageCharWidth(338), 7); // 6.5 rounds up
  EXPECT_EQ(dialogs::averageCharWidth(337), 6);
  const RECT r = dialogs::toPixels({5, 4, 193, 42}, dialogs::kClassicDialogFont);
  EXPECT_EQ(r.left, 8); // 7.5 rounds up
  EXPECT_EQ(r.top, 7);  // 6.5 rounds up
  EXPECT_EQ(r.right, 8 + 290);
  EXPECT_EQ(r.bottom, 7 + 68);
  EXPECT_EQ(dialogs::horizontalPixels(382, {7, 15}), 669);
  EXPECT_EQ(dialogs::verticalPixels(263, {7, 15}), 493);
}

TEST_F(Dialogs, TheProcedureIsInitialisedAndTheScriptsEndDecidesTheResult) {
  HWND seen = nullptr;
  EXPECT_EQ(run([&](Dialog& d) {
              seen = d.handle();
              EXPECT_TRUE(d.click(IDCANCEL));
            }),
            IDCANCEL);
  ASSERT_FALSE(g_received.empty());
  EXPECT_EQ(g_received.front().message, WM_INITDIALOG);
  EXPECT_EQ(g_received.front().lParam, 77);
  // The dialog is gone once it ended.
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_EQ(host_.shown(), std::vector<WORD>{500});
}

TEST_F(Dialogs, ADialogEndedDuringInitialisationIsNeverShownAndOneLeftOpenAnswersMinusOne) {
  g_initResult = 0;
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &template_, nullptr, recordingProc, 0), 0);
  EXPECT_TRUE(host_.shown().empty());
  g_initResult = -2;
  EXPECT_EQ(run([](Dialog&) {}), -1);
}

TEST_F(Dialogs, ButtonsReportClicksAndRadioButtonsClearTheirGroupOnly) {
  run([](Dialog& d) {
    const HWND dialog = d.handle();
    CheckDlgButton(dialog, kOtherRadio, BST_CHECKED);
    EXPECT_TRUE(d.click(kCheck));
    EXPECT_EQ(IsDlgButtonChecked(dialog, kCheck), BST_CHECKED);
    EXPECT_TRUE(d.click(kFirstRadio));
    EXPECT_TRUE(d.click(kSecondRadio));
    EXPECT_EQ(IsDlgButtonChecked(dialog, kFirstRadio), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kSecondRadio), BST_CHECKED);
    // A static between them makes the third radio button a group of its own.
    EXPECT_EQ(IsDlgButtonChecked(dialog, kOtherRadio), BST_CHECKED);
    d.cancel();
  });
  const auto got = commands();
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].wParam, MAKEWPARAM(kCheck, BN_CLICKED));
  EXPECT_EQ(got[1].wParam, MAKEWPARAM(kFirstRadio, BN_CLICKED));
  EXPECT_EQ(got[2].wParam, MAKEWPARAM(kSecondRadio, BN_CLICKED));
  EXPECT_EQ(got[3].wParam, MAKEWPARAM(IDCANCEL, BN_CLICKED));
}

TEST_F(Dialogs, ADisabledControlTakesNoClicksAndEnableWindowAnswersThePreviousState) {
  run([](Dialog& d) {
    const HWND check = GetDlgItem(d.handle(), kCheck);
    EXPECT_FALSE(EnableWindow(check, FALSE));
    EXPECT_TRUE(EnableWindow(check, FALSE));
    EXPECT_FALSE(IsWindowEnabled(check));
    EXPECT_FALSE(d.click(kCheck));
    EXPECT_EQ(IsDlgButtonChecked(d.handle(), kCheck), BST_UNCHECKED);
    EXPECT_TRUE(EnableWindow(check, TRUE));
    EXPECT_TRUE(d.click(kCheck));
    d.cancel();
  });
  EXPECT_EQ(commands().size(), 2u);
}

TEST_F(Dialogs, ATrackbarKeepsItsPositionInItsRangeAndReportsChangesAsScrollThenNotify) {
  run([](Dialog& d) {
    const HWND dialog = d.handle();
    SendDlgItemMessageA(dialog, kSlider, TBM_SETRANGEMAX, TRUE, 100);
    SendDlgItemMessageA(dialog, kSlider, TBM_SETRANGEMIN, TRUE, -100);
    SendDlgItemMessageA(dialog, kSlider, TBM_SETPOS, TRUE, -250);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kSlider, TBM_GETPOS, 0, 0), -100);
    SendDlgItemMessageA(dialog, kSlider, TBM_SETPOS, TRUE, 40);
    SendDlgItemMessageA(dialog, kSlider, TBM_SETRANGEMAX, TRUE, 30); // the position follows the range
    EXPECT_EQ(SendDlgItemMessageA(dialog, kSlider, TBM_GETPOS, 0, 0), 30);
    EXPECT_TRUE(d.moveTrackbar(kSlider, -7));
    EXPECT_TRUE(d.moveTrackbar(kSlider, 999));
    d.cancel();
  });
  const auto got = commands();
  ASSERT_EQ(got.size(), 5u);
  const HWND slider = reinterpret_cast<HWND>(got[0].lParam);
  EXPECT_EQ(got[0].message, WM_HSCROLL);
  EXPECT_EQ(got[0].wParam, MAKEWPARAM(TB_THUMBPOSITION, -7));
  EXPECT_EQ(got[1].message, WM_NOTIFY);
  EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(kSlider));
  EXPECT_EQ(got[1].notifyCode, NM_RELEASEDCAPTURE);
  EXPECT_EQ(got[1].notifyPosition, -7);
  EXPECT_EQ(got[2].wParam, MAKEWPARAM(TB_THUMBPOSITION, 30));
  EXPECT_EQ(got[3].notifyPosition, 30);
  EXPECT_NE(slider, nullptr);
}

TEST_F(Dialogs, ADropDownListFindsExactTextIgnoringCaseAndKeepsItemData) {
  run([](Dialog& d) {
    const HWND dialog = d.handle();
    auto add = [&](const char* text) {
      return SendDlgItemMessageA(dialog, kList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    };
    EXPECT_EQ(add("800x600x32bit"), 0);
    EXPECT_EQ(add("1024x768x32bit"), 1);
    EXPECT_EQ(add("800x600x32bit"), 2);
    auto find = [&](WPARAM start, const char* text) {
      return SendDlgItemMessageA(dialog, kList, CB_FINDSTRINGEXACT, start, reinterpret_cast<LPARAM>(text));
    };
    EXPECT_EQ(find(static_cast<WPARAM>(-1), "800X600X32BIT"), 0);
    EXPECT_EQ(find(0, "800x600x32bit"), 2); // the search starts after the given entry
    EXPECT_EQ(find(2, "800x600x32bit"), 0); // and wraps around
    EXPECT_EQ(find(static_cast<WPARAM>(-1), "800x600"), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kList, CB_SETITEMDATA, 1, 0x123456789LL), TRUE);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kList, CB_GETITEMDATA, 1, 0), 0x123456789LL);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kList, CB_GETITEMDATA, 3, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kList, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_TRUE(d.selectItem(kList, 1));
    EXPECT_EQ(SendDlgItemMessageA(dialog, kList, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kList, CB_SETCURSEL, 7, 0), CB_ERR); // clears the selection
    EXPECT_EQ(SendDlgItemMessageA(dialog, kList, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_FALSE(d.selectItem(kList, 3));
    SendDlgItemMessageA(dialog, kList, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kList, CB_GETCOUNT, 0, 0), 0);
    d.cancel();
  });
  EXPECT_EQ(commands().front().wParam, MAKEWPARAM(kList, CBN_SELCHANGE));
}

TEST_F(Dialogs, EditTextIsCopiedOutWithinTheCallersBuffer) {
  run([](Dialog& d) {
    const HWND dialog = d.handle();
    char buffer[8];
    EXPECT_EQ(GetDlgItemTextA(dialog, kEdit, buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "start");
    EXPECT_TRUE(d.typeText(kEdit, "a much longer text"));
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    EXPECT_EQ(GetDlgItemTextA(dialog, kEdit, buffer, 4), 3u);
    EXPECT_STREQ(buffer, "a m");
    EXPECT_EQ(GetDlgItemTextA(dialog, 999, buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
    d.pressEnter();
  });
  const auto got = commands();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].wParam, MAKEWPARAM(kEdit, EN_CHANGE));
  EXPECT_EQ(got[1].wParam, MAKEWPARAM(IDOK, BN_CLICKED));
}

TEST_F(Dialogs, DialogHandlesAnswerTheWindowCalls) {
  run([&](Dialog& outer) {
    const HWND dialog = outer.handle();
    EXPECT_TRUE(IsWindow(dialog));
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(dialog, &rect));
    EXPECT_EQ(rect.right - rect.left, 300); // 200 units of 6 / 4 pixels
    EXPECT_EQ(rect.bottom - rect.top, 163);
    EXPECT_TRUE(SetWindowPos(dialog, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    ASSERT_TRUE(GetWindowRect(GetDlgItem(dialog, kSlider), &rect));
    EXPECT_EQ(rect.left, 40 + 105);
    EXPECT_EQ(rect.top, 50 + 16);
    EXPECT_EQ(GetParent(GetDlgItem(dialog, kSlider)), dialog);

    // A dialog opened from this one starts over it and is owned by it.
    HWND inner = nullptr;
    host_.onDialog(600, [&](Dialog& d) {
      inner = d.handle();
      RECT r{};
      GetWindowRect(inner, &r);
      EXPECT_EQ(r.left, 40);
      EXPECT_EQ(r.top, 50);
      EXPECT_EQ(GetParent(inner), dialog);
      d.cancel();
    });
    const dialogs::DialogTemplate second = testTemplate(600);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &second, dialog, recordingProc, 0), IDCANCEL);
    EXPECT_NE(inner, nullptr);
    outer.cancel();
  });
}

class NoDisplay final : public dialogs::DialogHost {
public:
  std::string unavailableReason() override { return "no display"; }
  dialogs::FontMetrics fontMetrics(const dialogs::DialogTemplate&) override { return dialogs::kClassicDialogFont; }
  void runModal(Dialog&) override { ADD_FAILURE() << "shown"; }
  int messageBox(HWND, const std::string&, const std::string&, UINT) override { return IDOK; }
  std::optional<std::string> chooseFile(HWND, const dialogs::FileRequest&) override { return std::nullopt; }
};

TEST_F(Dialogs, WithoutADisplayNothingIsShownAndTheCallsSaySo) {
  NoDisplay none;
  dialogs::setDialogHost(&none);
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &template_, nullptr, recordingProc, 0), -1);
  EXPECT_TRUE(g_received.empty());
  EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK), 0);
  EXPECT_EQ(dialogs::dialogsUnavailableReason(), "no display");
}

} // namespace
