// The XML document layer over TinyXML: named values (attributes) and named objects (child
// elements tagged with the object's class name and carrying a "name" attribute).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TiXmlDocument;
class TiXmlElement;

namespace VFoundation {

// A non-owning cursor on one element of an XmlDocument; invalid when the element is missing.
// Named values are attributes: integers "%d", 64-bit integers "%lld", floats "%.16g", booleans
// "true"/"false". Reads leave `out` untouched and answer false when the value is missing or
// malformed. Booleans read as true for "true", "True", "yes", "Yes", "1" and the like.
class XmlNode {
 public:
  XmlNode() = default;
  explicit XmlNode(TiXmlElement* element) : element_(element) {}
  bool Valid() const { return element_ != nullptr; }
  explicit operator bool() const { return Valid(); }

  void WriteInt(const char* name, int32_t value);
  void WriteInt64(const char* name, int64_t value);
  void WriteDouble(const char* name, double value);
  void WriteBool(const char* name, bool value);
  void WriteString(const char* name, std::string_view value);
  // A float array as one attribute of space-separated "%.9g" numbers.
  void WriteFloatArray(const char* name, const float* values, int count);

  bool ReadInt(const char* name, int32_t& out) const;
  bool ReadInt64(const char* name, int64_t& out) const;
  bool ReadDouble(const char* name, double& out) const;
  bool ReadFloat(const char* name, float& out) const;
  bool ReadBool(const char* name, bool& out) const;
  bool ReadString(const char* name, std::string& out) const;
  // Reads up to `count` numbers; missing or malformed entries are left untouched. Answers how many
  // were read.
  int ReadFloatArray(const char* name, float* values, int count) const;
  bool Has(const char* name) const;

  // Appends a child <className name="..." [version="n"]> and answers a cursor on it; the version
  // attribute is written only when version > 1.
  XmlNode AddObject(const char* className, std::string_view name, int version = 1);
  // First child whose tag (or "class" attribute) is className and whose "name" matches.
  XmlNode FindObject(const char* className, std::string_view name) const;
  // The object's "version" attribute; 1 when missing.
  int ObjectVersion() const;

  std::string Text() const;
  void SetText(std::string_view text);
  std::string Tag() const;

  TiXmlElement* Element() const { return element_; }

 private:
  TiXmlElement* element_ = nullptr;
};

// A named string object ("VString"): text shorter than 11 characters goes in the attribute
// "string", longer text in the element's text content.
void WriteStringObject(XmlNode parent, std::string_view name, std::string_view text);
bool ReadStringObject(XmlNode parent, std::string_view name, std::string& out);

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // A new, empty document whose root element is rootName.
  void CreateNew(const char* rootName);
  // Parse text; false (and an empty document) when malformed or the root is not rootName.
  bool Parse(std::string_view text, const char* rootName);
  // Load a file (non-ASCII paths work on Windows too); false when unreadable or malformed.
  bool Load(const std::filesystem::path& path, const char* rootName);
  bool Save(const std::filesystem::path& path) const;
  std::string Print() const;

  XmlNode Root() const;

 private:
  std::unique_ptr<TiXmlDocument> document_;
};

}  // namespace VFoundation
