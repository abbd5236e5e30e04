// The window's portable rules: control geometry, button hit tests and
// highlight, the date gate, DPI arithmetic, report list colours and hiding,
// the toggle, the shop button and the clipboard text.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <string>

#include "report/report_rows.h"
#include "shop/shop_link.h"
#include "tests/fake_port.h"
#include "ui/report_view.h"
#include "ui/window_layout.h"

namespace {

// The client area of the 690 x 640 window with its caption and frame.
constexpr ClientRect kClient = {0, 0, 684, 611};

TEST(WindowLayout, ControlGeometryFollowsTheClientRectangle) {
  struct Case {
    ControlId id;
    PixelRect expected;
  };
  const Case cases[] = {
      {kPageTabs, {0, 0, 684, 611}},           {kCreditsLine, {10, 586, 664, 23}},
      {kModemLabel, {10, 35, 55, 18}},         {kQueryButtonStatic, {260, 32, 200, 24}},
      {kCopyButtonStatic, {530, 32, 120, 24}}, {kUpperRule, {10, 64, 664, 2}},
      {kLowerRule, {10, 580, 664, 2}},         {kReportList, {10, 72, 654, 509}},
      {kModemSelector, {65, 33, 180, 100}},    {kTerminalOutput, {10, 72, 664, 454}},
      {kCommandLabel, {10, 551, 70, 20}},      {kTerminalInput, {80, 551, 549, 20}},
      {kSendButtonStatic, {634, 531, 40, 43}},
  };
  for (const Case& c : cases) {
    const PixelRect r = ControlRect(c.id, kClient);
    EXPECT_EQ(std::make_tuple(r.x, r.y, r.width, r.height),
              std::make_tuple(c.expected.x, c.expected.y, c.expected.width, c.expected.height))
        << "control " << c.id;
  }
  // Only the selector and the transcript live inside the tab control.
  for (int id = 0; id < kControlCount; ++id)
    EXPECT_EQ(ControlLayouts[id].childOfPageTabs, id == kModemSelector || id == kTerminalOutput) << id;
}

TEST(WindowLayout, PagesOfTheControls) {
  EXPECT_EQ(ControlPage(kReportList), Page::kInformation);
  EXPECT_EQ(ControlPage(kCopyButtonStatic), Page::kInformation);
  EXPECT_EQ(ControlPage(kTerminalInput), Page::kTerminal);
  EXPECT_EQ(ControlPage(kSendButtonStatic), Page::kTerminal);
  for (ControlId id : {kModemLabel, kModemSelector, kUpperRule, kLowerRule, kCreditsLine, kPageTabs})
    EXPECT_EQ(ControlPage(id), Page::kBoth) << id;
}

TEST(ImageButtons, HitTestIncludesBothFarEdges) {
  ImageButton buttons[kImageButtonCount];
  for (int i = 0; i < kImageButtonCount; ++i)
    buttons[i] = ButtonGeometry(static_cast<ImageButtonId>(i), kClient);
  struct Case {
    int page, x, y, code;
  };
  const Case cases[] = {
      {0, 260, 32, 0},  {0, 460, 56, 0},  {0, 461, 56, -1},  {0, 460, 57, -1},  {0, 259, 40, -1},
      {0, 300, 31, -1}, {0, 530, 32, 1},  {0, 650, 56, 1},   {0, 651, 40, -1},  {1, 300, 40, -1},
      {1, 634, 531, 2}, {1, 674, 574, 2}, {1, 675, 574, -1}, {0, 650, 560, -1}, {2, 300, 40, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ButtonAtPoint(buttons, c.page, c.x, c.y), c.code) << c.page << " " << c.x << "," << c.y;
}

TEST(ImageButtons, HighlightCoversTheFaceAndAThreePixelFrameInsideTheOverlay) {
  for (int i = 0; i < kImageButtonCount; ++i) {
    const ImageButton b = ButtonGeometry(static_cast<ImageButtonId>(i), kClient);
    const PixelRect r = HighlightRect(b);
    EXPECT_EQ(r.x, b.x - 3);
    EXPECT_EQ(r.y, b.y - 3);
    EXPECT_EQ(r.width, b.width + 6);
    EXPECT_EQ(r.height, b.height + 6);
    // The overlay is read from (3, 3): it must hold the whole rectangle.
    EXPECT_LE(3 + r.width, 300);
    EXPECT_LE(3 + r.height, 76);
  }
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

TEST(ReportView, CellColoursAndHiddenRows) {
  struct Case {
    int item, subItem;
    uint32_t text;
    bool setBackground;
  };
  const Case cases[] = {
      {8, 0, 0x000000C8, false}, {8, 1, 0x000000C8, false}, {0, 0, 0x00A00000, false},
      {0, 1, 0x00006400, true},  {28, 1, 0x00006400, true}, {27, 0, 0x00A00000, false},
  };
  for (const Case& c : cases) {
    const CellColours colours = ReportCellColours(c.item, c.subItem);
    EXPECT_EQ(colours.text, c.text) << c.item << "/" << c.subItem;
    EXPECT_EQ(colours.setBackground, c.setBackground) << c.item << "/" << c.subItem;
    if (c.setBackground) {
      EXPECT_EQ(colours.background, 0x00C8FFFFu);
    }
  }
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
