#include "pdf/core/xmp/xml_dom.h"

#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <new>

namespace {

const xmlChar* X(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }

std::string FromXml(const xmlChar* s) { return s != nullptr ? std::string(reinterpret_cast<const char*>(s)) : std::string(); }

std::pair<std::string, std::string> SplitQName(std::string_view qname) {
  const size_t colon = qname.find(':');
  if (colon == std::string_view::npos) return {std::string(), std::string(qname)};
  return {std::string(qname.substr(0, colon)), std::string(qname.substr(colon + 1))};
}

void IgnoreXmlError(void*, const char*, ...) {}

}  // namespace

// --- nodes ---

bool TXMLNode::IsElement() const { return node_ != nullptr && node_->type == XML_ELEMENT_NODE; }

std::string TXMLNode::LocalName() const { return node_ != nullptr ? FromXml(node_->name) : std::string(); }

std::string TXMLNode::NamespaceURI() const {
  return node_ != nullptr && node_->ns != nullptr ? FromXml(node_->ns->href) : std::string();
}

std::string TXMLNode::Text() const {
  if (node_ == nullptr) return {};
  xmlChar* content = xmlNodeGetContent(node_);
  std::string s = FromXml(content);
  xmlFree(content);
  return s;
}

void TXMLNode::SetText(std::string_view utf8) {
  if (node_ == nullptr) return;
  // Added content is taken literally (no entity references are parsed in it). Characters
  // that XML 1.0 cannot hold (C0 controls but tab, line feed and carriage return; U+FFFE,
  // U+FFFF) are left out, so that the document can always be read back.
  std::string text;
  text.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D) continue;
    if (c == 0xEF && i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0xBF &&
        (static_cast<unsigned char>(utf8[i + 2]) & 0xFE) == 0xBE) {
      i += 2;
      continue;
    }
    text += static_cast<char>(c);
  }
  xmlNodeSetContent(node_, nullptr);
  xmlNodeAddContent(node_, X(text));
}

std::vector<TXMLNode> TXMLNode::ChildElements() const {
  std::vector<TXMLNode> out;
  if (node_ == nullptr) return out;
  for (xmlNode* c = node_->children; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE) out.emplace_back(c);
  return out;
}

TXMLNode TXMLNode::FirstChildElement(std::string_view namespaceURI, std::string_view localName) const {
  for (const TXMLNode& c : ChildElements())
    if (c.LocalName() == localName && c.NamespaceURI() == namespaceURI) return c;
  return TXMLNode();
}

TXMLNode TXMLNode::AppendElement(std::string_view namespaceURI, std::string_view qualifiedName) {
  if (node_ == nullptr) return TXMLNode();
  const auto [prefix, local] = SplitQName(qualifiedName);
  const std::string uri(namespaceURI);
  xmlNode* child = xmlNewDocNode(node_->doc, nullptr, X(local), nullptr);
  if (child == nullptr) throw std::bad_alloc();
  xmlAddChild(node_, child);
  if (!uri.empty()) {
    xmlNs* ns = xmlSearchNsByHref(node_->doc, child, X(uri));
    if (ns == nullptr || FromXml(ns->prefix) != prefix)
      ns = xmlNewNs(child, X(uri), prefix.empty() ? nullptr : X(prefix));
    xmlSetNs(child, ns);
  }
  return TXMLNode(child);
}

void TXMLNode::DeclareNamespace(std::string_view prefix, std::string_view namespaceURI) {
  if (node_ == nullptr) return;
  const std::string p(prefix), uri(namespaceURI);
  xmlNewNs(node_, X(uri), p.empty() ? nullptr : X(p));
}

bool TXMLNode::DeclaresNamespace(std::string_view namespaceURI) const {
  if (node_ == nullptr) return false;
  for (xmlNs* ns = node_->nsDef; ns != nullptr; ns = ns->next)
    if (FromXml(ns->href) == namespaceURI) return true;
  return false;
}

void TXMLNode::SetLang(std::string_view lang) {
  if (node_ == nullptr) return;
  const std::string l(lang);
  xmlNodeSetLang(node_, X(l));
}

void TXMLNode::Remove() {
  if (node_ == nullptr) return;
  xmlUnlinkNode(node_);
  xmlFreeNode(node_);
  node_ = nullptr;
}

