// PNG decoding and encoding of the OS's drawing back end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/gui/drawing/BackEnd.h"

namespace DrawingTest {
namespace {

using VGui::Canvas;

// A scene with anti-aliased edges and translucent colours, so that every alpha value from 0 to
// 255 appears somewhere.
PixelImage Scene() {
  return Drawn(48, 32, 1.0f, [](Canvas& canvas) {
    canvas.FillEllipse({2, 2, 30, 26}, Colour{240, 160, 60, 255});
    canvas.FillRect({20, 4, 24, 20}, Colour{56, 199, 178, 100});
    canvas.StrokeArc({24, 16}, 12.0f, 0.3f, 4.0f, 3.0f, Colour{255, 255, 255, 200});
    canvas.FillRect({40, 24, 8, 8}, Colour{10, 20, 30, 7});
  });
}

TEST(Png, RoundTripKeepsEveryPixel) {
  const PixelImage original = Scene();
  const std::vector<uint8_t> bytes = BackEnd::EncodePng(original);
  ASSERT_GT(bytes.size(), 8u);
  const PixelImage decoded = BackEnd::DecodePng(bytes, "round trip");
  ASSERT_EQ(decoded.Width(), original.Width());
  ASSERT_EQ(decoded.Height(), original.Height());
  int differing = 0;
  for (int y = 0; y < original.Height(); ++y) {
    for (int x = 0; x < original.Width(); ++x) {
      const uint32_t a = original.At(x, y);
      const uint32_t b = decoded.At(x, y);
      for (int shift = 0; shift < 32; shift += 8) {
        const int channelA = int((a >> shift) & 0xFF);
        const int channelB = int((b >> shift) & 0xFF);
        differing += std::abs(channelA - channelB) > kPngChannelTolerance;
      }
    }
  }
  EXPECT_EQ(differing, 0);
}

TEST(Png, ToolkitFunctionsUseTheBackEnd) {
  const PixelImage original = Scene();
  const std::vector<uint8_t> bytes = VGui::EncodePng(original);
  ASSERT_FALSE(bytes.empty());
  const PixelImage decoded = VGui::DecodePng(bytes, "toolkit round trip");
  ASSERT_EQ(decoded.Width(), original.Width());
  EXPECT_EQ(decoded.At(16, 16), original.At(16, 16));
}

TEST(Png, DecodedPixelsArePremultiplied) {
  PixelImage original(2, 1);
  original.Row(0)[0] = 0x80808080u;  // half-transparent white
  original.Row(0)[1] = 0xFF102030u;
  const PixelImage decoded = BackEnd::DecodePng(BackEnd::EncodePng(original), "premultiplied");
  ASSERT_EQ(decoded.Width(), 2);
  EXPECT_EQ(decoded.At(0, 0), 0x80808080u);
  EXPECT_EQ(decoded.At(1, 0), 0xFF102030u);
}

TEST(Png, EmptyImageEncodesToNothing) {
  EXPECT_TRUE(BackEnd::EncodePng(PixelImage()).empty());
}

std::vector<uint8_t> Truncated(std::vector<uint8_t> bytes, size_t keep) {
  bytes.resize(std::min(keep, bytes.size()));
  return bytes;
}

std::vector<uint8_t> WithHeaderSize(std::vector<uint8_t> bytes, uint32_t width) {
  for (int i = 0; i < 4; ++i) bytes[16 + size_t(i)] = uint8_t(width >> (24 - 8 * i));
  return bytes;
}

std::vector<uint8_t> WithDamagedData(std::vector<uint8_t> bytes) {
  for (size_t i = 40; i < bytes.size() - 12; ++i) bytes[i] ^= 0x5A;
  return bytes;
}

TEST(Png, BrokenFilesDecodeEmptyWithALogLine) {
  VFoundation::RuntimeLog::Start();
  const std::vector<uint8_t> good = BackEnd::EncodePng(Scene());
  const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"broken-empty.png", {}},
      {"broken-text.png", text},
      {"broken-signature-only.png", Truncated(good, 8)},
      {"broken-truncated.png", Truncated(good, good.size() / 2)},
      {"broken-damaged.png", WithDamagedData(good)},
      {"broken-huge.png", WithHeaderSize(good, 0x7FFFFFFFu)},
  };
  for (const auto& c : cases) {
    const PixelImage decoded = BackEnd::DecodePng(c.bytes, c.what);
    EXPECT_TRUE(decoded.Empty()) << c.what;
  }
  const std::string log = LogText();
  for (const auto& c : cases) {
    EXPECT_NE(log.find(std::string("Could not decode PNG image ") + c.what), std::string::npos)
        << c.what;
  }
  VFoundation::RuntimeLog::Stop();
}

}  // namespace
}  // namespace DrawingTest
