#pragma once

// Window measures are given in twips (1440 per inch).

namespace bm {

inline constexpr int kTwipsPerInch = 1440;

int twipsToPixels(int twips, double dotsPerInch);
int pixelsToTwips(int pixels, double dotsPerInch);
// On the primary screen's logical resolution (15 twips per pixel at 96 DPI).
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

} // namespace bm
