// The window's portable rules: button hit tests, the date gate, DPI
// arithmetic, rescans, the shop button, the clipboard text and the keyboard.
// The toggle row and the shop cell's click are the window test's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "report/report_rows.h"
#include "shop/shop_link.h"
#include "tests/fake_port.h"
#include "ui/keyboard.h"
#include "ui/report_view.h"
#include "ui/rescan_rules.h"
#include "ui/window_layout.h"

namespace {

// The client area of the 690 x 640 window with its caption and frame.
constexpr ClientRect kClient = {0, 0, 684, 611};
using A = KeyAction;
constexpr Page kInfo = Page::kInformation;
constexpr Page kTerm = Page::kTerminal;
constexpr ControlId kNobody = kControlCount;

TEST(ImageButtons, HitTestIncludesBothFarEdges) {
  ImageButton buttons[kImageButtonCount];
  for (int i = 0; i < kImageButtonCount; ++i)
    buttons[i] = ButtonGeometry(static_cast<ImageButtonId>(i), kClient);
  struct Case {
    Page page;
    int x, y;
    ImageButtonId hit;
  };
  const Case cases[] = {
      {kInfo, 260, 32, kQueryButton}, {kInfo, 460, 56, kQueryButton}, {kInfo, 461, 56, kNoButton},
      {kInfo, 460, 57, kNoButton},    {kInfo, 259, 40, kNoButton},    {kInfo, 300, 31, kNoButton},
      {kInfo, 530, 32, kCopyButton},  {kInfo, 650, 56, kCopyButton},  {kInfo, 651, 40, kNoButton},
      {kTerm, 300, 40, kNoButton},    {kTerm, 634, 531, kSendButton}, {kTerm, 674, 574, kSendButton},
      {kTerm, 675, 574, kNoButton},   {kInfo, 650, 560, kNoButton},   {Page::kBoth, 300, 40, kNoButton},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ButtonAtPoint(buttons, c.page, c.x, c.y), c.hit)
        << static_cast<int>(c.page) << " " << c.x << "," << c.y;
  // A click from Space or a screen reader finds its button by the control.
  for (int32_t i = 0; i < kImageButtonCount; ++i)
    EXPECT_EQ(ButtonOfControl(ButtonControl(static_cast<ImageButtonId>(i))), i);
}

TEST(DateGate, OpensAfterJuly2014) {
  struct Case {
    int year, month;
    bool open;
  };
  const Case cases[] = {{2014, 7, false}, {2014, 8, true},  {2014, 12, true}, {2013, 12, false},
                        {2015, 1, true},  {2026, 12, true}, {1601, 1, false}};
  for (const Case& c : cases) EXPECT_EQ(DateGateOpen(c.year, c.month), c.open) << c.year << "-" << c.month;
}

TEST(Dpi, FontHeightAndTwips) {
  struct Case {
    int dpi, fontHeight, twips220;
  };
  const Case cases[] = {{96, -13, 220}, {120, -10, 176}, {144, -9, 146}, {192, -6, 110}, {0, -13, 220}};
  for (const Case& c : cases) {
    EXPECT_EQ(FontHeightForDpi(c.dpi), c.fontHeight) << c.dpi;
    EXPECT_EQ(TwipsForDpi(220, c.dpi), c.twips220) << c.dpi;
  }
}

TEST(Rescan, DeviceEventsAndNewPorts) {
  // A change that counts cancels the follow-up to come; a query to remove
  // (0x8001) or a configuration change (0x0018) leaves it.
  const std::pair<uint32_t, bool> events[] = {
      {kDeviceArrival, true}, {kDeviceRemoveComplete, true}, {kDeviceNodesChanged, true}, {0x8001u, false},
      {0x0018u, false},
  };
  for (const auto& [event, counts] : events) {
    FollowUpState followUp = {true, true};
    EXPECT_EQ(TakeDeviceChange(&followUp, event), counts) << event;
    EXPECT_EQ(followUp.armed || followUp.done, !counts) << event;
  }
  // The follow-up comes once, after a quiet scan that found nothing new.
  FollowUpState followUp = {};
  EXPECT_FALSE(ArmFollowUp(&followUp, false, false));
  EXPECT_FALSE(ArmFollowUp(&followUp, true, true));
  EXPECT_TRUE(ArmFollowUp(&followUp, true, false));
  EXPECT_FALSE(ArmFollowUp(&followUp, true, false));
  const int32_t before[] = {5, 12};
  const int32_t gone[] = {12};
  const int32_t added[] = {5, 7, 12};
  EXPECT_FALSE(ScanFoundNewPort(before, 2, before, 2));
  EXPECT_FALSE(ScanFoundNewPort(before, 2, gone, 1));
  EXPECT_FALSE(ScanFoundNewPort(before, 2, nullptr, 0));
  EXPECT_TRUE(ScanFoundNewPort(before, 2, added, 3));
  EXPECT_TRUE(ScanFoundNewPort(nullptr, 0, gone, 1));
}

ComPortSet Ports(std::initializer_list<int32_t> numbers) {
  ComPortSet set{};
  for (int32_t n : numbers) set.has[n] = true;
  return set;
}

// What a rescan probes and keeps: the listed modems are E1550 (COM5) and
// E3372 (COM12); COM5 is the chosen entry's port or the terminal's.
TEST(Rescan, ProbesOnlyNewPortsAndSparesTheStickInUse) {
  struct Case {
    const char* name;
    ComPortSet before, now;
    std::vector<int32_t> spared, probed, kept;
  };
  const Case cases[] = {
      {"nothing changed", Ports({1, 5, 12}), Ports({1, 5, 12}), {5}, {}, {5, 12}},
      {"a new port", Ports({1, 5, 12}), Ports({1, 5, 7, 12}), {5}, {7}, {5, 12}},
      {"a stick gone", Ports({1, 5, 12}), Ports({1, 5}), {5}, {}, {5}},
      {"the stick in use gone", Ports({1, 5, 12}), Ports({1, 12}), {5}, {}, {12}},
      {"a new spared port", Ports({12}), Ports({5, 12, 254}), {5}, {254}, {5, 12}},
      {"a listed port new again", Ports({5}), Ports({5, 12}), {}, {12}, {5}},
  };
  for (const Case& c : cases) {
    g_App.ModemCount = 2;
    g_App.ModemPortNumbers[0] = 5;
    g_App.ModemPortNumbers[1] = 12;
    std::strcpy(g_App.ModemModelNames[1], "E3372");
    int32_t probe[kComPortSetSize];
    const int32_t count =
        PortsToProbe(c.before, c.now, c.spared.data(), static_cast<int32_t>(c.spared.size()), probe);
    EXPECT_EQ(std::vector<int32_t>(probe, probe + count), c.probed) << c.name;
    DropModemEntries(c.now, probe, count);
    EXPECT_EQ(std::vector<int32_t>(g_App.ModemPortNumbers, g_App.ModemPortNumbers + g_App.ModemCount), c.kept)
        << c.name;
    if (c.kept == std::vector<int32_t>{12}) {
      EXPECT_STREQ(g_App.ModemModelNames[0], "E3372") << c.name;
    }
  }
  // What the next scan takes as seen: with the follow-up to come, COM7
  // stays new; COM12, gone, is new again whenever it comes back.
  for (const bool followUp : {true, false}) {
    ComPortSet seen = Ports({5, 12});
    RememberScannedPorts(&seen, Ports({5, 7}), followUp);
    const ComPortSet want = followUp ? Ports({5}) : Ports({5, 7});
    EXPECT_TRUE(std::equal(seen.has, seen.has + kComPortSetSize, want.has)) << followUp;
  }
  const std::pair<const char*, int32_t> entries[] = {
      {"E1550 (COM5)", 5}, {"E (x) (COM254)", 254}, {"E3372 (192.168.8.1)", 0}, {"", 0},
      {"E (COM)", 0},      {"E (COM300)", 0},       {"E (COM5) x", 0}};
  for (const auto& [entry, port] : entries) EXPECT_EQ(ComPortOfEntry(entry), port) << entry;
}

TEST(ReportView, ShopButtonShowsForKnownModelsAfterTheDateGate) {
  struct Case {
    std::string model;
    const char* versions;
    bool gate;
    int item;  // 0: no link
  };
  const Case cases[] = {
      {"E1550", "", true, 1},
      {"", "", true, 0},
      {"E3272", "21.436.03.00.00", true, 1},
      // The model is read from the list as at most 255 characters: a known
      // name beyond that is never seen.
      {std::string(255, 'x') + "E1550", "", true, 0},
      {std::string(250, 'x') + "E1550", "", true, 1},
  };
  for (const Case& c : cases) {
    char link[kShopLinkSize];
    const bool shown = ShopLinkForReport(c.model.c_str(), c.versions, c.gate, link);
    EXPECT_EQ(shown, c.item != 0) << c.model;
    if (c.item != 0)
      EXPECT_EQ(std::string(link),
                std::string(ShopLinkBase) + std::to_string(c.item == 1 ? FirstListItem : SecondListItem));
    else
      EXPECT_STREQ(link, "");
  }
}

std::string Compose(const int32_t (&states)[kRowTableSize], size_t size = kTextBufferSize) {
  std::string out(size, '\x7f');
  const size_t length = ComposeReportText(states, out.data(), out.size());
  EXPECT_EQ(out[length], '\0');
  return out.substr(0, length);
}

TEST(ReportView, CopyTextTakesTickedRowsInRowTableOrderThatFit) {
  ResetFakeModem();
  int32_t states[kRowTableSize];
  // No box (0) is copied like a ticked one; the toggle row keeps its blank.
  for (int32_t& s : states) s = 1;
  states[kRowImsi] = 0;
  states[kToggleRow] = 2;
  EXPECT_EQ(Compose(states), "IMSI: \r\n + Показать доп. информацию: \r\n");
  for (int32_t& s : states) s = 1;
  EXPECT_EQ(Compose(states), "");
  // An LTE stick's measurements follow the rows.
  g_App.Lte.measured[kLteRsrp] = true;
  g_App.Lte.tenths[kLteRsrp] = -1060;
  EXPECT_EQ(Compose(states), "LTE RSRP: -106 dBm\r\n");
  // A line that does not fit is left out, the others kept.
  ResetFakeModem();
  for (int32_t& s : states) s = 2;
  SetRowValue(kRowMaker, "A");
  SetRowValue(kRowModel, std::string(40000, 'M').c_str());
  const std::string text = Compose(states, 32767);
  EXPECT_EQ(text.rfind("Производитель: A\r\nВерсия прошивки: \r\n", 0), 0u);
  EXPECT_EQ(text.find("Модель"), std::string::npos);
  EXPECT_NE(text.find("Осталось попыток ввода кода: \r\n"), std::string::npos);
  EXPECT_LE(text.size(), 32766u);
  char tiny[4];
  EXPECT_EQ(ComposeReportText(states, tiny, sizeof tiny), 0u);
  EXPECT_STREQ(tiny, "");
}

KeyPress Key(int32_t key, const char* modifiers = "") {
  return {key, std::strchr(modifiers, 'c') != nullptr, std::strchr(modifiers, 's') != nullptr,
          std::strchr(modifiers, 'a') != nullptr, std::strchr(modifiers, 'r') != nullptr};
}

TEST(Keyboard, KeysActByFocusAndPage) {
  struct Case {
    KeyPress press;
    ControlId focused;
    Page page;
    KeyAction action;
  };
  // The keys a user presses in gui_wine_e2e.sh are its own; here the keys it
  // does not press or cannot tell apart (with two pages, Ctrl+Tab and
  // Ctrl+Shift+Tab show the same), held down and with the focus elsewhere.
  const Case cases[] = {
      {Key(kKeyTab, "c"), kReportList, kInfo, A::kNextPage},
      {Key(kKeyTab, "cs"), kTerminalInput, kTerm, A::kPreviousPage},
      {Key(kKeyTab, "a"), kModemSelector, kInfo, A::kLeaveToControl},
      // F5 on the report page only, once per press.
      {Key(kKeyF5), kNobody, kInfo, A::kQuery},
      {Key(kKeyF5, "r"), kModemSelector, kInfo, A::kLeaveToControl},
      {Key(kKeyF5), kTerminalInput, kTerm, A::kLeaveToControl},
      // Enter on a button is its click; Space is the button's own.
      {Key(kKeyReturn), kQueryButtonControl, kInfo, A::kQuery},
      {Key(kKeyReturn), kCopyButtonControl, kInfo, A::kCopy},
      {Key(kKeyReturn, "r"), kCopyButtonControl, kInfo, A::kLeaveToControl},
      {Key(kKeySpace), kQueryButtonControl, kInfo, A::kLeaveToControl},
      // Enter in the command box sends, held down too, as it always did.
      {Key(kKeyReturn), kTerminalInput, kTerm, A::kSend},
      {Key(kKeyReturn, "r"), kTerminalInput, kTerm, A::kSend},
      {Key(kKeySpace), kTerminalInput, kTerm, A::kLeaveToControl},
      {Key(kKeyC, "cr"), kReportList, kInfo, A::kLeaveToControl},
      {Key(kKeyC, "c"), kModemSelector, kInfo, A::kLeaveToControl},
      {Key(kKeyReturn), kReportList, kInfo, A::kActivateRow},
      {Key(kKeyHome), kReportList, kInfo, A::kFirstRow},
      {Key(kKeyPageDown), kReportList, kInfo, A::kLastRow},
      {Key(kKeySpace), kReportList, kTerm, A::kLeaveToControl},
      // The selector's arrows; Alt+Down opens its list.
      {Key(kKeyUp), kModemSelector, kTerm, A::kPreviousEntry},
      {Key(kKeyDown, "a"), kModemSelector, kInfo, A::kLeaveToControl},
      {Key(kKeyReturn), kModemSelector, kInfo, A::kLeaveToControl},
      // The stick notice's keys are its own.
      {Key(kKeyReturn), kStickNotice, kInfo, A::kLeaveToControl},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ActionForKey(c.press, c.focused, c.page), c.action)
        << "key " << c.press.key << " focus " << c.focused << " page " << static_cast<int>(c.page);
}

TEST(Keyboard, TabOrderCyclesEachPage) {
  // The report list, or the stick notice in its place when no modem is
  // listed: the other of the two is hidden and passed over (the walk is what
  // checks which controls each page shows).
  const ControlId withModem[] = {kModemSelector, kQueryButtonControl, kCopyButtonControl, kReportList,
                                 kPageTabs};
  const ControlId noModem[] = {kModemSelector, kQueryButtonControl, kCopyButtonControl, kStickNotice,
                               kPageTabs};
  const ControlId term[] = {kTerminalInput, kSendButtonControl, kPageTabs};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(NextInTabOrder(kInfo, withModem[i], false, false), withModem[(i + 1) % 5]) << i;
    EXPECT_EQ(NextInTabOrder(kInfo, withModem[(i + 1) % 5], true, false), withModem[i]) << i;
    EXPECT_EQ(NextInTabOrder(kInfo, noModem[i], false, true), noModem[(i + 1) % 5]) << i;
    EXPECT_EQ(NextInTabOrder(kInfo, noModem[(i + 1) % 5], true, true), noModem[i]) << i;
  }
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(NextInTabOrder(kTerm, term[i], false, true), term[(i + 1) % 3]) << i;
    EXPECT_EQ(NextInTabOrder(kTerm, term[(i + 1) % 3], true, false), term[i]) << i;
  }
  // From the window itself or a control outside the order (the transcript,
  // a control of the other page): the page's first or last control; from
  // one just hidden, the next shown one.
  EXPECT_EQ(NextInTabOrder(kInfo, kNobody, false, false), kModemSelector);
  EXPECT_EQ(NextInTabOrder(kInfo, kNobody, true, true), kPageTabs);
  EXPECT_EQ(NextInTabOrder(kInfo, kStickNotice, false, false), kPageTabs);
  EXPECT_EQ(NextInTabOrder(kInfo, kReportList, true, true), kCopyButtonControl);
  EXPECT_EQ(NextInTabOrder(kTerm, kTerminalOutput, false, false), kTerminalInput);
  EXPECT_EQ(NextInTabOrder(kTerm, kQueryButtonControl, true, false), kPageTabs);
  EXPECT_EQ(FirstInTabOrder(kTerm), kTerminalInput);
  // The focus on the list or the notice goes to whichever of them shows.
  EXPECT_EQ(ControlInPlaceOf(kReportList, true), kStickNotice);
  EXPECT_EQ(ControlInPlaceOf(kStickNotice, false), kReportList);
  EXPECT_EQ(ControlInPlaceOf(kReportList, false), kReportList);
  EXPECT_EQ(ControlInPlaceOf(kModemSelector, true), kModemSelector);
}

