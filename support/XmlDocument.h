// The XML document layer over TinyXML: named values (attributes) and named objects (child
// elements tagged with the object's class name and carrying a "name" attribute).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
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
  // Every child whose tag (or "class" attribute) is className, by its "name", in document order:
  // one pass for a reader that looks up many objects by name. Where names repeat, the first wins,
  // as with FindObject.
  std::unordered_map<std::string, XmlNode> ObjectsByName(const char* className) const;
  // The object's "version" attribute; 1 when missing.
  int ObjectVersion() const;
  // Every child element in document order, whatever its tag.
  std::vector<XmlNode> Children() const;
  // Every attribute as name and value, in document order.
  std::vector<std::pair<std::string, std::string>> Attributes() const;

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
  // Parse and Load refuse, with a line in the run-time log, a text beyond these limits before
  // TinyXML sees it, so that a damaged file or a hostile host chunk can neither stall the thread
  // that reads it nor exhaust the memory. Each is far above what the plug-in writes: a state
  // document is a few kilobytes with at most 740 attributes on one element; a bindings document
  // with every controller slot full prints 11 MB with 82 000 elements and 461 000 attributes.
  static constexpr size_t kMaxBytes = size_t{16} << 20;
  // Elements, comments, declarations, CDATA sections and other markup; the text runs between them
  // are bounded by their number. TinyXML keeps about 250 bytes per node.
  static constexpr int64_t kMaxNodes = int64_t{1} << 18;
  static constexpr int64_t kMaxAttributes = int64_t{1} << 20;
  // TinyXML compares each new attribute's name with every earlier one of its element, so an
  // element of n attributes costs n(n - 1) / 2 comparisons: this bounds their sum over the
  // document, and with it one element to 5793 attributes. A name of 64 bytes or more counts one
  // more per 64 bytes in each comparison, since names of equal length compare byte by byte. A
  // full bindings document needs about 4 million.
  static constexpr int64_t kMaxAttributeComparisons = int64_t{1} << 24;
  // TinyXML parses, copies, prints and deletes elements recursively, so deep nesting would
  // overflow the reading thread's stack; the plug-in's documents are at most four levels deep.
  static constexpr int kMaxDepth = 128;

  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // A new, empty document whose root element is rootName.
  void CreateNew(const char* rootName);
  // Parse text up to its first NUL; false (and an empty document) when malformed, beyond the
  // limits above, when the root is not rootName, or when its XML declaration holds text outside
  // ASCII (where TinyXML's reading would depend on the C library's locale). // UI thread
  // (allocates)
  bool Parse(std::string_view text, const char* rootName);
  // Load a file (non-ASCII paths work on Windows too); false when unreadable, malformed or beyond
  // the limits. // UI thread (allocates)
  bool Load(const std::filesystem::path& path, const char* rootName);
  bool Save(const std::filesystem::path& path) const;
  std::string Print() const;

  XmlNode Root() const;

 private:
  std::unique_ptr<TiXmlDocument> document_;
};

}  // namespace VFoundation
