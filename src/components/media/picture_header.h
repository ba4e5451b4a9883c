#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A picture's size as its file's header states it, checked before anything
// is decoded: a few bytes that claim 60000 x 60000 pixels must not cost
// gigabytes, nor a BMP that claims more rows than it holds a read past its end.

// No picture the game or a modder's replacement needs comes near this.
constexpr int64_t kMaxPictureSide = 8192;

// "" when the picture may be decoded (or its format is not one read here, so
// its decoder judges it), else why not, with the size the header claims.
std::string CheckPictureHeader(const uint8_t* data, size_t size);
