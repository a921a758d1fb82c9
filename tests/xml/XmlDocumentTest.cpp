#include "common/xml/XmlDocument.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "tests/support/TestPaths.h"

using namespace qv;

namespace {

class XmlDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        folder = test::MakeTempFolder("xml");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override {
        test::RemoveFolderTree(folder);
        CoUninitialize();
    }
    // Writes the bytes as they stand and loads them.
    TXMLNode Load(const std::string& bytes) {
        std::string path = folder + "tidewelltemp.xml";
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, h);
        DWORD done = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        CloseHandle(h);
        doc.LoadFromFile(path);
        return doc.DocumentElement();
    }
    std::string folder;
    TXMLDocument doc;
};

const char kList[] =
    "<?xml version=\"1.0\"?>\r\n"
    "<updates>\r\n"
    "  <quorvane>\r\n"
    "    <name>Quorvane</name>\r\n"
    "    <productversion>2.1.0</productversion>\r\n"
    "    <terminatemsg/>\r\n"
    "    <file><version>2.1.0</version><filename>Quorvane.exe</filename></file>\r\n"
    "    <!-- between entries -->\r\n"
    "    <file><version>1.0.3</version><description>Help</description></file>\r\n"
    "  </quorvane>\r\n"
    "</updates>\r\n";

}  // namespace

TEST_F(XmlDocumentTest, ReadsElementsByNameInDocumentOrder) {
    TXMLNode root = Load(kList);
    EXPECT_EQ("updates", root.NodeName());
    TXMLNode component = root.FirstChild();  // whitespace between elements is no node
    ASSERT_TRUE(component.IsElement());
    EXPECT_EQ("quorvane", component.NodeName());
    EXPECT_EQ("Quorvane", component.ChildText("name"));
    EXPECT_EQ("2.1.0", component.ChildText("productversion"));
    EXPECT_EQ("", component.ChildText("terminatemsg"));
    EXPECT_TRUE(component.FindChild("terminatemsg"));

    std::vector<TXMLNode> files = component.ChildElements("file");
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ("Quorvane.exe", files[0].ChildText("filename"));
    EXPECT_EQ("1.0.3", files[1].ChildText("version"));

    // Walking the siblings after the first entry meets the comment too.
    std::vector<std::string> after;
    for (TXMLNode n = component.FindChild("file").NextSibling(); n; n = n.NextSibling())
        after.push_back(n.NodeName());
    EXPECT_EQ((std::vector<std::string>{"#comment", "file"}), after);
    // Names are compared exactly.
    EXPECT_FALSE(component.FindChild("NAME"));
}

TEST_F(XmlDocumentTest, MissingChildReadsEmptyAndLeavesTheDocumentAlone) {
    TXMLNode root = Load(kList);
    TXMLNode entry = root.FirstChild().ChildElements("file")[0];
    EXPECT_FALSE(entry.FindChild("description"));
    EXPECT_EQ("", entry.ChildText("description"));
    EXPECT_EQ("", entry.ChildText("finishedmsg"));
    // Nothing was added: the entry still has its two children.
    int children = 0;
    for (TXMLNode n = entry.FirstChild(); n; n = n.NextSibling()) ++children;
    EXPECT_EQ(2, children);
    EXPECT_FALSE(entry.FindChild("description"));
}

TEST_F(XmlDocumentTest, TextIsASingleTextOrCdataChild) {
    struct Case {
        const char* element;
        bool ok;
        const char* text;
    } cases[] = {
        {"<v>1.2.3</v>", true, "1.2.3"},
        {"<v/>", true, ""},
        {"<v></v>", true, ""},
        {"<v><![CDATA[a <b> & c]]></v>", true, "a <b> & c"},
        {"<v>&lt;x&gt; &amp; y</v>", true, "<x> & y"},
        {"<v>#WIN#\\Help\\x.chm</v>", true, "#WIN#\\Help\\x.chm"},
        {"<v><w>1</w></v>", false, ""},
        {"<v>1<!-- note --></v>", false, ""},
        {"<v>1<![CDATA[2]]></v>", false, ""},
    };
    for (const Case& c : cases) {
        TXMLNode root = Load(std::string("<r>") + c.element + "</r>");
        TXMLNode v = root.FindChild("v");
        ASSERT_TRUE(v) << c.element;
        EXPECT_EQ(c.ok, v.HasTextValue()) << c.element;
        if (c.ok) {
            EXPECT_EQ(c.text, v.Text()) << c.element;
        } else {
            EXPECT_THROW(v.Text(), EXMLError) << c.element;
            EXPECT_THROW(root.ChildText("v"), EXMLError) << c.element;
        }
    }
}

TEST_F(XmlDocumentTest, DocumentsThatAreNotWellFormedAreErrors) {
    const char* broken[] = {
        "",
        "not xml at all",
        "<updates><quorvane></updates>",
        "<a></b>",
        "<a/><b/>",
        "<a x=1/>",
        "<?xml version=\"1.0\"?>",
        "<a>\x01</a>",
    };
    for (const char* text : broken) {
        EXPECT_THROW(Load(text), EXMLError) << text;
        EXPECT_FALSE(doc.Active()) << text;
        EXPECT_THROW(doc.DocumentElement(), EXMLError) << text;
    }
    // A good load after a bad one works again.
    EXPECT_EQ("r", Load("<r/>").NodeName());
}

TEST_F(XmlDocumentTest, MissingFileIsAnError) {
    EXPECT_THROW(doc.LoadFromFile(folder + "none.xml"), EXMLError);
    EXPECT_FALSE(doc.Active());
}

TEST_F(XmlDocumentTest, EncodingsArriveAsAnsiText) {
    ASSERT_EQ(1252u, GetACP()) << "the cases below spell their ANSI texts in code page 1252";
    std::string utf16 = "\xFF\xFE";  // BOM, then UTF-16 LE of <d>café Ж</d>
    for (char16_t ch : std::u16string(u"<d>caf\u00E9 \u0416</d>")) {
        utf16 += static_cast<char>(ch & 0xFF);
        utf16 += static_cast<char>(ch >> 8);
    }
    struct Case {
        const char* name;
        std::string bytes;
        const char* text;
    } cases[] = {
        {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><d>caf\xE9 \xA9</d>", "caf\xE9 \xA9"},
        {"UTF-8 by default", "<d>caf\xC3\xA9 \xE2\x82\xAC</d>", "caf\xE9 \x80"},
        {"UTF-16 with BOM", utf16, "caf\xE9 ?"},  // no Cyrillic in code page 1252
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, Load(c.bytes).Text()) << c.name;
}
