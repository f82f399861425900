// Layout and state logic of the skinned controls, free of Windows: the image
// button's face, the label's hand wrapping, the progress bar's two-half fill
// and the message box's size, buttons, text lines and results.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "skin/FrameLayout.h"

namespace skin {

// ---- image button ---------------------------------------------------------

enum BtnFrame { kFrameNormal = 0, kFrameHover = 1, kFramePressed = 2, kFrameDisabled = 3 };

// The face to draw. A pressed drawing sets the latch, which keeps the pressed
// face until the owner clears it on button release.
int BtnFrameIndex(bool disabled, bool selected, bool hover, bool& pressedLatch);

// ---- label ----------------------------------------------------------------

// Width in pixels of a line of text as it will be drawn.
using MeasureFn = std::function<int(const std::wstring&)>;

// Breaks `text` into the lines of a label `width` pixels wide: '\r' is
// dropped, '\n' ends a line, and a character that would make its line wider
// than the label starts the next one. A character wider than the label on
// its own stands alone on its line, so the wrap always moves on. No lines at
// all when the label is narrower than one average glyph.
std::vector<std::wstring> WrapLabel(const std::wstring& text, int width, int averageGlyph, const MeasureFn& measure);

// Height that `lines` lines need.
int LabelHeight(int lineHeight, int lineSpacing, int lines);

// ---- progress bar -----------------------------------------------------------

// Where the fill image stands: centred in the track (integer halves).
Rect CenteredRect(int outerW, int outerH, int innerW, int innerH);

// Filled width of a fill image `fillW` wide at `pos` in [lower, upper]:
// fillW·(pos − lower)/(upper − lower), rounded down and kept inside
// [0, fillW]; an empty range fills nothing.
int ProgressFillWidth(int fillW, int pos, int lower, int upper);

// The fill as two copies out of the fill image at `fill` (its rectangle in
// the control): its left f/2 columns, then its rightmost f − f/2 columns, so
// that both rounded ends of the image frame the filled part. Empty pieces are
// left out.
std::vector<Blit> ProgressFillPieces(const Rect& fill, int filledWidth);

// ---- message box ------------------------------------------------------------

constexpr int kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7;
constexpr int kMsgBtn1 = 5000, kMsgBtn2 = 5001;

bool MessageBoxHasTwoButtons(int type);
// Labels of the first and second button ("" when there is no second one).
const wchar_t* MessageBoxLabel(int type, int button);
// Result of a click on button 5000 or 5001.
int MessageBoxResult(int type, int controlId);
// 1 + the number of '\n'.
int MessageBoxLineCount(const std::wstring& text);

struct MsgBoxLayout {
    int width = 0, height = 0;
    Rect btn1, btn2;  // btn2 is empty for single-button types
};

// Size of the box from the measured text (tw × th, `lines` lines) and the
// button strip (four frames), and its buttons 30 pixels above the bottom.
MsgBoxLayout LayOutMessageBox(int type, int textW, int textH, int lines, int stripW, int stripH);

struct MsgLine {
    std::wstring text;
    Rect rc;
};

// The lines the box draws: the block centred by its widest line, the first at
// y = 55, each further line lh + 3 lower (lh = th / lines). Only the text
// before each '\n' and a non-empty remainder are drawn.
std::vector<MsgLine> MessageBoxTextLines(const std::wstring& text, int clientW, int textW, int textH, int lines);

}  // namespace skin
