// The main window's fixed geometry: window size, the child controls with
// their classes and styles, the image buttons, and the tests on them (hit
// test, highlight rectangle). Portable: the window code and the unit tests
// share these tables.
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t kWindowWidth = 690;
constexpr int32_t kWindowHeight = 640;
constexpr int32_t kWindowTop = 10;
// Window styles by number: this file includes no platform header.
// main_window.cpp ties each number to its WS_/TCS_/ES_/SS_/LVS_/CBS_ names.
constexpr uint32_t kMainWindowStyle = 0x10CA0000;
// The controls a user reaches with Tab carry WS_TABSTOP.
constexpr uint32_t kPageTabsStyle = 0x5601A000;
constexpr uint32_t kCreditsLineStyle = 0x40000800;
constexpr uint32_t kOwnerDrawnStaticStyle = 0x5000000D;
constexpr uint32_t kHiddenOwnerDrawnStaticStyle = 0x4000000D;
constexpr uint32_t kImageButtonStyle = 0x5001000B;
constexpr uint32_t kHiddenImageButtonStyle = 0x4001000B;
constexpr uint32_t kReportListStyle = 0x40014005;
constexpr uint32_t kModemSelectorStyle = 0x54810003;
constexpr uint32_t kTerminalOutputStyle = 0x40204844;
constexpr uint32_t kTerminalInputStyle = 0x40810000;
constexpr uint32_t kStickNoticeStyle = 0x40010804;
// The main window's own messages (WM_APP and on, by number): the worker
// thread of a query or scan posts the first when it is done; the second
// the window answers with 1 while such work runs, else 0 (the window tests
// ask it).
constexpr uint32_t kWorkDoneMessage = 0x8000 + 1;
constexpr uint32_t kWorkRunningMessage = 0x8000 + 2;
constexpr const char* kWindowClassName = "Brenvaltor";
constexpr const char* kWindowTitle = "  Brenvaltor v1.1";

// Colours: ARGB for GDI+, COLORREF (0x00BBGGRR) for GDI and the controls.
constexpr uint32_t kBackgroundArgb = 0xFFF0F0F0;
constexpr uint32_t kBackgroundColorRef = 0x00F0F0F0;
constexpr uint32_t kTabTextColorRef = 0x00AA0000;
constexpr uint32_t kListTextColorRef = 0x00AA0000;
constexpr uint32_t kLabelBrushArgb = 0xC80000FF;
constexpr uint32_t kCopyBoxPenArgb = 0xFF0000C8;
constexpr uint32_t kRulePenArgb = 0xFFC8C8C8;

struct ClientRect {
  int32_t left, top, right, bottom;
};

struct PixelRect {
  int32_t x, y, width, height;
};

// A coordinate or size of a control: a fixed number, plus one of the
// client rectangle's measures.
enum class Anchor { kNone, kRight, kBottom, kWidth, kHeight };
struct Extent {
  int32_t offset;
  Anchor anchor;
};

enum ControlId : int32_t {
  kPageTabs,
  kCreditsLine,
  kModemLabel,
  kQueryButtonControl,
  kCopyButtonControl,
  kUpperRule,
  kLowerRule,
  kReportList,
  kModemSelector,
  kTerminalOutput,
  kCommandLabel,
  kTerminalInput,
  kSendButtonControl,
  // In the report's place when no modem answered: what the vendor's sticks
  // are doing.
  kStickNotice,
  kControlCount,
};

// Every child control carries an identifier (its hMenu argument), so that
// tools outside the program find it with GetDlgItem on its parent.
constexpr int32_t kFirstControlIdentifier = 1000;
constexpr int32_t ControlIdentifier(ControlId id) { return kFirstControlIdentifier + id; }

// A control's window text is its name for screen readers: the image
// buttons carry their captions, and each label the text it shows (the
// window paints the labels itself). The other controls have none.
struct ControlLayout {
  const char* className;
  const char* text;
  bool childOfPageTabs;
  uint32_t style;
  Extent x, y, width, height;
};

extern const std::array<ControlLayout, kControlCount> ControlLayouts;

// The order the window creates its controls in. Screen readers name a
// selector or an edit box after the label created right before it, and
// walk the buttons in this order.
extern const std::array<ControlId, kControlCount> CreationOrder;

PixelRect ControlRect(ControlId id, const ClientRect& rc);

// The pages; kInformation and kTerminal are also the tab indices.
enum class Page : int32_t { kInformation = 0, kTerminal = 1, kBoth = 2 };
// Which page shows a control: both pages, or only one of them.
Page ControlPage(ControlId id);

// Whether a control shows on a page: the page's own controls, except that
// the stick notice takes the report list's place while no modem is listed.
bool ControlShownOnPage(ControlId id, Page page, bool noModem);

// The control shown in a control's place: the stick notice for the report
// list while no modem is listed, the report list for the notice once one
// is; any other control stands for itself. The focus follows it there.
ControlId ControlInPlaceOf(ControlId id, bool noModem);

// Image buttons: face, position, hover state.
enum ImageButtonId : int32_t { kNoButton = -1, kQueryButton, kCopyButton, kSendButton, kImageButtonCount };

struct ImageButton {
  void* image;  // the GDI+ bitmap of the face
  int32_t hovered;
  int32_t width;
  int32_t height;
  int32_t x;
  int32_t y;
  int32_t hoverEnabled;
};

constexpr int32_t kFirstButtonResource = 200;
constexpr int32_t kBusyPictureResource = 300;
constexpr int32_t kHoverOverlayResource = 250;
constexpr int32_t kIconResource = 100;

// The button's place for a client rectangle (the send button sits at the
// bottom right).
ImageButton ButtonGeometry(ImageButtonId id, const ClientRect& rc);

// The child control of an image button, and the image button of a control
// (kNoButton for the others).
ControlId ButtonControl(ImageButtonId id);
ImageButtonId ButtonOfControl(ControlId id);

// Both far edges belong to the button: the hit area is one pixel wider and
// taller than the face.
bool PointInButton(const ImageButton& button, int32_t px, int32_t py);

// The highlight covers the face and a 3-pixel frame around it.
constexpr int32_t kHighlightMargin = 3;
PixelRect HighlightRect(const ImageButton& button);

// The button hit by a click on a page, or kNoButton. On the information
// page the copy button wins where both would match.
ImageButtonId ButtonAtPoint(const ImageButton* buttons, Page page, int32_t px, int32_t py);

// The credits line and the shop button show only after July 2014 (UTC).
bool DateGateOpen(int32_t year, int32_t month);

// Font height for the vertical DPI (-13 at 96 DPI), truncated toward zero.
int32_t FontHeightForDpi(int32_t dpi);

// A rich-text size given in twips at 96 DPI, for the screen's DPI.
int32_t TwipsForDpi(int32_t size, int32_t dpi);
