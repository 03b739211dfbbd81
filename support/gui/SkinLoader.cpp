// Skin files into controls and the skin set.
#include "support/gui/SkinLoader.h"

#include <cmath>
#include <cstdio>
#include <functional>

#include "support/Log.h"
#include "support/XmlDocument.h"
#include "support/gui/ClassRegistry.h"
#include "support/gui/Control.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/SkinSet.h"

namespace VGui {
namespace {

using VFoundation::XmlNode;

constexpr const char* kSkinRoot = "skin";
constexpr const char* kPlainPanel = "CtrlPanel";
// Includes nest this deep at most, so a file that includes itself ends.
constexpr int kMaxIncludeDepth = 8;

class Loader {
 public:
  Loader(SkinSet& skins, SkinLoadReport& report, std::string source)
      : skins_(skins), report_(report), source_(std::move(source)) {}

  void Definitions(const XmlNode& root, int depth) {
    for (const XmlNode& node : root.Children()) {
      const std::string tag = node.Tag();
      if (tag == "colour")
        Colour(node);
      else if (tag == "font")
        FontDefinition(node);
      else if (tag == "image")
        Image(node);
      else if (tag == "style")
        StyleDefinition(node);
      else if (tag == "include")
        Include(node, depth);
      else if (tag != "control" && tag != "panel")
        Problem("unknown element <" + tag + ">");
    }
  }

  void Controls(const XmlNode& element, Ctrl& parent) {
    for (const XmlNode& node : element.Children()) {
      const std::string tag = node.Tag();
      if (tag == "control" || tag == "panel") Control(node, parent, tag == "panel");
    }
  }

 private:
  void Problem(std::string text) {
    text = source_ + ": " + text;
    VFoundation::Log("%s\n", text.c_str());
    report_.problems.push_back(std::move(text));
  }

  std::string NameOf(const XmlNode& node, const char* what) {
    std::string name;
    if (!node.ReadString("name", name) || name.empty())
      Problem(std::string(what) + " without a name");
    return name;
  }

  // "#RRGGBB[AA]" or the name of a colour defined earlier.
  std::optional<VGui::Colour> ColourValue(const std::string& text) {
    if (auto parsed = ParseColour(text)) return parsed;
    if (auto named = skins_.FindColour(text)) return named;
    Problem("bad colour \"" + text + "\"");
    return std::nullopt;
  }

  void Colour(const XmlNode& node) {
    const std::string name = NameOf(node, "colour");
    std::string value;
    if (name.empty()) return;
    if (!node.ReadString("value", value)) return Problem("colour " + name + " without a value");
    if (auto colour = ColourValue(value)) {
      skins_.AddColour(name, *colour);
      ++report_.styles;
    }
  }

  void FontDefinition(const XmlNode& node) {
    const std::string name = NameOf(node, "font");
    if (name.empty()) return;
    Font font;
    float size = font.size;
    if (node.Has("size") && (!node.ReadFloat("size", size) || !(size > 0.0f) || size > 200.0f)) {
      return Problem("font " + name + " has a bad size");
    }
    font.size = size;
    node.ReadBool("bold", font.bold);
    skins_.AddFont(name, font);
    ++report_.styles;
  }

  void Image(const XmlNode& node) {
    const std::string name = NameOf(node, "image");
    std::string file;
    if (name.empty()) return;
    if (!node.ReadString("file", file)) return Problem("image " + name + " without a file");
    ImageSet image = skins_.LoadImage(file);
    if (image.Empty()) return Problem("image " + name + ": cannot load " + file);
    skins_.AddImage(name, image);
    ++report_.styles;
  }

  // A font name, or "<size>" with an optional " bold".
  std::optional<Font> FontValue(const std::string& text) {
    if (auto named = skins_.FindFont(text)) return named;
    float size = 0.0f;
    char word[8] = {};
    const int read = std::sscanf(text.c_str(), "%f %7s", &size, word);
    if (read >= 1 && size > 0.0f && size <= 200.0f && (read == 1 || std::string(word) == "bold")) {
      return Font{size, read == 2};
    }
    Problem("bad font \"" + text + "\"");
    return std::nullopt;
  }

