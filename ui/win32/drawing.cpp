// GDI and GDI+ drawing of the main window.
#include "ui/win32/drawing.h"

#include <cstring>

#include "ui/win32/wide_text.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// A Windows-1251 text handed to a rich edit through EM_STREAMIN, read piece
// by piece as UTF-16.
struct TextSource {
  const char* text;
  size_t length;
  size_t done;
};

DWORD CALLBACK ReadTextPiece(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
  TextSource* source = reinterpret_cast<TextSource*>(cookie);
  const size_t room = static_cast<size_t>(size) / sizeof(wchar_t);
  size_t piece = source->length - source->done;
  if (piece > room) piece = room;
  const size_t units =
      WidenText(source->text + source->done, piece, reinterpret_cast<wchar_t*>(buffer), room);
  source->done += piece;
  *written = static_cast<LONG>(units * sizeof(wchar_t));
  return 0;
}

}  // namespace

void LoadPngResource(int32_t id, PngImage* slot) {
  slot->bitmap = nullptr;
  slot->stream = nullptr;
  const HMODULE module = GetModuleHandleA(nullptr);
  const HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), RT_RCDATA);
  if (resource == nullptr) return;
  const DWORD size = SizeofResource(module, resource);
  const HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) return;

  const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (block == nullptr) return;
  void* copy = GlobalLock(block);
  if (copy == nullptr) {
    GlobalFree(block);
    return;
  }
  std::memcpy(copy, bytes, size);
  GlobalUnlock(block);

  // The stream owns the block (fDeleteOnRelease) and stays with the bitmap:
  // GDI+ may read the encoded bytes again whenever the bitmap is drawn.
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK) {
    GlobalFree(block);
    return;
  }
  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromStream(stream, &bitmap) != Ok) {
    stream->Release();
    return;
  }
  slot->bitmap = bitmap;
  slot->stream = stream;
}

void ReleasePng(PngImage* slot) {
  if (slot->bitmap != nullptr) GdipDisposeImage(slot->bitmap);
  if (slot->stream != nullptr) slot->stream->Release();
  slot->bitmap = nullptr;
  slot->stream = nullptr;
}

bool UpdateButtonHover(int32_t index, int32_t x, int32_t y) {
  ImageButton& b = g_Window.buttons[index];
  if (PointInButton(b, x, y)) {
    // The highlight goes on once per entry; it must never darken by being
    // blended twice.
    if (b.hovered == 0) {
      b.hovered = 1;
      LayHoverHighlight(b);
    }
    return true;
  }
  if (b.hovered == 1) {
    b.hovered = 0;
    PaintUnhighlighted(b);
  }
  return false;
}

void PrintTabsPage(HDC dc, POINT dcOrigin) {
  const HWND tabs = Control(kPageTabs);
  POINT origin{0, 0};
  MapWindowPoints(tabs, g_Window.mainWindow, &origin, 1);
  POINT previous{};
  OffsetViewportOrgEx(dc, origin.x - dcOrigin.x, origin.y - dcOrigin.y, &previous);
  SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

// The margin lies on the tabs' page, which the back buffer does not hold:
// its grey is the classic look's, while with the visual theme on (as on
// every Windows 10/11) the tabs paint their page white. So the margin is
// the back buffer with the tabs' own painting over it, and only the face
// comes from the back buffer alone.
void PaintUnhighlighted(const ImageButton& b) {
  const PixelRect r = HighlightRect(b);
  const HDC dc = g_Window.windowDc;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, r.x, r.y, r.x + r.width, r.y + r.height);
  ExcludeClipRect(dc, b.x, b.y, b.x + b.width, b.y + b.height);
  BitBlt(dc, r.x, r.y, r.width, r.height, g_Window.backBufferDc, r.x, r.y, SRCCOPY);
  PrintTabsPage(dc, POINT{0, 0});
  RestoreDC(dc, saved);
  BitBlt(dc, b.x, b.y, b.width, b.height, g_Window.backBufferDc, b.x, b.y, SRCCOPY);
}

void LayHoverHighlight(const ImageButton& b) {
  if (b.hoverEnabled == 0) return;
  const PixelRect r = HighlightRect(b);
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 70, 0};
  AlphaBlend(g_Window.windowDc, r.x, r.y, r.width, r.height, g_Window.hoverOverlayDc, kHighlightMargin,
             kHighlightMargin, r.width, r.height, blend);
}

void DrawLabelText(HDC dc, int32_t x, int32_t y, int32_t width, int32_t height, const wchar_t* text,
                   int32_t size, GpBrush* brush, int32_t vertical, char align, int32_t style) {
  GpGraphics* graphics = nullptr;
  if (GdipCreateFromHDC(dc, &graphics) != Ok) return;
  GdipSetTextRenderingHint(graphics, (style & FontStyleItalic) != 0 ? TextRenderingHintAntiAlias
                                                                    : TextRenderingHintAntiAliasGridFit);
  const RectF layout(static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width),
                     static_cast<REAL>(height));
  GpFontFamily* family = nullptr;
  GpFont* font = nullptr;
  GpStringFormat* format = nullptr;
  // Without the font (not installed) nothing is drawn, and nothing fails.
  if (GdipCreateFontFamilyFromName(L"Times New Roman", nullptr, &family) == Ok &&
      GdipCreateFont(family, static_cast<REAL>(size), style, UnitPixel, &font) == Ok &&
      GdipCreateStringFormat(0, 0, &format) == Ok) {
    if (align == 'C') GdipSetStringFormatAlign(format, StringAlignmentCenter);
    if (align == 'L') GdipSetStringFormatAlign(format, StringAlignmentNear);
    if (align == 'R') GdipSetStringFormatAlign(format, StringAlignmentFar);
    if (vertical != 0) GdipSetStringFormatFlags(format, StringFormatFlagsDirectionVertical);
    GdipDrawString(graphics, text, -1, font, &layout, format, brush);
  }
  GdipSetTextRenderingHint(graphics, TextRenderingHintAntiAliasGridFit);
  if (format != nullptr) GdipDeleteStringFormat(format);
  if (font != nullptr) GdipDeleteFont(font);
  if (family != nullptr) GdipDeleteFontFamily(family);
  GdipDeleteGraphics(graphics);
}

void DrawLabelTextInColour(HDC dc, const RECT& box, const wchar_t* text, int32_t size, uint32_t argb,
                           char align, int32_t style) {
  GpSolidFill* brush = nullptr;
  if (GdipCreateSolidFill(argb, &brush) != Ok) return;
  DrawLabelText(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, text, size, brush, 0,
                align, style);
  GdipDeleteBrush(brush);
}

void AppendRichText(HWND control, const char* text, int32_t size, DWORD effects, COLORREF colour) {
  CHARFORMAT2W& format = g_Window.richTextFormat;
  format.yHeight = TwipsForDpi(size, g_Window.screenDpi);
  format.dwEffects = effects;
  format.crTextColor = colour;
  SendMessageW(control, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  // Rich edits read a text that begins with "{\rtf" as rich text in some of
  // their messages (EM_REPLACESEL among them, on Windows). A modem's reply
  // may begin so; streamed in as SF_TEXT it can only ever be plain text. It
  // replaces the (empty) selection and takes the format just set there.
  TextSource source = {text, std::strlen(text), 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = ReadTextPiece;
  SendMessageW(control, EM_STREAMIN, SF_TEXT | SF_UNICODE | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
}

bool DateGate() {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  return DateGateOpen(now.wYear, now.wMonth);
}
