// The XML document of the updater's list, over MSXML 3 ("Msxml2.DOMDocument.3.0"), made at run
// time through COM. The caller initialises COM on its thread (the updater's main thread, a
// single-threaded apartment) before loading, and uses the document and its nodes on that thread.
//
// Texts come out in the system's ANSI code page: MSXML decodes the file as its declaration or
// byte-order mark says, and we convert its UTF-16 at this edge. Reading never changes the
// document: a child that is asked for by name and does not exist reads as empty text.
#pragma once
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

struct IXMLDOMNode;
struct IXMLDOMDocument;

namespace qv {

// A document that cannot be loaded (not well-formed, missing file) or a value that breaks the
// value rules (an element whose content is not a single text).
class EXMLError : public std::runtime_error {
public:
    explicit EXMLError(const std::string& message) : std::runtime_error(message) {}
};

class TXMLNode {
public:
    TXMLNode() = default;
    explicit TXMLNode(IXMLDOMNode* adopted) noexcept : node_(adopted) {}  // takes the reference
    TXMLNode(const TXMLNode& o) noexcept;
    TXMLNode(TXMLNode&& o) noexcept : node_(o.node_) { o.node_ = nullptr; }
    TXMLNode& operator=(TXMLNode o) noexcept {
        std::swap(node_, o.node_);
        return *this;
    }
    ~TXMLNode();

    bool IsNull() const noexcept { return node_ == nullptr; }
    explicit operator bool() const noexcept { return node_ != nullptr; }
    bool IsElement() const;
    // The element's (or node's) name; "#text", "#comment", "#cdata-section" for those nodes.
    std::string NodeName() const;

    // Any kind of node, in document order; null at the end.
    TXMLNode FirstChild() const;
    TXMLNode NextSibling() const;
    // The first child element of that exact name; null when there is none.
    TXMLNode FindChild(const std::string& name) const;
    // Every child element of that exact name, in document order.
    std::vector<TXMLNode> ChildElements(const std::string& name) const;

    // True when the element is empty or holds exactly one text or CDATA child.
    bool HasTextValue() const;
    // That text, exactly as the document holds it; EXMLError when the content is anything else.
    std::string Text() const;
    // Text() of FindChild(name); empty text when the child does not exist.
    std::string ChildText(const std::string& name) const;

private:
    IXMLDOMNode* node_ = nullptr;
};

class TXMLDocument {
public:
    TXMLDocument() = default;
    ~TXMLDocument();
    TXMLDocument(const TXMLDocument&) = delete;
    TXMLDocument& operator=(const TXMLDocument&) = delete;

    // Replaces what was loaded. EXMLError (with MSXML's reason, line and position) when the file
    // is missing or not well-formed; the document is then empty.
    void LoadFromFile(const std::string& path);
    bool Active() const noexcept { return doc_ != nullptr; }
    // EXMLError when nothing is loaded.
    TXMLNode DocumentElement() const;

private:
    IXMLDOMDocument* doc_ = nullptr;
};

}  // namespace qv
