// Cost of a full-frame repaint of the editor's size with the OS's drawing back end: panels,
// knobs (arcs and film-strip images), faders, meters and labels, as a skin draws them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "support/gui/Canvas.h"

namespace {

using VGui::Canvas;
using VGui::Colour;
using VGui::PixelImage;
using VGui::PointF;
using VGui::RectF;

constexpr int kWidth = 962;
constexpr int kHeight = 438;
constexpr float kPi = std::numbers::pi_v<float>;

constexpr Colour kBackground{0x12, 0x14, 0x18, 255};
constexpr Colour kSection{0x1C, 0x1F, 0x25, 255};
constexpr Colour kEdge{0x3B, 0x40, 0x4A, 255};
constexpr Colour kWell{0x0D, 0x0F, 0x12, 255};
constexpr Colour kBody{0x2B, 0x2F, 0x37, 255};
constexpr Colour kAccent{0xF2, 0xA0, 0x3D, 255};
constexpr Colour kModulation{0x38, 0xC7, 0xB2, 255};
constexpr Colour kText{0xD5, 0xDA, 0xE1, 255};

// A 42 px knob film strip of 101 frames at 1x and 2x, drawn once with the back end itself.
VGui::ImageSet KnobStrip() {
  VGui::ImageSet set;
  for (int density : {1, 2}) {
    auto strip = std::make_shared<PixelImage>(42 * density, 42 * 101 * density);
    auto canvas = VGui::MakeCanvas(*strip, float(density));
    for (int frame = 0; frame < 101; ++frame) {
      const float value = 1.0f - float(frame) / 100.0f;
      const PointF centre{21.0f, 21.0f + 42.0f * float(frame)};
      canvas->StrokeArc(centre, 17.0f, -1.25f * kPi, (value * 280.0f - 230.0f) * kPi / 180.0f, 2.0f,
                        kAccent);
    }
    (density == 1 ? set.standard : set.dense) = std::move(strip);
  }
  return set;
}

void DrawKnob(Canvas& canvas, const VGui::ImageSet& strip, float x, float y, float value) {
  const PointF centre{x + 21.0f, y + 21.0f};
  canvas.StrokeArc(centre, 17.0f, -1.25f * kPi, 0.25f * kPi, 3.5f, kWell);
  canvas.FillEllipse({x + 7, y + 7, 28, 28}, kBody);
  canvas.StrokeEllipse({x + 7, y + 7, 28, 28}, 1.0f, kEdge);
  const int frame = int((1.0f - value) * 100.0f);
  canvas.DrawImage(strip, {0, float(frame * 42), 42, 42}, {x, y, 42, 42});
  const float angle = (value * 280.0f - 230.0f) * kPi / 180.0f;
  canvas.StrokeLine({centre.x + 4 * std::cos(angle), centre.y + 4 * std::sin(angle)},
                    {centre.x + 12 * std::cos(angle), centre.y + 12 * std::sin(angle)}, 2.0f,
                    kText);
}

void DrawScene(Canvas& canvas, const VGui::ImageSet& strip, int frame) {
  canvas.FillRect({0, 0, kWidth, kHeight}, kBackground);
  const VGui::Font caption{9.0f, false};
  const VGui::Font title{11.0f, true};
  for (int section = 0; section < 5; ++section) {
    const float x = 8.0f + 190.0f * float(section);
    canvas.FillRoundedRect({x, 40, 182, 220}, 6.0f, kSection);
    canvas.StrokeRoundedRect({x + 0.5f, 40.5f, 181, 219}, 6.0f, 1.0f, kEdge);
    canvas.DrawText("SECTION " + std::to_string(section + 1), {x + 8, 44, 160, 16}, title, kText);
    for (int knob = 0; knob < 6; ++knob) {
      const float kx = x + 12.0f + 56.0f * float(knob % 3);
      const float ky = 68.0f + 90.0f * float(knob / 3);
      const float value = std::fmod(0.1f * float(knob + section) + 0.01f * float(frame), 1.0f);
      DrawKnob(canvas, strip, kx, ky, value);
      canvas.DrawText("Cutoff", {kx - 4, ky + 46, 50, 12}, caption, kText, VGui::HAlign::kCentre);
    }
  }
  for (int fader = 0; fader < 16; ++fader) {
    const float x = 16.0f + 34.0f * float(fader);
    canvas.FillRoundedRect({x + 8, 280, 4, 70}, 2.0f, kWell);
    const float y = 280.0f + 59.0f * (0.5f + 0.5f * std::sin(0.3f * float(fader + frame)));
    canvas.FillRoundedRect({x + 1, y, 18, 11}, 2.0f, kBody);
    canvas.StrokeLine({x + 3, y + 5.5f}, {x + 17, y + 5.5f}, 1.5f, kModulation);
    canvas.DrawText("LFO", {x - 4, 354, 28, 12}, caption, kText, VGui::HAlign::kCentre);
  }
  PointF wave[64];
  for (int i = 0; i < 64; ++i) {
    wave[i] = {580.0f + 5.0f * float(i), 330.0f + 30.0f * std::sin(0.2f * float(i + frame))};
  }
  canvas.Save();
  canvas.ClipRect({580, 290, 320, 90});
  canvas.StrokePolyline(wave, 2.0f, kModulation);
  canvas.FillPie({740, 335}, 40.0f, 0.0f, 0.05f * float(frame % 120), kAccent.WithAlpha(90));
  canvas.Restore();
  for (int meter = 0; meter < 2; ++meter) {
    canvas.FillRect({930.0f + 12.0f * float(meter), 40, 8, 300}, kWell);
    canvas.FillRect({930.0f + 12.0f * float(meter), 200, 8, 140}, kModulation);
  }
}

void BM_FullFrameRepaint(benchmark::State& state) {
  const float scale = float(state.range(0));
  PixelImage frame(int(kWidth * scale), int(kHeight * scale));
  const VGui::ImageSet strip = KnobStrip();
  int count = 0;
  for (auto _ : state) {
    auto canvas = VGui::MakeCanvas(frame, scale);
    DrawScene(*canvas, strip, count++);
    benchmark::DoNotOptimize(frame.Data());
  }
  state.SetLabel(scale > 1.0f ? "962x438 at 2x" : "962x438 at 1x");
}
BENCHMARK(BM_FullFrameRepaint)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_DecodeFilmStripPng(benchmark::State& state) {
  const VGui::ImageSet strip = KnobStrip();
  const std::vector<uint8_t> bytes = VGui::EncodePng(*strip.dense);
  for (auto _ : state) {
    PixelImage image = VGui::DecodePng(bytes, "benchmark strip");
    benchmark::DoNotOptimize(image.Data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_DecodeFilmStripPng)->Unit(benchmark::kMillisecond);

}  // namespace
