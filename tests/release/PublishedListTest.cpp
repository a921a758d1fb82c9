// The list the publisher writes, read the way the updater reads it: MSXML 3 under Wine, in the
// code page the list declares.
#include <windows.h>
#include <msxml2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestPaths.h"

namespace {

template <class T>
struct Com {
    T* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
    T** operator&() { return &p; }
};

std::wstring Wide(const std::string& s) {
    std::wstring w(s.size(), L'\0');
    w.resize(MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], static_cast<int>(w.size())));
    return w;
}

std::wstring Text(IXMLDOMNode* node) {
    BSTR b = nullptr;
    if (FAILED(node->get_text(&b)) || !b) return L"<none>";
    std::wstring s(b, SysStringLen(b));
    SysFreeString(b);
    return s;
}

std::wstring NodeName(IXMLDOMNode* node) {
    BSTR b = nullptr;
    node->get_nodeName(&b);
    std::wstring s(b ? b : L"", b ? SysStringLen(b) : 0);
    SysFreeString(b);
    return s;
}

std::wstring Child(IXMLDOMNode* parent, const wchar_t* name) {
    Com<IXMLDOMNode> n;
    BSTR q = SysAllocString(name);
    HRESULT hr = parent->selectSingleNode(q, &n);
    SysFreeString(q);
    return hr == S_OK && n.p ? Text(n.p) : L"<missing>";
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

class PublishedList : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid));
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                         reinterpret_cast<void**>(&doc_)));
        doc_->put_async(VARIANT_FALSE);
        VARIANT file;
        VariantInit(&file);
        file.vt = VT_BSTR;
        file.bstrVal = SysAllocString(Wide(qv::test::WinePath(QV_PUBLISHED_LIST)).c_str());
        VARIANT_BOOL ok = VARIANT_FALSE;
        HRESULT hr = doc_->load(file, &ok);
        VariantClear(&file);
        ASSERT_EQ(S_OK, hr);
        ASSERT_EQ(VARIANT_TRUE, ok) << "not well-formed: " << QV_PUBLISHED_LIST;
        Com<IXMLDOMElement> root;
        ASSERT_EQ(S_OK, doc_->get_documentElement(&root));
        ASSERT_EQ(S_OK, root->get_firstChild(&component_));
    }
    void TearDown() override {
        if (component_) component_->Release();
        if (doc_) doc_->Release();
        CoUninitialize();
    }
    // The component element's children, in document order.
    std::vector<IXMLDOMNode*> Children() {
        std::vector<IXMLDOMNode*> out;
        Com<IXMLDOMNodeList> list;
        component_->get_childNodes(&list);
        IXMLDOMNode* n = nullptr;
        while (list->nextNode(&n) == S_OK && n) out.push_back(n);
        return out;
    }
    IXMLDOMDocument* doc_ = nullptr;
    IXMLDOMNode* component_ = nullptr;
};

TEST_F(PublishedList, FirstChildOfTheRootIsTheComponentWithItsHeader) {
    DOMNodeType type;
    component_->get_nodeType(&type);
    ASSERT_EQ(NODE_ELEMENT, type);
    EXPECT_EQ(L"component", NodeName(component_));
    EXPECT_EQ(L"Quorvane update list", Child(component_, L"name"));
    EXPECT_EQ(L"Quorvane", Child(component_, L"productname"));
    EXPECT_EQ(L"5.1.1", Child(component_, L"productversion"));
    EXPECT_EQ(L"", Child(component_, L"terminate"));
    EXPECT_EQ(L"", Child(component_, L"terminatemsg"));
}

TEST_F(PublishedList, FilecountCountsTheFilesAndOnlyFilesFollowTheFirst) {
    std::vector<IXMLDOMNode*> nodes = Children();
    size_t first = 0;
    while (first < nodes.size() && NodeName(nodes[first]) != L"file") ++first;
    ASSERT_LT(first, nodes.size());
    for (size_t i = first; i < nodes.size(); ++i) EXPECT_EQ(L"file", NodeName(nodes[i])) << i;
    EXPECT_EQ(std::to_wstring(nodes.size() - first), Child(component_, L"filecount"));
    for (IXMLDOMNode* n : nodes) n->Release();
}

TEST_F(PublishedList, EntriesReadBackInTheDeclaredCodePage) {
    std::vector<IXMLDOMNode*> nodes = Children();
    std::vector<IXMLDOMNode*> files;
    for (IXMLDOMNode* n : nodes)
        if (NodeName(n) == L"file") files.push_back(n);
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ(L"Quorvane.exe", Child(files[0], L"filename"));
    EXPECT_EQ(L"Gr\u00f6\u00dfer \u2013 caf\u00e9 \u20ac", Child(files[0], L"description"));
    EXPECT_EQ(L"Help pages <new> & better.", Child(files[1], L"description"));
    EXPECT_EQ(L"\\\\Help\\Quorvane.chm", Child(files[1], L"destfile"));
    EXPECT_EQ(L"http://127.0.0.1:8123/downloads/updates/quorvane/files/5.1.1/Quorvane.chm",
              Child(files[1], L"filepath"));
    const std::string fixture = qv::test::WinePath(QV_SOURCE_DIR "/tests/release/fixture/");
    EXPECT_EQ(std::to_wstring(FileSize(fixture + "Quorvane.exe")), Child(files[0], L"filesize"));
    EXPECT_EQ(std::to_wstring(FileSize(fixture + "help\\Quorvane.chm")), Child(files[1], L"filesize"));
    for (IXMLDOMNode* n : nodes) n->Release();
}

}  // namespace
