#include "common/xml/XmlDocument.h"

#include <windows.h>
#include <msxml2.h>
#include <objbase.h>

#include <cstdio>

#include "common/core/Text.h"

namespace qv {

namespace {

// Owns one BSTR that COM handed out.
struct OwnedBstr {
    BSTR s = nullptr;
    ~OwnedBstr() {
        if (s) ::SysFreeString(s);
    }
    std::wstring Wide() const { return s ? std::wstring(s, ::SysStringLen(s)) : std::wstring(); }
};

std::string HresultText(const char* what, HRESULT hr) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s failed (0x%08lX)", what, static_cast<unsigned long>(hr));
    return buf;
}

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw EXMLError(HresultText(what, hr));
}

bool IsTextLike(IXMLDOMNode* n) {
    DOMNodeType type = NODE_INVALID;
    n->get_nodeType(&type);
    return type == NODE_TEXT || type == NODE_CDATA_SECTION;
}

}  // namespace

TXMLNode::TXMLNode(const TXMLNode& o) noexcept : node_(o.node_) {
    if (node_) node_->AddRef();
}

TXMLNode::~TXMLNode() {
    if (node_) node_->Release();
}

bool TXMLNode::IsElement() const {
    DOMNodeType type = NODE_INVALID;
    return node_ && SUCCEEDED(node_->get_nodeType(&type)) && type == NODE_ELEMENT;
}

std::string TXMLNode::NodeName() const {
    if (!node_) return {};
    OwnedBstr name;
    Check(node_->get_nodeName(&name.s), "Reading a node name");
    return WideToAnsi(name.Wide());
}

TXMLNode TXMLNode::FirstChild() const {
    IXMLDOMNode* child = nullptr;
    if (node_) node_->get_firstChild(&child);  // S_FALSE and no node at the end
    return TXMLNode(child);
}

TXMLNode TXMLNode::NextSibling() const {
    IXMLDOMNode* next = nullptr;
    if (node_) node_->get_nextSibling(&next);
    return TXMLNode(next);
}

TXMLNode TXMLNode::FindChild(const std::string& name) const {
    std::wstring want = AnsiToWide(name);
    for (TXMLNode c = FirstChild(); c; c = c.NextSibling()) {
        if (!c.IsElement()) continue;
        OwnedBstr n;
        if (SUCCEEDED(c.node_->get_nodeName(&n.s)) && n.Wide() == want) return c;
    }
    return TXMLNode();
}

std::vector<TXMLNode> TXMLNode::ChildElements(const std::string& name) const {
    std::vector<TXMLNode> out;
    std::wstring want = AnsiToWide(name);
    for (TXMLNode c = FirstChild(); c; c = c.NextSibling()) {
        if (!c.IsElement()) continue;
        OwnedBstr n;
        if (SUCCEEDED(c.node_->get_nodeName(&n.s)) && n.Wide() == want) out.push_back(c);
    }
    return out;
}

bool TXMLNode::HasTextValue() const {
    TXMLNode first = FirstChild();
    if (!first) return true;
    return IsTextLike(first.node_) && first.NextSibling().IsNull();
}

std::string TXMLNode::Text() const {
    if (!node_) return {};
    if (!HasTextValue()) throw EXMLError("Element \"" + NodeName() + "\" does not hold a single text");
    TXMLNode only = FirstChild();
    if (!only) return {};
    VARIANT v;
    ::VariantInit(&v);
    Check(only.node_->get_nodeValue(&v), "Reading a text");
    std::wstring text = (v.vt == VT_BSTR && v.bstrVal) ? std::wstring(v.bstrVal, ::SysStringLen(v.bstrVal))
                                                       : std::wstring();
    ::VariantClear(&v);
    return WideToAnsi(text);
}

std::string TXMLNode::ChildText(const std::string& name) const { return FindChild(name).Text(); }

TXMLDocument::~TXMLDocument() {
    if (doc_) doc_->Release();
}

void TXMLDocument::LoadFromFile(const std::string& path) {
    if (doc_) {
        doc_->Release();
        doc_ = nullptr;
    }
    CLSID clsid;
    Check(::CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid), "Finding MSXML 3");
    IXMLDOMDocument* doc = nullptr;
    Check(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                             reinterpret_cast<void**>(&doc)),
          "Creating the XML document");
    struct Holder {
        IXMLDOMDocument* d;
        ~Holder() {
            if (d) d->Release();
        }
    } holder{doc};
    doc->put_async(VARIANT_FALSE);
    doc->put_validateOnParse(VARIANT_FALSE);
    // A list has no business fetching other files or addresses while it is parsed.
    doc->put_resolveExternals(VARIANT_FALSE);
    doc->put_preserveWhiteSpace(VARIANT_FALSE);

    std::wstring widePath = AnsiToWide(path);
    VARIANT source;
    ::VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = ::SysAllocStringLen(widePath.data(), static_cast<UINT>(widePath.size()));
    if (!source.bstrVal) throw EXMLError("Out of memory");
    VARIANT_BOOL ok = VARIANT_FALSE;
    HRESULT hr = doc->load(source, &ok);
    ::VariantClear(&source);
    if (SUCCEEDED(hr) && ok == VARIANT_TRUE) {
        IXMLDOMElement* root = nullptr;
        if (SUCCEEDED(doc->get_documentElement(&root)) && root) {
            root->Release();
            doc_ = holder.d;
            holder.d = nullptr;
            return;
        }
    }

    std::string message;
    IXMLDOMParseError* err = nullptr;
    if (SUCCEEDED(doc->get_parseError(&err)) && err) {
        OwnedBstr reason;
        long line = 0, column = 0;
        err->get_reason(&reason.s);
        err->get_line(&line);
        err->get_linepos(&column);
        err->Release();
        message = Trim(WideToAnsi(reason.Wide()));
        if (!message.empty() && line > 0)
            message += " (line " + IntToStr(line) + ", position " + IntToStr(column) + ")";
    }
    if (message.empty()) message = FAILED(hr) ? HresultText("Loading the XML document", hr) : "No XML document";
    throw EXMLError(message + ": " + path);
}

TXMLNode TXMLDocument::DocumentElement() const {
    if (!doc_) throw EXMLError("No XML document is loaded");
    IXMLDOMElement* root = nullptr;
    Check(doc_->get_documentElement(&root), "Reading the document element");
    if (!root) throw EXMLError("The XML document has no document element");
    IXMLDOMNode* node = nullptr;
    HRESULT hr = root->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(&node));
    root->Release();
    Check(hr, "Reading the document element");
    return TXMLNode(node);
}

}  // namespace qv