TEST(Keyboard, KeyboardRowSkipsHiddenRowsAndStopsAtTheEnds) {
  struct Case {
    int32_t row;
    KeyAction move;
    int32_t shown;
    int32_t to;
  };
  const Case cases[] = {
      {0, A::kRowUp, 0, 0},   {0, A::kRowDown, 0, 1},    {7, A::kRowDown, 0, kToggleItem},
      {8, A::kRowDown, 0, 8}, {8, A::kRowDown, 1, 9},    {28, A::kRowDown, 1, 28},
      {5, A::kLastRow, 0, 8}, {5, A::kLastRow, 1, 28},   {20, A::kFirstRow, 1, 0},
      {20, A::kRowUp, 1, 19}, {3, A::kToggleTick, 0, 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MoveKeyboardRow(c.row, c.move, c.shown), c.to) << c.row << " " << static_cast<int>(c.move);
  EXPECT_TRUE(RowHasTickBox(0));
  EXPECT_TRUE(RowHasTickBox(28));
  EXPECT_FALSE(RowHasTickBox(kToggleItem));
  EXPECT_FALSE(RowHasTickBox(29));
}

TEST(Keyboard, SelectorArrowsAndFocusCues) {
  struct Case {
    int32_t selected, count;
    KeyAction step;
    int32_t to;
  };
  const Case cases[] = {{-1, 2, A::kNextEntry, 0},    {0, 2, A::kNextEntry, 1},
                        {1, 2, A::kNextEntry, 1},     {1, 2, A::kPreviousEntry, 0},
                        {0, 2, A::kPreviousEntry, 0}, {-1, 2, A::kPreviousEntry, -1},
                        {-1, 0, A::kNextEntry, -1}};
  for (const Case& c : cases) EXPECT_EQ(StepEntry(c.selected, c.count, c.step), c.to) << c.selected;

  for (int32_t key : {kKeyTab, kKeyLeft, kKeyUp, kKeyRight, kKeyDown, kKeyAlt})
    EXPECT_TRUE(KeyShowsFocusCues(Key(key))) << key;
  for (int32_t key : {kKeySpace, kKeyReturn, kKeyF5, kKeyA, kKeyHome})
    EXPECT_FALSE(KeyShowsFocusCues(Key(key))) << key;
  EXPECT_TRUE(KeyShowsFocusCues(Key(kKeyF5, "a")));
}

}  // namespace
