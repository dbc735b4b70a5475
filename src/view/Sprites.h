#pragma once
// The small pictures drawn onto the radargram: the marker as a mask and picture pair (the mask
// `hata` is ANDed onto the image so that its black shape cuts the background, then the picture
// `maka` is ORed so that its colours fill the cut), and the processing-line arrow. The mask
// doubles as the flag of a recorded mark on the distance strip.

#include <QImage>

namespace rebar {

constexpr int MarkerSpriteSize = 11; // hata and maka are 11 x 11
constexpr int ArrowWidth = 6;        // the arrow is 6 x 11
constexpr int ArrowHeight = 11;

// `hata`: a downward-pointing marker in black on white, its tip at the bottom centre.
const QImage& MarkFlagPicture();
// `maka`: the same shape in colour with a black rim, on black.
const QImage& MarkerPicture();
// The marker of a bar below the minimum cover: the same shape in saturated magenta with a white
// rim, on black, so that one of its two colours stands out on every gradation.
const QImage& WarningMarkerPicture();
// `arrow`: a black downward arrow on white.
const QImage& ProcessingLineArrow();

} // namespace rebar
