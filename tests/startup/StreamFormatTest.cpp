#include "common/stream/ComponentStream.h"

#include <gtest/gtest.h>

#include <climits>

#include "common/core/Text.h"
#include "quorvane/startup/StartupClass.h"
#include "tests/startup/Bytes.h"

using namespace qv;
using namespace qv::test;

namespace {

// A class with one property of each kind; it writes what it is given and keeps what it reads.
class TProbe : public TStreamable {
public:
    std::vector<TStreamProperty> Out;
    std::vector<TStreamProperty> In;

    std::string StreamClassName() const override { return "TProbe"; }
    std::vector<TStreamProperty> StreamProperties() const override { return Out; }
    TStreamApply ApplyStreamProperty(const TStreamProperty& p) override {
        TStreamValueKind want;
        if (p.Name == "Count") want = TStreamValueKind::Integer;
        else if (p.Name == "On") want = TStreamValueKind::Boolean;
        else if (p.Name == "Text") want = TStreamValueKind::Text;
        else return TStreamApply::UnknownProperty;
        if (p.Value.Kind != want) return TStreamApply::WrongKind;
        In.push_back(p);
        return TStreamApply::Applied;
    }
};

std::string Encode(const TStreamValue& v) {
    std::string out;
    TStreamWriter(out).WriteValue(v);
    return out;
}

TStreamValue Decode(const std::string& bytes, size_t* used = nullptr) {
    TStreamReader r(bytes.data(), bytes.size());
    TStreamValue v = r.ReadValue();
    if (used) *used = r.Position();
    return v;
}

std::string ProbeRecord(const std::string& properties) {
    return "TPF0" + Short("TProbe") + std::string(1, '\0') + properties + RecordEnd();
}

// The system code page's form of a UTF-16 text, or empty when the code page cannot hold it.
std::string InCodePage(const std::wstring& w) {
    std::string a = WideToAnsi(w);
    return AnsiToWide(a) == w ? a : std::string();
}

}  // namespace

TEST(StreamFormatTest, IntegersTakeTheSmallestOfThreeSizes) {
    struct Case {
        int32_t value;
        const char* bytes;
    } cases[] = {
        {0, "02 00"},
        {127, "02 7F"},
        {-128, "02 80"},
        {128, "03 80 00"},
        {-129, "03 7F FF"},
        {32767, "03 FF 7F"},
        {-32768, "03 00 80"},
        {32768, "04 00 80 00 00"},
        {-32769, "04 FF 7F FF FF"},
        {INT32_MAX, "04 FF FF FF 7F"},
        {INT32_MIN, "04 00 00 00 80"},
        {static_cast<int32_t>(kRootCurrentUser), "04 01 00 00 80"},
        {static_cast<int32_t>(kRootLocalMachine), "04 02 00 00 80"},
    };
    for (const Case& c : cases) {
        std::string bytes = Encode(TStreamValue::OfInteger(c.value));
        EXPECT_EQ(Printable(Hex(c.bytes)), Printable(bytes)) << c.value;
        size_t used = 0;
        TStreamValue back = Decode(bytes, &used);
        EXPECT_EQ(TStreamValueKind::Integer, back.Kind);
        EXPECT_EQ(c.value, back.Integer);
        EXPECT_EQ(bytes.size(), used);
    }
}

TEST(StreamFormatTest, BooleansAreTagsWithoutData) {
    EXPECT_EQ(Hex("09"), Encode(TStreamValue::OfBoolean(true)));
    EXPECT_EQ(Hex("08"), Encode(TStreamValue::OfBoolean(false)));
    EXPECT_TRUE(Decode(Hex("09")).Boolean);
    EXPECT_FALSE(Decode(Hex("08")).Boolean);
    EXPECT_EQ(TStreamValueKind::Boolean, Decode(Hex("08")).Kind);
}

TEST(StreamFormatTest, WriterChoosesTheTextTagByTheRule) {
    const std::string a255(255, 'a'), a256(256, 'a');
    struct Case {
        std::string text;
        std::string bytes;
    } cases[] = {
        {"abc", Hex("06 03 61 62 63")},
        {a255, Hex("06 FF") + a255},
        {a256, Hex("0C 00 01 00 00") + a256},
        // Empty: no UTF-8 byte against no 16-bit unit meets "at least twice as many".
        {"", Hex("12 00 00 00 00")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Printable(c.bytes), Printable(Encode(TStreamValue::OfText(c.text)))) << c.text.size();
        EXPECT_EQ(c.text, Decode(c.bytes).Text);
    }
}

