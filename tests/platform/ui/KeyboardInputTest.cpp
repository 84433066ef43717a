// Keyboard input: the shift state of key messages, the key events of controls, typed characters as
// the window takes them, and (under an X server, through xdotool) the messages the window system's
// own key events become: keypad and other virtual keys, characters typed with Alt and Alt+keypad
// codes. CTest runs the X11 cases through xvfb-run as test_platform_ui_x11; elsewhere they skip.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/base/NLS.h"
#include "platform/ui/Controls.h"
#include "platform/ui/GuiSession.h"
#include "support/X11TestUtil.h"

namespace keyboard_input_test {

struct TKeyMessage {
  Cardinal Msg;
  WPARAM WParam;
  TShiftState Shift;  // of key-down and key-up
  bool operator==(const TKeyMessage& o) const { return Msg == o.Msg && WParam == o.WParam && Shift == o.Shift; }
};

std::string Describe(const std::vector<TKeyMessage>& Messages) {
  std::string s;
  for (const TKeyMessage& m : Messages) {
    switch (m.Msg) {
      case WM_KEYDOWN: s += "down"; break;
      case WM_KEYUP: s += "up"; break;
      case WM_CHAR: s += "char"; break;
      case WM_SYSCHAR: s += "syschar"; break;
      case WM_UNICHAR: s += "unichar"; break;
      default: s += std::to_string(m.Msg);
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "(%lx", static_cast<unsigned long>(m.WParam));
    s += buf;
    if (m.Shift.Contains(ssShift)) s += ",S";
    if (m.Shift.Contains(ssCtrl)) s += ",C";
    if (m.Shift.Contains(ssAlt)) s += ",A";
    s += ") ";
  }
  return s;
}

// A control that notes its key messages, with the shift state its key handlers get.
class TKeyProbe : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::vector<TKeyMessage> Seen;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_CHAR || m.Msg == WM_SYSCHAR || m.Msg == WM_UNICHAR) Seen.push_back({m.Msg, m.WParam, {}});
    if (m.Msg == WM_GETDLGCODE) {
      m.Result = DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    }
    TWinControl::Dispatch(m);
  }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override {
    Seen.push_back({WM_KEYDOWN, Key, Shift});
    TWinControl::KeyDown(Key, Shift);
  }
  void KeyUp(WORD& Key, TShiftState Shift) override {
    Seen.push_back({WM_KEYUP, Key, Shift});
    TWinControl::KeyUp(Key, Shift);
  }
};

// The shift state of a key message comes from the keyboard state the message was sent with (Alt
// also from the message's key data), not from the keyboard as it is when the message is handled.
TEST(KeyboardInput, KeyMessagesCarryTheirShiftState) {
  struct Case {
    int Down[3];
    LPARAM KeyData;
    TShiftState Shift;
  } const Cases[] = {
      {{0, 0, 0}, 0, {}},
      {{VK_SHIFT, 0, 0}, 0, {ssShift}},
      {{VK_CONTROL, VK_SHIFT, 0}, 0, {ssShift, ssCtrl}},
      {{VK_MENU, 0, 0}, 0, {ssAlt}},
      {{0, 0, 0}, AltMask, {ssAlt}},
      {{VK_LSHIFT, VK_CAPITAL, 0}, 0, {}},
  };
  TKeyProbe p(nullptr);
  WideChar Pressed = 0;
  std::vector<TShiftState> Events;
  p.OnKeyDown = [&](TObject*, WORD&, TShiftState s) { Events.push_back(s); };
  p.OnKeyUp = [&](TObject*, WORD&, TShiftState s) { Events.push_back(s); };
  p.OnKeyPress = [&](TObject*, WideChar& k) { Pressed = k; };
  for (const Case& c : Cases) {
    BYTE state[256] = {};
    for (int k : c.Down)
      if (k) state[k] = 0x80;
    ASSERT_TRUE(SetKeyboardState(state));
    p.Seen.clear();
    Events.clear();
    p.Perform(WM_KEYDOWN, 'A', c.KeyData);
    p.Perform(WM_KEYUP, 'A', c.KeyData);
    EXPECT_EQ(Describe(p.Seen), Describe({{WM_KEYDOWN, 'A', c.Shift}, {WM_KEYUP, 'A', c.Shift}}));
    EXPECT_EQ(Events, (std::vector<TShiftState>{c.Shift, c.Shift}));
    EXPECT_EQ(KeyDataToShiftState(c.KeyData), c.Shift);
  }
  p.Perform(WM_CHAR, 0x263A, 0);
  EXPECT_EQ(Pressed, 0x263A);
  const BYTE none[256] = {};
  SetKeyboardState(none);
}

