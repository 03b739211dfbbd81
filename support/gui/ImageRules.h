// Rules about images that both drawing back ends share: which PNG headers are worth decoding, and
// which resolution of an image set a scale draws. GUI thread.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

#include "support/gui/Canvas.h"

namespace VGui {

// Larger than any skin image, film strip or screenshot; a corrupt header must not make a decoder
// try to allocate gigabytes.
inline constexpr uint32_t kLargestImageSide = 32768;
inline constexpr uint64_t kMostImagePixels = 16u << 20;

// The signature and a header chunk with a plausible size.
inline bool PngHeaderIsPlausible(std::span<const uint8_t> bytes) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 33 || std::memcmp(bytes.data(), kSignature, 8) != 0) return false;
  if (std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) return false;
  const auto bigEndian32 = [&](size_t at) {
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 |
           uint32_t(bytes[at + 2]) << 8 | uint32_t(bytes[at + 3]);
  };
  const uint32_t width = bigEndian32(16);
  const uint32_t height = bigEndian32(20);
  return width > 0 && height > 0 && width <= kLargestImageSide && height <= kLargestImageSide &&
         uint64_t(width) * height <= kMostImagePixels;
}

// The image to draw at this scale and how many of its pixels make one logical pixel.
struct ChosenImage {
  const PixelImage* image = nullptr;
  float density = 1.0f;
};

inline ChosenImage ChooseImage(const ImageSet& set, float scale) {
  const bool wantDense = scale > 1.0f || !set.standard;
  if (wantDense && set.dense && !set.dense->Empty()) return {set.dense.get(), 2.0f};
  if (set.standard && !set.standard->Empty()) return {set.standard.get(), 1.0f};
  return {};
}

}  // namespace VGui
