// The component stream byte form: "TPF0", the class name as a short string, an empty component
// name, the named properties each with a tag byte and its value, 0x00 after the properties and
// 0x00 for the (empty) list of owned components. Texts are in the system code page on our side;
// the stream may carry them as bytes, UTF-16LE or UTF-8.
//
// The reader trusts nothing: every length is checked against what is left of the input before
// anything is allocated, and any fault is an EStreamError that names it and its offset.
#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace qv {

enum class TStreamValueKind : uint8_t { Integer, Boolean, Text };

// The value tags of the stream.
enum : uint8_t {
    kTagInt8 = 0x02,
    kTagInt16 = 0x03,
    kTagInt32 = 0x04,
    kTagString = 0x06,      // 1-byte length + bytes
    kTagFalse = 0x08,
    kTagTrue = 0x09,
    kTagLString = 0x0C,     // 4-byte length + bytes
    kTagWString = 0x12,     // 4-byte count of 16-bit units + UTF-16LE
    kTagUtf8String = 0x14,  // 4-byte byte count + UTF-8
};

struct TStreamValue {
    TStreamValueKind Kind = TStreamValueKind::Integer;
    int32_t Integer = 0;
    bool Boolean = false;
    std::string Text;  // system code page

    static TStreamValue OfInteger(int32_t v);
    static TStreamValue OfBoolean(bool v);
    static TStreamValue OfText(std::string v);
};

struct TStreamProperty {
    std::string Name;
    TStreamValue Value;
};

// What a class tells the reader about one property it was given.
enum class TStreamApply { Applied, UnknownProperty, WrongKind };

// A class that can be written to and read from the stream.
class TStreamable {
public:
    virtual ~TStreamable() = default;
    virtual std::string StreamClassName() const = 0;
    // The properties to write, in order; the class leaves out what it does not store.
    virtual std::vector<TStreamProperty> StreamProperties() const = 0;
    // Called for each property read, in stream order.
    virtual TStreamApply ApplyStreamProperty(const TStreamProperty& property) = 0;
};

enum class TStreamFault {
    Truncated,         // a length, count or value runs past the end of the input
    BadSignature,      // not "TPF0"
    WrongClass,        // another class name than the object's
    NamedComponent,    // a component name that is not empty
    UnknownTag,        // a value tag we do not read
    UnknownProperty,   // a property name the class does not have
    WrongKind,         // a value of another kind than the property's
    OwnedComponents,   // owned components follow (we write none and read none)
    TextTooLong,       // writer: a short string of more than 255 bytes
};

const char* StreamFaultText(TStreamFault fault);

class EStreamError : public std::runtime_error {
public:
    EStreamError(TStreamFault fault, size_t offset);
    TStreamFault Fault() const noexcept { return fault_; }
    size_t Offset() const noexcept { return offset_; }

private:
    TStreamFault fault_;
    size_t offset_;
};

extern const char kStreamSignature[4];  // "TPF0"

// Appends to a byte string.
class TStreamWriter {
public:
    explicit TStreamWriter(std::string& out) : out_(out) {}

    void WriteInt32(int32_t v);  // raw, little-endian, no tag
    void WriteShortString(const std::string& s);
    // An integer in the smallest of the three sizes, a boolean as its tag, a text by the rule:
    // UTF-16 when UTF-8 takes at least two bytes per 16-bit unit, else plain bytes for ASCII
    // (short form up to 255), else UTF-8.
    void WriteValue(const TStreamValue& v);
    void WriteComponent(const TStreamable& object);

private:
    void Put(const void* p, size_t n) { out_.append(static_cast<const char*>(p), n); }
    void PutByte(uint8_t b) { out_.push_back(static_cast<char>(b)); }

    std::string& out_;
};

// Reads from a byte range that the caller keeps alive.
class TStreamReader {
public:
    TStreamReader(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size) {}

    size_t Position() const { return pos_; }
    size_t Remaining() const { return size_ - pos_; }
    void Seek(size_t pos) { pos_ = pos < size_ ? pos : size_; }
    // Offset of the next signature at or after from; Size() when there is none.
    size_t FindSignature(size_t from) const;
    size_t Size() const { return size_; }

    int32_t ReadInt32();
    uint8_t ReadByte();
    std::string ReadShortString();
    TStreamValue ReadValue();
    // Reads one whole component into object. On a fault the properties already applied stay
    // applied and the position is where the fault was found.
    void ReadComponent(TStreamable& object);

private:
    void Need(size_t n) const;
    uint32_t ReadUInt32();
    std::string ReadBytes(size_t n);

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace qv