TEST(KeyboardInput, KeyStateHasTheDownAndToggleBits) {
  BYTE state[256] = {};
  state[VK_SHIFT] = 0x80;
  state[VK_CAPITAL] = 0x01;
  state[VK_NUMLOCK] = 0x81;
  SetKeyboardState(state);
  EXPECT_EQ(GetKeyState(VK_SHIFT), static_cast<std::int16_t>(0x8000));
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 1);
  EXPECT_EQ(GetKeyState(VK_NUMLOCK), static_cast<std::int16_t>(0x8001));
  EXPECT_EQ(GetKeyState('A'), 0);
  EXPECT_EQ(GetKeyState(-1), 0);
  EXPECT_EQ(GetKeyState(256), 0);
  BYTE back[256] = {};
  ASSERT_TRUE(GetKeyboardState(back));
  EXPECT_EQ(back[VK_NUMLOCK], 0x81);
  EXPECT_FALSE(GetKeyboardState(nullptr));
  EXPECT_FALSE(SetKeyboardState(nullptr));
  const BYTE none[256] = {};
  SetKeyboardState(none);
}

// A typed character goes out as the window system sends it: with Alt as a system character, beyond
// the basic plane whole to a window that takes whole code points, else as two units.
TEST(KeyboardInput, TypedCharactersAreSentAsTheWindowTakesThem) {
  struct Case {
    char32_t Code;
    bool Alt;
    bool TakesUniChar;
    const char* Messages;
  } const Cases[] = {
      {U'a', false, false, "char(61) "},
      {U'a', false, true, "char(61) "},
      {U'q', true, true, "syschar(71) "},
      {0x263A, false, true, "char(263a) "},
      {0x1F600, false, false, "unichar(ffff) char(d83d) char(de00) "},
      {0x1F600, false, true, "unichar(ffff) unichar(1f600) "},
      {0x10FFFF, false, false, "unichar(ffff) char(dbff) char(dfff) "},
      {0x1F600, true, true, "syschar(d83d) syschar(de00) "},
  };
  for (const Case& c : Cases) {
    std::vector<TKeyMessage> Sent;
    std::vector<LPARAM> Data;
    SendTypedCharacter(c.Code, c.Alt, [&](Cardinal Msg, WPARAM W, LPARAM L) -> LRESULT {
      Sent.push_back({Msg, W, {}});
      Data.push_back(L);
      return Msg == WM_UNICHAR && W == UNICODE_NOCHAR && c.TakesUniChar ? 1 : 0;
    });
    EXPECT_EQ(Describe(Sent), c.Messages) << static_cast<unsigned>(c.Code);
    for (std::size_t i = 0; i < Sent.size(); ++i) {
      if (Sent[i].Msg == WM_SYSCHAR) {
        EXPECT_EQ(KeyDataToShiftState(Data[i]), TShiftState{ssAlt});
      }
    }
  }
}

// ---- under an X server ------------------------------------------------------------------------------

using x11_test_util::RunCommand;
using x11_test_util::WaitUntil;

