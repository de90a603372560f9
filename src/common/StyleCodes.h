#pragma once

// The brush and pen style codes of the settings file as Qt's styles: brush
// 0 solid, 1 none, 2 horizontal lines, 3 vertical lines, 4 forward
// diagonal, 5 backward diagonal, 6 cross-hatch, 7 diagonal cross-hatch;
// pen 0 solid, 1 dashed, 2 dotted, 3 dash-dot, 4 dash-dot-dot, 5 none. An
// unknown code draws solid.

#include <Qt>

namespace kroyna::common {

inline Qt::BrushStyle brushStyle(int code) {
  switch (code) {
    case 1: return Qt::NoBrush;
    case 2: return Qt::HorPattern;
    case 3: return Qt::VerPattern;
    case 4: return Qt::FDiagPattern;
    case 5: return Qt::BDiagPattern;
    case 6: return Qt::CrossPattern;
    case 7: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
  }
}

inline Qt::PenStyle penStyle(int code) {
  switch (code) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
  }
}

}  // namespace kroyna::common
