// The smallest valid images the host's print run into image files writes
// in place of a rendered page: a 1x1 white GIF and an 8x8 white baseline
// JPEG (made once with an image library and kept here as bytes).
#pragma once
#include <string_view>

namespace standin {

std::string_view PlaceholderGif();
std::string_view PlaceholderJpeg();

}  // namespace standin
