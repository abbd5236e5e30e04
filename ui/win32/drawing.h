// Drawing routines of the main window: PNG faces from the resources, the
// hover highlight of the image buttons, GDI+ captions, rich-text runs.
#pragma once

#include "ui/win32/window_part.h"

// Decodes the PNG stored as RCDATA resource `id` into slot. The slot stays
// empty when the resource is missing or cannot be decoded.
void LoadPngResource(int32_t id, PngImage* slot);
void ReleasePng(PngImage* slot);

// Lays the highlight over button `index` when the point enters it, wipes it
// off when the point leaves. Returns whether the point is inside.
bool UpdateButtonHover(int32_t index, int32_t x, int32_t y);

// Paints over dc what the tabs paint on their page (white with the visual
// theme on, nothing with the classic look); dc's (0, 0) lies at dcOrigin in
// the main window's client area.
void PrintTabsPage(HDC dc, POINT dcOrigin);

// Paints a button's face and margin as they are without the highlight.
void PaintUnhighlighted(const ImageButton& button);

// Lays the highlight over a button's face and margin, which must show the
// un-highlighted picture.
void LayHoverHighlight(const ImageButton& button);

// Draws text with GDI+ ("Times New Roman", size in pixels) into a
// rectangle of dc; align is 'C', 'L' or 'R', style the GDI+ font style bits.
void DrawLabelText(HDC dc, int32_t x, int32_t y, int32_t width, int32_t height, const wchar_t* text,
                   int32_t size, Gdiplus::GpBrush* brush, int32_t vertical, char align, int32_t style);

// The same with a solid brush of the given ARGB colour, made for the call.
void DrawLabelTextInColour(HDC dc, const RECT& box, const wchar_t* text, int32_t size, uint32_t argb,
                           char align, int32_t style);

// Appends one formatted run to a rich-edit control, always as plain text;
// size is in twips as meant at 96 DPI.
void AppendRichText(HWND control, const char* text, int32_t size, DWORD effects, COLORREF colour);

// Open after July 2014 (UTC), read anew at every use.
bool DateGate();
