// The window's part of the global state: handles, drawing surfaces, GDI+
// objects and formats, set once at start-up and released at WM_DESTROY.
#pragma once

#include <windows.h>
#include <gdiplus.h>
#include <richedit.h>

#include <cstdint>

#include "base/app_state.h"
#include "ui/window_layout.h"

// The program calls GDI+ through its flat interface only.
using GdiplusGraphics = Gdiplus::GpGraphics;
using GdiplusImage = Gdiplus::GpImage;

// A decoded PNG: the bitmap reads its encoded bytes from the stream for as
// long as it lives, so the stream (which owns its memory block) is kept with
// it and released after the bitmap is disposed.
struct PngImage {
  GdiplusImage* bitmap;
  IStream* stream;
};

struct WindowPart {
  ULONG_PTR gdiplusToken;
  HMODULE richEditModule;
  CHARFORMAT2W richTextFormat;
  PARAFORMAT2 paragraphFormat;
  HICON icon;
  int32_t screenDpi;
  HFONT font;
  HWND controls[kControlCount];
  HWND mainWindow;
  HDC backBufferDc;
  HDC windowDc;
  HBITMAP backBufferBitmap;
  HBITMAP hoverOverlayBitmap;
  HDC hoverOverlayDc;
  int32_t windowHeight;
  int32_t windowWidth;
  PngImage busyPicture;
  PngImage buttonFaces[kImageButtonCount];
  ImageButton buttons[kImageButtonCount];
  GdiplusGraphics* backBufferGraphics;
  GdiplusGraphics* windowGraphics;
  // Where the first credits link starts, to tell the two links apart.
  LONG firstLinkStart;
  // The control that last had the keyboard focus: it gets it back when the
  // window is activated again or its background is clicked.
  HWND lastFocus;
  // The focus as the message loop last saw it.
  HWND focusSeen;
  // The report list row the keyboard ticks and moves (a list item).
  int32_t keyboardRow;
  // The class procedures under the window's own for the image buttons and
  // the page tabs.
  WNDPROC buttonClassProc;
  WNDPROC pageTabsClassProc;
  WNDPROC selectorClassProc;
  // The selector has the focus but looks as without it until the user
  // clicks it or uses the keyboard (see GiveFocus).
  bool selectorFocusHidden;
  // A key that moves the focus was pressed: focus cues show from then on.
  bool focusCuesShown;
  // A program text on its way into a control (see wide_text.h).
  wchar_t wideText[kTextBufferSize];
};

extern WindowPart g_Window;

inline HWND Control(ControlId id) { return g_Window.controls[id]; }
