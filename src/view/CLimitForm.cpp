#include "view/CLimitForm.h"

#include "base/Numeric.h"

#include <algorithm>

namespace rebar {

CLimitForm::CLimitForm(QSize screen, double twipsPerPixelX, double twipsPerPixelY)
    : m_screen(screen), m_tppX(std::max(1, static_cast<int>(roundHalfEven(twipsPerPixelX)))),
      m_tppY(std::max(1, static_cast<int>(roundHalfEven(twipsPerPixelY)))),
      m_maxWidth(screen.width()), m_maxHeight(screen.height()) {}

int CLimitForm::toPixels(double twips, int twipsPerPixel) const {
    return static_cast<int>(std::clamp(twips, 0.0, 1e9)) / twipsPerPixel;
}

void CLimitForm::setMinWidth(double twips) {
    m_minWidth = twips < 1 ? 0 : toPixels(twips, m_tppX);
}

void CLimitForm::setMinHeight(double twips) {
    m_minHeight = twips < 1 ? 0 : toPixels(twips, m_tppY);
}

void CLimitForm::setMaxWidth(double twips) {
    m_maxWidth = twips < 1 ? m_screen.width() : toPixels(twips, m_tppX);
}

void CLimitForm::setMaxHeight(double twips) {
    m_maxHeight = twips < 1 ? m_screen.height() : toPixels(twips, m_tppY);
}

} // namespace rebar
