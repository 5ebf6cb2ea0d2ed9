// A small XML DOM over libxml2: what the XMP packet needs (build, load from text, namespaces,
// XPath selection, serialisation). Nodes are non-owning handles into their document.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct _xmlNode;
struct _xmlDoc;

class TXMLNode {
 public:
  TXMLNode() = default;
  explicit TXMLNode(_xmlNode* node) : node_(node) {}
  explicit operator bool() const { return node_ != nullptr; }
  bool operator==(const TXMLNode& other) const { return node_ == other.node_; }
  _xmlNode* Raw() const { return node_; }

  bool IsElement() const;
  std::string LocalName() const;
  std::string NamespaceURI() const;
  // The concatenated text of the node and its descendants.
  std::string Text() const;
  void SetText(std::string_view utf8);
  std::vector<TXMLNode> ChildElements() const;
  TXMLNode FirstChildElement(std::string_view namespaceURI, std::string_view localName) const;

  // Appends a new element in the namespace (declared here when not yet in scope under that
  // prefix); qualifiedName is "prefix:local".
  TXMLNode AppendElement(std::string_view namespaceURI, std::string_view qualifiedName);
  // An "xmlns:prefix" declaration on this element.
  void DeclareNamespace(std::string_view prefix, std::string_view namespaceURI);
  bool DeclaresNamespace(std::string_view namespaceURI) const;
  void SetLang(std::string_view lang);  // xml:lang
  // Unlinks the node from the tree and frees it with its subtree.
  void Remove();

 private:
  _xmlNode* node_ = nullptr;
};

class TXMLDocument {
 public:
  TXMLDocument();  // an empty document; raises std::bad_alloc when libxml2 cannot make one
  ~TXMLDocument();
  TXMLDocument(const TXMLDocument&) = delete;
  TXMLDocument& operator=(const TXMLDocument&) = delete;

  // Parses text (at most kMaxXMLBytes, no network, no external entities, no DTD loading);
  // false leaves the document unchanged.
  bool LoadXML(std::string_view text);
  static constexpr size_t kMaxXMLBytes = 16 << 20;

  TXMLNode DocumentElement() const;
  // A new root element (replacing any) in the namespace, declared on it.
  TXMLNode CreateDocumentElement(std::string_view namespaceURI, std::string_view qualifiedName);
  // A processing instruction before (before = true) or after the root element.
  void AddProcessingInstruction(std::string_view target, std::string_view data, bool before);

  // Prefix -> namespace URI pairs for XPath expressions.
  using TNamespaces = std::vector<std::pair<std::string, std::string>>;
  std::vector<TXMLNode> SelectNodes(std::string_view xpath, const TNamespaces& namespaces) const;
  TXMLNode SelectSingleNode(std::string_view xpath, const TNamespaces& namespaces) const;

  // The document as UTF-8 XML without an XML declaration.
  std::string SaveToString() const;

 private:
  _xmlDoc* doc_ = nullptr;
};
