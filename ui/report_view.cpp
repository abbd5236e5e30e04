// Report list colours, row hiding, shop button rules and the copy text.
#include "ui/report_view.h"

#include <cstring>

#include "base/bounded_text.h"
#include "report/decoders.h"
#include "report/report_rows.h"
#include "shop/shop_link.h"

CellColours ReportCellColours(int32_t item, int32_t subItem) {
  if (item == kToggleItem) return {kToggleTextColorRef, false, 0};
  if (subItem == 1) return {kValueTextColorRef, true, kValueBackColorRef};
  return {kLabelTextColorRef, false, 0};
}

bool RowPaintedOver(int32_t item, int32_t extraRowsShown) {
  return extraRowsShown == 0 && item > kToggleItem;
}

const char* ToggleRowClicked(int32_t* extraRowsShown) {
  if (*extraRowsShown == 1) {
    *extraRowsShown = 0;
    return kToggleShowLabel;
  }
  *extraRowsShown = 1;
  return kToggleHideLabel;
}

bool ShopClickHits(int32_t x) { return x >= kShopButtonLeft; }

bool ShopLinkForReport(const char* model, const char* versions, bool dateGateOpen, char* link) {
  std::memset(link, 0, kShopLinkSize);
  char modelText[kShortTextSize];
  char versionsText[kShortTextSize];
  CopyText(modelText, sizeof modelText, model != nullptr ? model : "");
  CopyText(versionsText, sizeof versionsText, versions != nullptr ? versions : "");
  BuildShopLink(modelText, versionsText, link);
  if (!dateGateOpen) link[0] = '\0';
  return link[0] != '\0';
}

size_t ComposeReportText(const int32_t stateImages[kRowTableSize], char* out, size_t outSize) {
  if (outSize == 0) return 0;
  size_t length = 0;
  out[0] = '\0';
  for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId) {
    // 1 is an empty box; a ticked box (2) and no box at all (0) are copied.
    if (stateImages[rowId] == 1) continue;
    const char* label = RowTable[rowId].label;
    const char* value = RowValue(rowId);
    const size_t lineLength = std::strlen(label) + 2 + std::strlen(value) + 2;
    if (length + lineLength > outSize - 1) continue;
    for (const char* part : {label, ": ", value, "\r\n"}) {
      const size_t partLength = std::strlen(part);
      std::memcpy(out + length, part, partLength);
      length += partLength;
    }
  }
  // An LTE stick's measurements follow the rows, as in the command-line
  // report.
  char line[kShortTextSize];
  for (int32_t i = 0; LteReportLine(i, line, sizeof line); ++i) {
    const size_t lineLength = std::strlen(line);
    if (length + lineLength + 2 > outSize - 1) continue;
    std::memcpy(out + length, line, lineLength);
    std::memcpy(out + length + lineLength, "\r\n", 2);
    length += lineLength + 2;
  }
  out[length] = '\0';
  return length;
}
