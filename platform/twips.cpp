#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace kestle {

namespace {

double dpi() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double d = screen ? screen->logicalDotsPerInch() : 96.0;
    return d > 0 ? d : 96.0;
}

} // namespace

int twips_to_px(int twips) { return static_cast<int>(std::lround(twips * dpi() / 1440.0)); }
int px_to_twips(int px) { return static_cast<int>(std::lround(px * 1440.0 / dpi())); }

} // namespace kestle