TEST(StreamFormatTest, NonAsciiTextsTakeUtf16OrUtf8) {
    const std::string e = InCodePage(L"\u00E9");  // two UTF-8 bytes for one unit: UTF-16
    if (e.empty()) GTEST_SKIP() << "code page " << GetACP() << " has no e-acute";
    struct Case {
        std::string text;
        std::string bytes;
    } cases[] = {
        {e, Hex("12 01 00 00 00 E9 00")},
        {e + e, Hex("12 02 00 00 00 E9 00 E9 00")},
        {"a" + e, Hex("14 03 00 00 00 61 C3 A9")},        // three UTF-8 bytes for two units: UTF-8
        {"C:\\caf" + e + ".exe", Hex("14 0C 00 00 00") + "C:\\caf\xC3\xA9.exe"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Printable(c.bytes), Printable(Encode(TStreamValue::OfText(c.text))));
        EXPECT_EQ(c.text, Decode(c.bytes).Text);
    }
}

TEST(StreamFormatTest, ReaderTakesAllFourTextTags) {
    const std::string e = InCodePage(L"\u00E9");
    if (e.empty()) GTEST_SKIP() << "code page " << GetACP() << " has no e-acute";
    const std::string want = "H" + e;
    const std::string forms[] = {
        Hex("06 02 48") + e,
        Hex("0C 02 00 00 00 48") + e,
        Hex("12 02 00 00 00 48 00 E9 00"),
        Hex("14 03 00 00 00 48 C3 A9"),
    };
    for (const std::string& f : forms) {
        size_t used = 0;
        TStreamValue v = Decode(f, &used);
        EXPECT_EQ(TStreamValueKind::Text, v.Kind) << Printable(f);
        EXPECT_EQ(want, v.Text) << Printable(f);
        EXPECT_EQ(f.size(), used) << Printable(f);
    }
}

TEST(StreamFormatTest, ComponentRoundTripKeepsPropertyOrder) {
    TProbe out;
    out.Out = {{"Text", TStreamValue::OfText("x")}, {"Count", TStreamValue::OfInteger(300)},
               {"On", TStreamValue::OfBoolean(true)}};
    std::string bytes;
    TStreamWriter(bytes).WriteComponent(out);
    EXPECT_EQ(Printable(ProbeRecord(Short("Text") + Ascii("x") + Short("Count") + Hex("03 2C 01") + Short("On") +
                                    Hex("09"))),
              Printable(bytes));

    TProbe in;
    TStreamReader r(bytes.data(), bytes.size());
    r.ReadComponent(in);
    EXPECT_EQ(bytes.size(), r.Position());
    ASSERT_EQ(3u, in.In.size());
    EXPECT_EQ("Text", in.In[0].Name);
    EXPECT_EQ("x", in.In[0].Value.Text);
    EXPECT_EQ(300, in.In[1].Value.Integer);
    EXPECT_TRUE(in.In[2].Value.Boolean);
}

TEST(StreamFormatTest, ReaderNamesEveryFaultAndItsOffset) {
    const std::string head = "TPF0" + Short("TProbe") + std::string(1, '\0');
    const size_t props = head.size();
    struct Case {
        const char* what;
        std::string bytes;
        TStreamFault fault;
        size_t offset;
    } cases[] = {
        {"empty input", "", TStreamFault::Truncated, 0},
        {"signature", "TPF1" + Short("TProbe") + RecordEnd() + RecordEnd(), TStreamFault::BadSignature, 0},
        {"class", ProbeRecord("").replace(5, 6, "TProbX"), TStreamFault::WrongClass, 4},
        {"class length past end", "TPF0\x40TProbe", TStreamFault::Truncated, 4},
        {"component name", "TPF0" + Short("TProbe") + Short("Me") + RecordEnd(), TStreamFault::NamedComponent, 11},
        {"unknown tag", head + Short("Count") + Hex("07 00") + RecordEnd(), TStreamFault::UnknownTag, props + 6},
        {"64-bit integer tag", head + Short("Count") + Hex("13 00 00 00 00 00 00 00 00") + RecordEnd(),
         TStreamFault::UnknownTag, props + 6},
        {"unknown property", head + Short("Colour") + Hex("02 01") + RecordEnd(), TStreamFault::UnknownProperty,
         props},
        {"wrong kind", head + Short("On") + Hex("02 01") + RecordEnd(), TStreamFault::WrongKind, props},
        {"integer cut", head + Short("Count") + Hex("04 01 02"), TStreamFault::Truncated, props + 7},
        {"short text past end", head + Short("Text") + Hex("06 10 41"), TStreamFault::Truncated, props + 6},
        {"long text past end", head + Short("Text") + Hex("0C FF FF FF 7F 41"), TStreamFault::Truncated, props + 5},
        {"wide text, huge count", head + Short("Text") + Hex("12 FF FF FF FF 41 00"), TStreamFault::Truncated,
         props + 5},
        {"wide text, odd byte short", head + Short("Text") + Hex("12 02 00 00 00 41 00 42"),
         TStreamFault::Truncated, props + 5},
        {"UTF-8 text past end", head + Short("Text") + Hex("14 00 00 00 80 41"), TStreamFault::Truncated,
         props + 5},
        {"no end of properties", head + Short("On") + Hex("09"), TStreamFault::Truncated, props + 4},
        {"no end of owned list", head + Short("On") + Hex("09 00"), TStreamFault::Truncated, props + 5},
        {"owned components", head + Hex("00") + "TPF0", TStreamFault::OwnedComponents, props + 1},
    };
    for (const Case& c : cases) {
        TProbe p;
        TStreamReader r(c.bytes.data(), c.bytes.size());
        try {
            r.ReadComponent(p);
            ADD_FAILURE() << c.what << ": read without a fault";
        } catch (const EStreamError& e) {
            EXPECT_EQ(static_cast<int>(c.fault), static_cast<int>(e.Fault())) << c.what << ": " << e.what();
            EXPECT_EQ(c.offset, e.Offset()) << c.what;
        }
    }
}

