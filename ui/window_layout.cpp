// Geometry tables and tests of the main window.
#include "ui/window_layout.h"

namespace {

constexpr Extent Fixed(int32_t value) { return {value, Anchor::kNone}; }
constexpr Extent FromRight(int32_t offset) { return {offset, Anchor::kRight}; }
constexpr Extent FromBottom(int32_t offset) { return {offset, Anchor::kBottom}; }
constexpr Extent Width(int32_t offset) { return {offset, Anchor::kWidth}; }
constexpr Extent Height(int32_t offset) { return {offset, Anchor::kHeight}; }

int32_t Resolve(const Extent& e, const ClientRect& rc) {
  switch (e.anchor) {
    case Anchor::kRight: return rc.right + e.offset;
    case Anchor::kBottom: return rc.bottom + e.offset;
    case Anchor::kWidth: return rc.right - rc.left + e.offset;
    case Anchor::kHeight: return rc.bottom - rc.top + e.offset;
    case Anchor::kNone: break;
  }
  return e.offset;
}

}  // namespace

const std::array<ControlLayout, kControlCount> ControlLayouts = {{
    {"SysTabControl32", nullptr, false, kPageTabsStyle, Fixed(0), Fixed(0), Width(0), Height(0)},
    {"RichEdit20W", nullptr, false, kCreditsLineStyle, Fixed(10), FromBottom(-25), Width(-20), Fixed(23)},
    {"static", "Модем:", true, kOwnerDrawnStaticStyle, Fixed(10), Fixed(35), Fixed(55), Fixed(18)},
    {"button", "Получить информацию", false, kImageButtonStyle, Fixed(260), Fixed(32), Fixed(200), Fixed(24)},
    {"button", "Копировать", false, kImageButtonStyle, Fixed(530), Fixed(32), Fixed(120), Fixed(24)},
    {"static", nullptr, false, kOwnerDrawnStaticStyle, Fixed(10), Fixed(64), Width(-20), Fixed(2)},
    {"static", nullptr, false, kOwnerDrawnStaticStyle, Fixed(10), FromBottom(-31), Width(-20), Fixed(2)},
    {"SysListView32", nullptr, false, kReportListStyle, Fixed(10), Fixed(72), Width(-30), Height(-102)},
    {"combobox", nullptr, true, kModemSelectorStyle, Fixed(65), Fixed(33), Fixed(180), Fixed(100)},
    {"RichEdit20W", nullptr, true, kTerminalOutputStyle, Fixed(10), Fixed(72), Width(-20), Height(-157)},
    {"static", "Команда:", false, kHiddenOwnerDrawnStaticStyle, Fixed(10), FromBottom(-60), Fixed(70),
     Fixed(20)},
    {"edit", nullptr, false, kTerminalInputStyle, Fixed(80), FromBottom(-60), Width(-135), Fixed(20)},
    {"button", "Отправить", false, kHiddenImageButtonStyle, FromRight(-50), FromBottom(-80), Fixed(40),
     Fixed(43)},
    // Over the whole report area, so that it also covers the busy picture.
    {"RichEdit20W", nullptr, false, kStickNoticeStyle, Fixed(10), Fixed(72), Width(-30), Height(-102)},
}};

const std::array<ControlId, kControlCount> CreationOrder = {{
    kPageTabs,
    kCreditsLine,
    kQueryButtonControl,
    kCopyButtonControl,
    kUpperRule,
    kLowerRule,
    kReportList,
    kStickNotice,
    kModemLabel,
    kModemSelector,
    kTerminalOutput,
    kCommandLabel,
    kTerminalInput,
    kSendButtonControl,
}};

PixelRect ControlRect(ControlId id, const ClientRect& rc) {
  const ControlLayout& c = ControlLayouts[id];
  return {Resolve(c.x, rc), Resolve(c.y, rc), Resolve(c.width, rc), Resolve(c.height, rc)};
}

Page ControlPage(ControlId id) {
  switch (id) {
    case kReportList:
    case kStickNotice:
    case kQueryButtonControl:
    case kCopyButtonControl: return Page::kInformation;
    case kTerminalOutput:
    case kCommandLabel:
    case kTerminalInput:
    case kSendButtonControl: return Page::kTerminal;
    default: return Page::kBoth;
  }
}

bool ControlShownOnPage(ControlId id, Page page, bool noModem) {
  const Page where = ControlPage(id);
  if (where != Page::kBoth && where != page) return false;
  if (id == kReportList) return !noModem;
  if (id == kStickNotice) return noModem;
  return true;
}

ControlId ControlInPlaceOf(ControlId id, bool noModem) {
  if (id == kReportList && noModem) return kStickNotice;
  if (id == kStickNotice && !noModem) return kReportList;
  return id;
}

ImageButton ButtonGeometry(ImageButtonId id, const ClientRect& rc) {
  ImageButton b{};
  b.hoverEnabled = 1;
  switch (id) {
    case kQueryButton: b.x = 260, b.y = 32, b.width = 200, b.height = 24; break;
    case kCopyButton: b.x = 530, b.y = 32, b.width = 120, b.height = 24; break;
    default: b.x = rc.right - 50, b.y = rc.bottom - 80, b.width = 40, b.height = 43; break;
  }
  return b;
}

ControlId ButtonControl(ImageButtonId id) {
  switch (id) {
    case kQueryButton: return kQueryButtonControl;
    case kCopyButton: return kCopyButtonControl;
    default: return kSendButtonControl;
  }
}

ImageButtonId ButtonOfControl(ControlId id) {
  switch (id) {
    case kQueryButtonControl: return kQueryButton;
    case kCopyButtonControl: return kCopyButton;
    case kSendButtonControl: return kSendButton;
    default: return kNoButton;
  }
}

bool PointInButton(const ImageButton& b, int32_t px, int32_t py) {
  return b.x <= px && px <= b.x + b.width && b.y <= py && py <= b.y + b.height;
}

PixelRect HighlightRect(const ImageButton& b) {
  return {b.x - kHighlightMargin, b.y - kHighlightMargin, b.width + 2 * kHighlightMargin,
          b.height + 2 * kHighlightMargin};
}

ImageButtonId ButtonAtPoint(const ImageButton* buttons, Page page, int32_t px, int32_t py) {
  ImageButtonId hit = kNoButton;
  if (page == Page::kInformation) {
    if (PointInButton(buttons[kQueryButton], px, py)) hit = kQueryButton;
    if (PointInButton(buttons[kCopyButton], px, py)) hit = kCopyButton;
  }
  if (page == Page::kTerminal && PointInButton(buttons[kSendButton], px, py)) hit = kSendButton;
  return hit;
}

bool DateGateOpen(int32_t year, int32_t month) { return year > 2014 || (year == 2014 && month >= 8); }

int32_t FontHeightForDpi(int32_t dpi) { return dpi > 0 ? -1296 / dpi : -13; }

int32_t TwipsForDpi(int32_t size, int32_t dpi) { return dpi > 0 ? size * 96 / dpi : size; }
