#include "skin/ControlLayout.h"

#include <algorithm>

namespace skin {

int BtnFrameIndex(bool disabled, bool selected, bool hover, bool& pressedLatch) {
    if (disabled) return kFrameDisabled;
    if (selected || pressedLatch) {
        pressedLatch = true;
        return kFramePressed;
    }
    return hover ? kFrameHover : kFrameNormal;
}

std::vector<std::wstring> WrapLabel(const std::wstring& text, int width, int averageGlyph, const MeasureFn& measure) {
    std::vector<std::wstring> lines;
    if (width < averageGlyph) return lines;
    std::wstring line;
    for (wchar_t ch : text) {
        if (ch == L'\r') continue;
        if (ch == L'\n') {
            lines.push_back(line);
            line.clear();
            continue;
        }
        line.push_back(ch);
        if (line.size() > 1 && measure(line) > width) {
            // Too wide: the character opens the next line instead. Alone on
            // a line it stays even when wider than the label.
            line.pop_back();
            lines.push_back(line);
            line.assign(1, ch);
        }
    }
    lines.push_back(line);
    return lines;
}

int LabelHeight(int lineHeight, int lineSpacing, int lines) {
    if (lines <= 0) return 0;
    return lineHeight + (lines - 1) * (lineHeight + lineSpacing);
}

Rect CenteredRect(int outerW, int outerH, int innerW, int innerH) {
    const int left = (outerW - innerW) / 2, top = (outerH - innerH) / 2;
    return {left, top, left + innerW, top + innerH};
}

int ProgressFillWidth(int fillW, int pos, int lower, int upper) {
    if (upper <= lower || fillW <= 0) return 0;
    const long long f = static_cast<long long>(fillW) * (static_cast<long long>(pos) - lower) /
                        (static_cast<long long>(upper) - lower);
    return static_cast<int>(std::clamp<long long>(f, 0, fillW));
}

std::vector<Blit> ProgressFillPieces(const Rect& fill, int f) {
    std::vector<Blit> pieces;
    const int fillW = fill.Width(), fillH = fill.Height();
    f = std::clamp(f, 0, std::max(0, fillW));
    const int h1 = f / 2, h2 = f - h1;
    if (h1 > 0 && fillH > 0) pieces.push_back({fill.left, fill.top, h1, fillH, 0, 0, h1, fillH, false});
    if (h2 > 0 && fillH > 0)
        pieces.push_back({fill.left + h1, fill.top, h2, fillH, fillW - h2, 0, h2, fillH, false});
    return pieces;
}

bool MessageBoxHasTwoButtons(int type) { return type == 1 || type == 4; }

const wchar_t* MessageBoxLabel(int type, int button) {
    if (type == 4) return button == 0 ? L"是" : L"否";
    if (type == 1) return button == 0 ? L"确定" : L"取消";
    return button == 0 ? L"确定" : L"";
}

int MessageBoxResult(int type, int controlId) {
    if (controlId == kMsgBtn1) return type == 4 ? kIdYes : kIdOk;
    if (controlId == kMsgBtn2) return type == 4 ? kIdNo : kIdCancel;
    return 0;
}

int MessageBoxLineCount(const std::wstring& text) {
    return 1 + static_cast<int>(std::count(text.begin(), text.end(), L'\n'));
}

MsgBoxLayout LayOutMessageBox(int type, int tw, int th, int lines, int stripW, int stripH) {
    MsgBoxLayout l;
    const int bw = StripFrameWidth(stripW), bh = stripH;
    l.width = 2 * bw + 60 >= tw ? 2 * bw + 60 : tw + 60;
    l.height = 3 * lines + 90 + th + bh;
    const int W = l.width, bottom = l.height - 30, top = bottom - bh;
    if (MessageBoxHasTwoButtons(type)) {
        l.btn1 = {W / 2 - 10 - bw, top, W / 2 - 10, bottom};
        l.btn2 = {W / 2 + 10, top, W / 2 + 10 + bw, bottom};
    } else {
        l.btn1 = {(W - bw) / 2, top, (W - bw) / 2 + bw, bottom};
    }
    return l;
}

std::vector<MsgLine> MessageBoxTextLines(const std::wstring& text, int clientW, int tw, int th, int lines) {
    std::vector<MsgLine> out;
    const int lh = lines > 0 ? th / lines : th;
    Rect rc;
    rc.left = (clientW - tw) / 2;
    rc.right = rc.left + tw;
    rc.top = 55;
    rc.bottom = 55 + lh;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\n') continue;
        out.push_back({text.substr(start, i - start), rc});
        rc.top += lh + 3;
        rc.bottom += lh + 3;
        start = i + 1;
    }
    if (start < text.size()) out.push_back({text.substr(start), rc});
    return out;
}

}  // namespace skin
