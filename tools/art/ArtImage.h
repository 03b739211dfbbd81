// One image of the image program: a name, a logical size and the vector drawing that fills it.
// Every image is written at 1x ("Name.png") and 2x ("Name@2x.png") from the same drawing.
#pragma once

#include <cairo.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace TavoArt {

struct Picture {
  std::string name;  // file name without ".png", relative to the output folder ("Cursors/Hand")
  int width = 0;     // logical pixels
  int height = 0;
  std::function<void(cairo_t*)> draw;  // draws in logical pixels
};

// A film strip: frames of width x frameHeight stacked top to bottom, frame 0 standing for 1.0
// and the last for 0.0; draw(cr, value) paints one frame at the origin.
Picture FilmStrip(std::string name, int width, int frameHeight, int frames,
                  std::function<void(cairo_t*, double value)> draw);

// The picture drawn at scale (1 or 2) into a new ARGB32 surface the caller destroys.
cairo_surface_t* Render(const Picture& picture, int scale);

// Writes Name.png and Name@2x.png below folder, creating sub-folders; false (with a message on
// stderr) when a file could not be written.
bool WritePicture(const Picture& picture, const std::filesystem::path& folder);

// Angle on screen (radians, clockwise from 3 o'clock) of a knob value: 280 degrees of travel,
// from 140 degrees left of the top (value 0) to 140 degrees right of it (value 1).
double KnobAngle(double value);

}  // namespace TavoArt
