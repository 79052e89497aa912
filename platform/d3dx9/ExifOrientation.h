// The orientation a camera records in a JPEG's Exif block: which way up the stored pixels
// are meant to be seen. Phones store every photo the way the sensor reads it and say
// "rotate me" here, so a decoder that ignores it shows portrait photos on their side.
#pragma once

#include <cstddef>

#include "platform/d3dx9/Image.h"

namespace d3dx9 {

// The orientation 1 ... 8 of an APP1 segment's payload ("Exif\0\0" and a TIFF block); 1
// (as stored) for anything else, damaged or absent.
int exifOrientation(const BYTE* payload, std::size_t size);

// Orientations 5 to 8 turn the picture by a quarter: its width and height change places.
inline bool swapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// The stored image turned to be seen upright:
//   2 mirrored left-right, 3 turned half round, 4 mirrored top-bottom, 5 mirrored along the
//   main diagonal, 6 turned a quarter clockwise, 7 mirrored along the other diagonal,
//   8 turned a quarter anticlockwise; 1 and anything else leave it as it is.
void orientImage(Image& image, int orientation);

} // namespace d3dx9
