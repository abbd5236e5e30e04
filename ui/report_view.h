// What the report list shows beyond its texts: the colours of each cell,
// which rows the toggle hides, the shop button in the lock-status row, and
// the text the copy button puts on the clipboard. Portable, so the rules are
// tested without a window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/app_state.h"

constexpr int32_t kToggleItem = 8;      // list item of the toggle row
constexpr int32_t kLockStatusItem = 6;  // list item of "Статус блокировки"
constexpr int32_t kModelItem = 1;       // list item of "Модель"
constexpr int32_t kVersionsItem = 2;    // list item of "Версии (прошивки и железа)"

constexpr uint32_t kLabelTextColorRef = 0x00A00000;
constexpr uint32_t kValueTextColorRef = 0x00006400;
constexpr uint32_t kValueBackColorRef = 0x00C8FFFF;
constexpr uint32_t kToggleTextColorRef = 0x000000C8;
constexpr uint32_t kFrameColorRef = 0x00A0A0A0;
constexpr uint32_t kShopFillColorRef = 0x00A0FFA0;
constexpr uint32_t kShopCaptionArgb = 0xFFA00000;

struct CellColours {
  uint32_t text;
  bool setBackground;  // false: keep the background the list proposes
  uint32_t background;
};

CellColours ReportCellColours(int32_t item, int32_t subItem);

// An extra row is painted over while the extra rows are hidden.
bool RowPaintedOver(int32_t item, int32_t extraRowsShown);

// The toggle's new label after a click, flipping *extraRowsShown.
const char* ToggleRowClicked(int32_t* extraRowsShown);

// The shop button in the lock-status value cell (list client coordinates):
// the cell's frame ends at x = 500, the button runs from x = 502 to the
// cell's right edge. A click opens the shop from x = 502 on.
constexpr int32_t kShopFrameRight = 500;
constexpr int32_t kShopButtonLeft = 502;
bool ShopClickHits(int32_t x);

// The shop link for the current model and versions texts when the button
// shows: the date gate open and the model known to the shop. Each text is
// bounded to 255 characters, as read from the list. link: 256 bytes.
bool ShopLinkForReport(const char* model, const char* versions, bool dateGateOpen, char* link);

// The clipboard text: one "label: value" CR LF line per RowTable entry whose
// tick box state image is not 1 (an empty box), in RowTable order. A line
// that would overflow outSize - 1 characters is left out whole; later lines
// that fit still follow; the LTE measurement lines of an LTE stick come
// last. Returns the length.
size_t ComposeReportText(const int32_t stateImages[kRowTableSize], char* out, size_t outSize);