// --- documents ---

TXMLDocument::TXMLDocument() {
  doc_ = xmlNewDoc(BAD_CAST "1.0");
  if (doc_ == nullptr) throw std::bad_alloc();
}

TXMLDocument::~TXMLDocument() { xmlFreeDoc(doc_); }

bool TXMLDocument::LoadXML(std::string_view text) {
  if (text.empty() || text.size() > kMaxXMLBytes) return false;
  // Encoding errors bypass the parser's own switches and go to libxml2's generic handler;
  // keep them quiet for this parse and restore the caller's handler afterwards.
  const xmlGenericErrorFunc savedHandler = xmlGenericError;
  void* const savedContext = xmlGenericErrorContext;
  xmlSetGenericErrorFunc(nullptr, IgnoreXmlError);
  xmlDoc* parsed = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                                 XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA);
  xmlSetGenericErrorFunc(savedContext, savedHandler);
  if (parsed == nullptr) return false;
  if (xmlDocGetRootElement(parsed) == nullptr) {
    xmlFreeDoc(parsed);
    return false;
  }
  xmlFreeDoc(doc_);
  doc_ = parsed;
  return true;
}

TXMLNode TXMLDocument::DocumentElement() const { return TXMLNode(xmlDocGetRootElement(doc_)); }

TXMLNode TXMLDocument::CreateDocumentElement(std::string_view namespaceURI, std::string_view qualifiedName) {
  const auto [prefix, local] = SplitQName(qualifiedName);
  xmlNode* root = xmlNewDocNode(doc_, nullptr, X(local), nullptr);
  if (root == nullptr) throw std::bad_alloc();
  xmlNode* old = xmlDocSetRootElement(doc_, root);
  if (old != nullptr) xmlFreeNode(old);
  if (!namespaceURI.empty()) {
    const std::string uri(namespaceURI);
    xmlSetNs(root, xmlNewNs(root, X(uri), prefix.empty() ? nullptr : X(prefix)));
  }
  return TXMLNode(root);
}

void TXMLDocument::AddProcessingInstruction(std::string_view target, std::string_view data, bool before) {
  xmlNode* root = xmlDocGetRootElement(doc_);
  if (root == nullptr) return;
  const std::string t(target), d(data);
  xmlNode* pi = xmlNewDocPI(doc_, X(t), X(d));
  if (pi == nullptr) throw std::bad_alloc();
  if (before) xmlAddPrevSibling(root, pi);
  else xmlAddNextSibling(root, pi);
}

std::vector<TXMLNode> TXMLDocument::SelectNodes(std::string_view xpath, const TNamespaces& namespaces) const {
  std::vector<TXMLNode> out;
  xmlXPathContext* ctx = xmlXPathNewContext(doc_);
  if (ctx == nullptr) return out;
  for (const auto& [prefix, uri] : namespaces) xmlXPathRegisterNs(ctx, X(prefix), X(uri));
  const std::string expr(xpath);
  xmlXPathObject* result = xmlXPathEvalExpression(X(expr), ctx);
  if (result != nullptr && result->type == XPATH_NODESET && result->nodesetval != nullptr) {
    for (int i = 0; i < result->nodesetval->nodeNr; ++i) out.emplace_back(result->nodesetval->nodeTab[i]);
  }
  xmlXPathFreeObject(result);
  xmlXPathFreeContext(ctx);
  return out;
}

TXMLNode TXMLDocument::SelectSingleNode(std::string_view xpath, const TNamespaces& namespaces) const {
  const auto nodes = SelectNodes(xpath, namespaces);
  return nodes.empty() ? TXMLNode() : nodes.front();
}

std::string TXMLDocument::SaveToString() const {
  xmlBuffer* buffer = xmlBufferCreate();
  if (buffer == nullptr) throw std::bad_alloc();
  xmlSaveCtxt* save = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_NO_DECL);
  std::string out;
  if (save != nullptr) {
    xmlSaveDoc(save, doc_);
    xmlSaveClose(save);
    out.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)), static_cast<size_t>(xmlBufferLength(buffer)));
  }
  xmlBufferFree(buffer);
  return out;
}