  void StyleAttribute(Style& style, const std::string& key, const std::string& value) {
    const std::map<std::string, VGui::Colour Style::*> colours = {
        {"background", &Style::background},
        {"border", &Style::border},
        {"text", &Style::text},
        {"accent", &Style::accent},
        {"hover", &Style::hover},
        {"disabled", &Style::disabled}};
    if (auto it = colours.find(key); it != colours.end()) {
      if (auto colour = ColourValue(value)) style.*(it->second) = *colour;
    } else if (key == "borderWidth" || key == "radius") {
      float number = 0.0f;
      char extra = 0;
      if (std::sscanf(value.c_str(), "%f %c", &number, &extra) != 1 || !std::isfinite(number) ||
          number < 0.0f) {
        return Problem("style " + style.name + ": bad " + key + " \"" + value + "\"");
      }
      (key == "radius" ? style.radius : style.borderWidth) = number;
    } else if (key == "font") {
      if (auto font = FontValue(value)) style.font = *font;
    } else if (key == "align") {
      if (value == "left")
        style.align = HAlign::kLeft;
      else if (value == "centre" || value == "center")
        style.align = HAlign::kCentre;
      else if (value == "right")
        style.align = HAlign::kRight;
      else
        Problem("style " + style.name + ": bad align \"" + value + "\"");
    } else if (key == "image") {
      ImageSet image = skins_.FindImage(value);
      if (image.Empty()) image = skins_.LoadImage(value);
      if (image.Empty()) return Problem("style " + style.name + ": cannot load image " + value);
      style.image = image;
    } else if (key == "frames") {
      int frames = 0;
      char extra = 0;
      if (std::sscanf(value.c_str(), "%d %c", &frames, &extra) != 1 || frames < 1) {
        return Problem("style " + style.name + ": bad frames \"" + value + "\"");
      }
      style.frames = frames;
    } else {
      style.extra[key] = value;
    }
  }

  void StyleDefinition(const XmlNode& node) {
    const std::string name = NameOf(node, "style");
    if (name.empty()) return;
    Style style;
    std::string base;
    if (node.ReadString("base", base)) {
      if (auto found = skins_.FindStyle(base))
        style = *found;
      else
        Problem("style " + name + ": unknown base style " + base);
    }
    style.name = name;
    for (const auto& [key, value] : node.Attributes()) {
      if (key != "name" && key != "base") StyleAttribute(style, key, value);
    }
    skins_.AddStyle(std::move(style));
    ++report_.styles;
  }

  void Include(const XmlNode& node, int depth) {
    std::string file;
    if (!node.ReadString("file", file)) return Problem("include without a file");
    if (depth >= kMaxIncludeDepth) return Problem("includes nested too deep at " + file);
    VFoundation::XmlDocument document;
    if (!document.Load(skins_.Resolve(file), kSkinRoot)) {
      return Problem("cannot read included skin " + file);
    }
    Loader inner(skins_, report_, file);
    inner.Definitions(document.Root(), depth + 1);
  }

  static std::unique_ptr<Ctrl> PlainPanel() {
    if (auto control = ClassRegistry::Instance().Create(kPlainPanel)) return control;
    return std::make_unique<Ctrl>();
  }

  std::unique_ptr<Ctrl> Create(const XmlNode& node, bool panel) {
    if (panel) return PlainPanel();
    std::string className;
    if (!node.ReadString("class", className)) {
      Problem("control without a class; made a panel");
      return PlainPanel();
    }
    if (auto control = ClassRegistry::Instance().Create(className)) return control;
    std::string name;
    node.ReadString("name", name);
    Problem("unknown control class " + className + " for " + name + "; made a panel");
    return PlainPanel();
  }

