// A GIF (89a) encoder for one paletted picture: Qt reads GIF but does not
// write it, and the sign-off system takes the printed pages as GIF files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// `pixels`: width * height palette indexes, row by row; `palette`: 2 to 256
// colours as 0xRRGGBB. The whole file's bytes; raises std::invalid_argument
// for a size of 0 or over 65535, a pixel count that does not match, a
// palette out of range or an index outside the palette.
std::string EncodeGif(int width, int height, const std::vector<uint8_t>& pixels,
                      const std::vector<uint32_t>& palette);

}  // namespace standin
