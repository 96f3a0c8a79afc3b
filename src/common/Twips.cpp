#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace bm {

namespace {
double screenDpi() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}
} // namespace

int twipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

int pixelsToTwips(int pixels, double dotsPerInch) {
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / dotsPerInch));
}

int twipsToPixels(int twips) {
    return twipsToPixels(twips, screenDpi());
}
int pixelsToTwips(int pixels) {
    return pixelsToTwips(pixels, screenDpi());
}

} // namespace bm