struct KeyboardInputX11 : ::testing::Test {
  std::unique_ptr<TKeyProbe> Probe;
  void SetUp() override {
    if (WindowSystemName() != "xcb") GTEST_SKIP() << "needs an X server (CTest entry test_platform_ui_x11)";
    ASSERT_TRUE(RunCommand("command -v xdotool")) << "xdotool is missing: scripts/setup.sh installs it";
    Probe = std::make_unique<TKeyProbe>(nullptr);
    Probe->SetBounds(40, 40, 200, 100);
    Probe->HandleNeeded();
    ShowWindow(Probe->GetHandle(), SW_SHOW);
    SetForegroundWindow(Probe->GetHandle());
    Probe->SetFocus();
    ProcessMessages(100);
    ASSERT_TRUE(WaitUntil([&] { return Probe->Focused(); }));
  }
  void TearDown() override {
    if (Probe) ShowWindow(Probe->GetHandle(), SW_HIDE);
  }
  // The messages that xdotool's keys give, once they stop coming.
  std::string Keys(const std::string& Args) {
    Probe->Seen.clear();
    // xdotool reads the characters it types in the locale's encoding.
    EXPECT_TRUE(RunCommand("LC_ALL=C.UTF-8 xdotool " + Args));
    std::size_t n = 0;
    WaitUntil([&] {
      if (Probe->Seen.size() == n && n > 0) return true;
      n = Probe->Seen.size();
      ProcessMessages(100);
      return false;
    });
    return Describe(Probe->Seen);
  }
};

TEST_F(KeyboardInputX11, KeysBecomeVirtualKeysWithTheirShiftState) {
  // The keypad's digits are keypad keys while Num Lock is on.
  RunCommand("numlockx on || true");
  struct Case {
    const char* Keys;
    const char* Messages;
  } const Cases[] = {
      {"key a", "down(41) char(61) up(41) "},
      // xdotool lets the modifier go first.
      {"key shift+Left", "down(10,S) down(25,S) up(10) up(25) "},
      {"key ctrl+Tab", "down(11,C) down(9,C) up(11) up(9) "},
      {"key Tab", "down(9) char(9) up(9) "},
      {"key alt+q", "down(12,A) down(51,A) syschar(71) up(12) up(51) "},
      {"key Super_L", "down(5b) up(5b) "},
      {"key Print", "down(2c) up(2c) "},
  };
  for (const Case& c : Cases) EXPECT_EQ(Keys(c.Keys), c.Messages) << c.Keys;
}

TEST_F(KeyboardInputX11, AltAndKeypadDigitsTypeACharacterByItsCode) {
  SetACP(1252);
  SetOEMCP(437);
  // The keypad gives digits whatever Num Lock says, so that xdotool needs no Num Lock presses
  // between the digits (which, as any other key would, end the code).
  if (!RunCommand("setxkbmap -option numpad:mac")) GTEST_SKIP() << "setxkbmap cannot set the keypad to digits";
  ASSERT_EQ(Keys("key KP_1"), "down(61) char(31) up(61) ");
  EXPECT_EQ(Keys("keydown alt key KP_0 KP_1 KP_6 KP_9 keyup alt"),
            "down(12,A) down(60,A) up(60,A) down(61,A) up(61,A) down(66,A) up(66,A) down(69,A) up(69,A) up(12) "
            "char(a9) ");
  // Without the leading 0 the OEM code page's character.
  EXPECT_EQ(Keys("keydown alt key KP_1 KP_6 KP_9 keyup alt"),
            "down(12,A) down(61,A) up(61,A) down(66,A) up(66,A) down(69,A) up(69,A) up(12) char(2310) ");
  // Another key between cancels the code.
  EXPECT_EQ(Keys("keydown alt key KP_1 Left KP_6 KP_5 keyup alt"),
            "down(12,A) down(61,A) up(61,A) down(25,A) up(25,A) down(66,A) up(66,A) down(65,A) up(65,A) up(12) "
            "char(41) ");
}

}  // namespace keyboard_input_test
