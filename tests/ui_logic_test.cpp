// The window's portable rules: button hit tests, the date gate, DPI
// arithmetic, the hidden extra rows, the toggle, the shop button and the
// clipboard text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "report/report_rows.h"
#include "shop/shop_link.h"
#include "tests/fake_port.h"
#include "ui/report_view.h"
#include "ui/rescan_rules.h"
#include "ui/window_layout.h"

namespace {

// The client area of the 690 x 640 window with its caption and frame.
constexpr ClientRect kClient = {0, 0, 684, 611};

TEST(ImageButtons, HitTestIncludesBothFarEdges) {
  ImageButton buttons[kImageButtonCount];
  for (int i = 0; i < kImageButtonCount; ++i)
    buttons[i] = ButtonGeometry(static_cast<ImageButtonId>(i), kClient);
  constexpr Page kInfo = Page::kInformation;
  constexpr Page kTerm = Page::kTerminal;
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

TEST(StickNotice, TakesTheReportListsPlaceOnlyWithoutModem) {
  struct Case {
    ControlId id;
    Page page;
    bool noModem;
    bool shown;
  };
  const Case cases[] = {
      {kReportList, Page::kInformation, false, true},        {kReportList, Page::kInformation, true, false},
      {kStickNotice, Page::kInformation, true, true},        {kStickNotice, Page::kInformation, false, false},
      {kStickNotice, Page::kTerminal, true, false},          {kReportList, Page::kTerminal, false, false},
      {kQueryButtonControl, Page::kInformation, true, true}, {kTerminalOutput, Page::kTerminal, true, true},
      {kModemSelector, Page::kTerminal, true, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ControlShownOnPage(c.id, c.page, c.noModem), c.shown)
        << c.id << " page " << static_cast<int>(c.page) << " noModem " << c.noModem;
}

TEST(Rescan, DeviceEventsAndNewPorts) {
  // A change that counts cancels the follow-up to come; a query to remove
  // (0x8001) or a configuration change (0x0018) leaves it.
  for (const auto& [event, counts] : {std::pair{kDeviceArrival, true},
                                      {kDeviceRemoveComplete, true},
                                      {kDeviceNodesChanged, true},
                                      {0x8001u, false},
                                      {0x0018u, false}}) {
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
  for (const auto& [entry, port] :
       std::initializer_list<std::pair<const char*, int32_t>>{{"E1550 (COM5)", 5},
                                                              {"E (x) (COM254)", 254},
                                                              {"E3372 (192.168.8.1)", 0},
                                                              {"", 0},
                                                              {"E (COM)", 0},
                                                              {"E (COM300)", 0},
                                                              {"E (COM5) x", 0}})
    EXPECT_EQ(ComPortOfEntry(entry), port) << entry;
}

TEST(ReportView, ExtraRowsArePaintedOverOnlyWhileHidden) {
  for (int item = 0; item < 29; ++item) {
    EXPECT_EQ(RowPaintedOver(item, 0), item > 8) << item;
    EXPECT_FALSE(RowPaintedOver(item, 1)) << item;
  }
}

TEST(ReportView, ToggleAlternatesWithOneLeadingBlank) {
  int32_t shown = 0;
  EXPECT_STREQ(ToggleRowClicked(&shown), " - Скрыть доп. информацию");
  EXPECT_EQ(shown, 1);
  EXPECT_STREQ(ToggleRowClicked(&shown), " + Показать доп. информацию");
  EXPECT_EQ(shown, 0);
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
      {"E1550", "", false, 0},
      {"", "", true, 0},
      {"E3372h", "", true, 2},
      {"Unknown", "", true, 0},
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
  EXPECT_FALSE(ShopClickHits(501));
  EXPECT_TRUE(ShopClickHits(502));
}

std::string Compose(const int32_t (&states)[kRowTableSize], size_t size = kTextBufferSize) {
  std::string out(size, '\x7f');
  const size_t length = ComposeReportText(states, out.data(), out.size());
  EXPECT_EQ(out[length], '\0');
  return out.substr(0, length);
}

TEST(ReportView, CopyTextTakesTickedRowsInRowTableOrder) {
  ResetFakeModem();
  int32_t states[kRowTableSize];
  for (int rowId = 0; rowId < kRowTableSize; ++rowId) states[rowId] = RowTable[rowId].position < 8 ? 2 : 1;
  SetRowValue(kRowModel, "E1550");
  SetRowValue(kRowLockStatus, "Заблокирован (требуется код)");
  EXPECT_EQ(Compose(states),
            "Производитель: \r\nМодель: E1550\r\nВерсии (прошивки и железа): \r\nIMEI: \r\n"
            "Дата/время компиляции: \r\nВерсия Dashboard: \r\n"
            "Статус блокировки: Заблокирован (требуется код)\r\nОсталось попыток ввода кода: \r\n");
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
}

TEST(ReportView, CopyTextLeavesOutLinesThatDoNotFit) {
  ResetFakeModem();
  int32_t states[kRowTableSize];
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

}  // namespace