TEST(StreamFormatTest, WriterRefusesAShortStringOver255Bytes) {
    TProbe p;
    p.Out = {{std::string(256, 'P'), TStreamValue::OfBoolean(true)}};
    std::string bytes;
    EXPECT_THROW(TStreamWriter(bytes).WriteComponent(p), EStreamError);
}

// ---- the startup file's records

namespace {
std::string ItemBytes(const TStartupItem& item) {
    std::string out;
    TStreamWriter(out).WriteComponent(item);
    return out;
}
}  // namespace

TEST(StreamFormatTest, StartupRecordsByteForByte) {
    const std::string run = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    struct Case {
        const char* what;
        std::string name, command, location;
        bool enabled;
        std::string bytes;
    } cases[] = {
        {"current user, all texts", "Tool", "tool.exe /q", "HKEY_CURRENT_USER" + run, true,
         RecordHead() + Short("Name") + Ascii("Tool") + Short("Root") + Hex("04 01 00 00 80") + Short("Key") +
             Ascii(run) + Short("Enabled") + Hex("09") + Short("CommandLine") + Ascii("tool.exe /q") +
             Short("Location") + Ascii("HKEY_CURRENT_USER" + run) + RecordEnd()},
        {"local machine, empty name, disabled", "", "x", "HKEY_LOCAL_MACHINE" + run, false,
         RecordHead() + Short("Root") + Hex("04 02 00 00 80") + Short("Key") + Ascii(run) + Short("Enabled") +
             Hex("08") + Short("CommandLine") + Ascii("x") + Short("Location") +
             Ascii("HKEY_LOCAL_MACHINE" + run) + RecordEnd()},
        {"nothing but defaults", "", "", "", false,
         RecordHead() + Short("Root") + Hex("02 00") + Short("Enabled") + Hex("08") + RecordEnd()},
    };
    for (const Case& c : cases) {
        TStartupItem item;
        item.SetName(c.name);
        item.SetCommandLine(c.command);
        item.SetEnabled(c.enabled);  // before Location: the registry is not touched
        item.SetLocation(c.location);
        EXPECT_EQ(Printable(c.bytes), Printable(ItemBytes(item))) << c.what;

        TStartupItem back;
        TStreamReader r(c.bytes.data(), c.bytes.size());
        r.ReadComponent(back);
        EXPECT_EQ(c.name, back.Name()) << c.what;
        EXPECT_EQ(c.command, back.CommandLine()) << c.what;
        EXPECT_EQ(c.location, back.Location()) << c.what;
        EXPECT_EQ(c.enabled, back.Enabled()) << c.what;
        EXPECT_EQ(item.Root(), back.Root()) << c.what;
        EXPECT_EQ(item.Key(), back.Key()) << c.what;
    }
}

TEST(StreamFormatTest, StartupListFileIsCountThenRecords) {
    TStartupList list;
    EXPECT_EQ(Hex("00 00 00 00"), list.SaveToBytes());
    auto item = std::make_unique<TStartupItem>();
    item->SetName("A");
    std::string one = ItemBytes(*item);
    list.Add(std::move(item));
    list.Add(std::make_unique<TStartupItem>());
    EXPECT_EQ(Hex("02 00 00 00") + one + ItemBytes(TStartupItem()), list.SaveToBytes());
}
