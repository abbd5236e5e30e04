// The window's keyboard rules: which key does what where, the Tab order of
// both pages, the report list's keyboard row, the selector's arrows, and
// the creation order a screen reader reads the labels and buttons from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ui/keyboard.h"
#include "ui/report_view.h"
#include "ui/window_layout.h"

namespace {

using A = KeyAction;
constexpr Page kInfo = Page::kInformation;
constexpr Page kTerm = Page::kTerminal;
constexpr ControlId kNobody = kControlCount;

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
  const Case cases[] = {
      // Tab and the pages, wherever the focus is.
      {Key(kKeyTab), kModemSelector, kInfo, A::kFocusNext},
      {Key(kKeyTab, "s"), kNobody, kTerm, A::kFocusPrevious},
      {Key(kKeyTab, "c"), kReportList, kInfo, A::kNextPage},
      {Key(kKeyTab, "cs"), kTerminalInput, kTerm, A::kPreviousPage},
      {Key(kKeyTab, "a"), kModemSelector, kInfo, A::kLeaveToControl},
      // F5 on the report page only, once per press.
      {Key(kKeyF5), kNobody, kInfo, A::kQuery},
      {Key(kKeyF5), kCopyButtonControl, kInfo, A::kQuery},
      {Key(kKeyF5, "r"), kModemSelector, kInfo, A::kLeaveToControl},
      {Key(kKeyF5), kTerminalInput, kTerm, A::kLeaveToControl},
      // Enter on a button is its click; Space is the button's own.
      {Key(kKeyReturn), kQueryButtonControl, kInfo, A::kQuery},
      {Key(kKeyReturn), kCopyButtonControl, kInfo, A::kCopy},
      {Key(kKeyReturn), kSendButtonControl, kTerm, A::kSend},
      {Key(kKeyReturn, "r"), kCopyButtonControl, kInfo, A::kLeaveToControl},
      {Key(kKeySpace), kQueryButtonControl, kInfo, A::kLeaveToControl},
      // Enter in the command box sends, held down too, as it always did.
      {Key(kKeyReturn), kTerminalInput, kTerm, A::kSend},
      {Key(kKeyReturn, "r"), kTerminalInput, kTerm, A::kSend},
      {Key(kKeySpace), kTerminalInput, kTerm, A::kLeaveToControl},
      // The report list.
      {Key(kKeySpace), kReportList, kInfo, A::kToggleTick},
      {Key(kKeyA, "c"), kReportList, kInfo, A::kTickAll},
      {Key(kKeyC, "c"), kReportList, kInfo, A::kCopy},
      {Key(kKeyC, "cr"), kReportList, kInfo, A::kLeaveToControl},
      {Key(kKeyC, "c"), kModemSelector, kInfo, A::kLeaveToControl},
      {Key(kKeyReturn), kReportList, kInfo, A::kActivateRow},
      {Key(kKeyDown), kReportList, kInfo, A::kRowDown},
      {Key(kKeyHome), kReportList, kInfo, A::kFirstRow},
      {Key(kKeyPageDown), kReportList, kInfo, A::kLastRow},
      {Key(kKeySpace), kReportList, kTerm, A::kLeaveToControl},
      // The selector's arrows; Alt+Down opens its list.
      {Key(kKeyDown), kModemSelector, kInfo, A::kNextEntry},
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
  // listed: the other of the two is hidden and passed over.
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
  // Only controls of the page, each a Tab stop.
  for (ControlId id : kInformationTabOrder) EXPECT_NE(ControlPage(id), kTerm) << id;
  for (ControlId id : term) EXPECT_NE(ControlPage(id), kInfo) << id;
  for (ControlId id : kInformationTabOrder) EXPECT_NE(ControlLayouts[id].style & 0x00010000u, 0u) << id;
  for (ControlId id : term) EXPECT_NE(ControlLayouts[id].style & 0x00010000u, 0u) << id;
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

TEST(Keyboard, ScreenReadersFindNamedButtonsAndLabelsInCreationOrder) {
  // Every control once.
  std::array<ControlId, kControlCount> sorted = CreationOrder;
  std::sort(sorted.begin(), sorted.end());
  for (int32_t id = 0; id < kControlCount; ++id) EXPECT_EQ(sorted[id], id);
  const auto at = [](ControlId id) {
    return std::find(CreationOrder.begin(), CreationOrder.end(), id) - CreationOrder.begin();
  };
  // A label right before its box, and its sibling.
  for (const auto& pair :
       {std::make_pair(kModemLabel, kModemSelector), std::make_pair(kCommandLabel, kTerminalInput)}) {
    EXPECT_EQ(at(pair.first) + 1, at(pair.second)) << pair.first;
    EXPECT_EQ(ControlLayouts[pair.first].childOfPageTabs, ControlLayouts[pair.second].childOfPageTabs);
  }
  EXPECT_STREQ(ControlLayouts[kModemLabel].text, "Модем:");
  EXPECT_STREQ(ControlLayouts[kCommandLabel].text, "Команда:");
  // The buttons in Tab order, named by their captions, where the faces are.
  EXPECT_LT(at(kQueryButtonControl), at(kCopyButtonControl));
  EXPECT_LT(at(kCopyButtonControl), at(kSendButtonControl));
  EXPECT_EQ(at(kPageTabs), 0);  // the selector's parent comes first
  const char* const names[] = {"Получить информацию", "Копировать", "Отправить"};
  for (int32_t i = 0; i < kImageButtonCount; ++i) {
    const ControlId id = ButtonControl(static_cast<ImageButtonId>(i));
    EXPECT_EQ(ButtonOfControl(id), i);
    EXPECT_STREQ(ControlLayouts[id].className, "button");
    EXPECT_STREQ(ControlLayouts[id].text, names[i]);
  }
  EXPECT_EQ(ButtonOfControl(kReportList), kNoButton);
}

}  // namespace