  void Common(const XmlNode& node, Ctrl& control) {
    std::string text;
    if (node.ReadString("name", text)) control.SetName(text);
    int32_t id = 0;
    if (node.Has("id")) {
      if (node.ReadInt("id", id))
        control.SetId(id);
      else
        Problem("control " + control.Name() + ": bad id");
    }
    if (node.ReadString("rect", text)) {
      Rect r;
      char extra = 0;
      if (std::sscanf(text.c_str(), "%d %d %d %d %c", &r.x, &r.y, &r.width, &r.height, &extra) ==
              4 &&
          r.width >= 0 && r.height >= 0) {
        control.SetBounds(r);
      } else {
        Problem("control " + control.Name() + ": bad rect \"" + text + "\"");
      }
    }
    if (node.ReadString("style", text)) {
      if (auto style = skins_.FindStyle(text))
        control.SetStyle(style);
      else
        Problem("control " + control.Name() + ": unknown style " + text);
    }
    bool visible = true;
    if (node.ReadBool("visible", visible)) control.SetVisible(visible);
    if (node.ReadString("tooltip", text)) control.SetTooltip(text);
  }

  void Control(const XmlNode& node, Ctrl& parent, bool panel) {
    std::unique_ptr<Ctrl> created = Create(node, panel);
    Common(node, *created);
    Ctrl& control = *parent.AddChild(std::move(created));
    ++report_.controls;
    control.ReadSkinAttributes(node, skins_);
    Controls(node, control);
    control.SkinLoaded(skins_);
  }

  SkinSet& skins_;
  SkinLoadReport& report_;
  std::string source_;
};

bool LoadDocument(VFoundation::XmlDocument& document, const std::filesystem::path& path,
                  SkinLoadReport& report) {
  if (document.Load(path, kSkinRoot)) return true;
  std::string text = "Skin file " + path.generic_string() + " is missing or not a skin";
  VFoundation::Log("%s\n", text.c_str());
  report.problems.push_back(std::move(text));
  return false;
}

}  // namespace

bool LoadSkin(Ctrl& panel, const std::filesystem::path& file, SkinSet& skins,
              SkinLoadReport* report) {
  SkinLoadReport local;
  SkinLoadReport& out = report ? *report : local;
  VFoundation::XmlDocument document;
  if (!LoadDocument(document, skins.Resolve(file), out)) return false;
  Loader loader(skins, out, file.generic_string());
  loader.Definitions(document.Root(), 0);
  loader.Controls(document.Root(), panel);
  return true;
}

bool LoadSkin(Ctrl& panel, const std::filesystem::path& file, SkinLoadReport* report) {
  CtrlRoot* root = panel.Root();
  if (!root) {
    VFoundation::Log("Skin %s: the panel is not attached to a root\n",
                     file.generic_string().c_str());
    if (report) report->problems.push_back("panel not attached to a root");
    return false;
  }
  return LoadSkin(panel, file, root->Skins(), report);
}

bool LoadSkinText(Ctrl& panel, std::string_view text, SkinSet& skins, SkinLoadReport* report) {
  SkinLoadReport local;
  SkinLoadReport& out = report ? *report : local;
  VFoundation::XmlDocument document;
  if (!document.Parse(text, kSkinRoot)) {
    VFoundation::Log("Skin text is malformed or not a skin\n");
    out.problems.emplace_back("skin text is malformed or not a skin");
    return false;
  }
  Loader loader(skins, out, "(text)");
  loader.Definitions(document.Root(), 0);
  loader.Controls(document.Root(), panel);
  return true;
}

bool LoadStyles(const std::filesystem::path& file, SkinSet& skins, SkinLoadReport* report) {
  SkinLoadReport local;
  SkinLoadReport& out = report ? *report : local;
  VFoundation::XmlDocument document;
  if (!LoadDocument(document, skins.Resolve(file), out)) return false;
  Loader loader(skins, out, file.generic_string());
  loader.Definitions(document.Root(), 0);
  return true;
}

}  // namespace VGui
