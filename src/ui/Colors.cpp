#include "ui/Colors.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include <iterator>

namespace {

// The classic Windows colours, used when there is no application palette.
constexpr TColor kClassicSystemColors[] = {
    0xC8D0D4, 0x000000, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
    0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080,
    0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000, 0xE1FFFF,
};

bool paletteColor(int index, QColor& out) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    QPalette pal = QGuiApplication::palette();
    using P = QPalette;
    switch (index) {
    case 0: out = pal.color(P::Mid); break;                       // clScrollBar
    case 1: out = pal.color(P::Dark); break;                      // clBackground
    case 2: out = pal.color(P::Highlight); break;                 // clActiveCaption
    case 3: out = pal.color(P::Mid); break;                       // clInactiveCaption
    case 4: out = pal.color(P::Window); break;                    // clMenu
    case 5: out = pal.color(P::Base); break;                      // clWindow
    case 6: out = pal.color(P::Shadow); break;                    // clWindowFrame
    case 7: out = pal.color(P::WindowText); break;                // clMenuText
    case 8: out = pal.color(P::Text); break;                      // clWindowText
    case 9: out = pal.color(P::HighlightedText); break;           // clCaptionText
    case 10: case 11: out = pal.color(P::Window); break;          // borders
    case 12: out = pal.color(P::Dark); break;                     // clAppWorkSpace
    case 13: out = pal.color(P::Highlight); break;
    case 14: out = pal.color(P::HighlightedText); break;
    case 15: out = pal.color(P::Button); break;                   // clBtnFace
    case 16: out = pal.color(P::Dark); break;                     // clBtnShadow
    case 17: out = pal.color(P::Disabled, P::Text); break;        // clGrayText
    case 18: out = pal.color(P::ButtonText); break;
    case 19: out = pal.color(P::Disabled, P::WindowText); break;  // clInactiveCaptionText
    case 20: out = pal.color(P::Light); break;                    // clBtnHighlight
    case 21: out = pal.color(P::Shadow); break;                   // cl3DDkShadow
    case 22: out = pal.color(P::Midlight); break;                 // cl3DLight
    case 23: out = pal.color(P::ToolTipText); break;
    case 24: out = pal.color(P::ToolTipBase); break;
    default: return false;
    }
    return true;
}

}  // namespace

TColor ColorToRGB(TColor color) {
    if (color == clNone || color == clDefault) return clBlack;
    if (color >= 0) return color & 0xFFFFFF;
    int index = color & 0xFF;
    QColor c;
    if (paletteColor(index, c)) return qColorToTColor(c);
    if (index < static_cast<int>(std::size(kClassicSystemColors))) return kClassicSystemColors[index];
    return clBlack;
}

QColor tColorToQColor(TColor color) {
    TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor qColorToTColor(const QColor& color) { return RGB(color.red(), color.green(), color.blue()); }
