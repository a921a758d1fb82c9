#include "common/stream/ComponentStream.h"

#include <cstring>

#include "common/core/Text.h"

namespace qv {

const char kStreamSignature[4] = {'T', 'P', 'F', '0'};

TStreamValue TStreamValue::OfInteger(int32_t v) {
    TStreamValue r;
    r.Kind = TStreamValueKind::Integer;
    r.Integer = v;
    return r;
}

TStreamValue TStreamValue::OfBoolean(bool v) {
    TStreamValue r;
    r.Kind = TStreamValueKind::Boolean;
    r.Boolean = v;
    return r;
}

TStreamValue TStreamValue::OfText(std::string v) {
    TStreamValue r;
    r.Kind = TStreamValueKind::Text;
    r.Text = std::move(v);
    return r;
}

const char* StreamFaultText(TStreamFault fault) {
    switch (fault) {
        case TStreamFault::Truncated: return "the data ends inside a value";
        case TStreamFault::BadSignature: return "no component signature";
        case TStreamFault::WrongClass: return "a component of another class";
        case TStreamFault::NamedComponent: return "a named component";
        case TStreamFault::UnknownTag: return "an unknown value tag";
        case TStreamFault::UnknownProperty: return "an unknown property";
        case TStreamFault::WrongKind: return "a value of the wrong kind";
        case TStreamFault::OwnedComponents: return "owned components";
        case TStreamFault::TextTooLong: return "a short string longer than 255 bytes";
    }
    return "a damaged stream";
}

EStreamError::EStreamError(TStreamFault fault, size_t offset)
    : std::runtime_error(std::string("Component stream: ") + StreamFaultText(fault) + " at offset " +
                         UIntToStr(offset)),
      fault_(fault),
      offset_(offset) {}

// ---- writer

void TStreamWriter::WriteInt32(int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                    static_cast<uint8_t>(u >> 24)};
    Put(b, 4);
}

void TStreamWriter::WriteShortString(const std::string& s) {
    if (s.size() > 255) throw EStreamError(TStreamFault::TextTooLong, out_.size());
    PutByte(static_cast<uint8_t>(s.size()));
    Put(s.data(), s.size());
}

static bool IsAscii(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

void TStreamWriter::WriteValue(const TStreamValue& v) {
    switch (v.Kind) {
        case TStreamValueKind::Integer:
            if (v.Integer >= -128 && v.Integer <= 127) {
                PutByte(kTagInt8);
                PutByte(static_cast<uint8_t>(v.Integer));
            } else if (v.Integer >= -32768 && v.Integer <= 32767) {
                PutByte(kTagInt16);
                uint16_t u = static_cast<uint16_t>(v.Integer);
                PutByte(static_cast<uint8_t>(u));
                PutByte(static_cast<uint8_t>(u >> 8));
            } else {
                PutByte(kTagInt32);
                WriteInt32(v.Integer);
            }
            return;
        case TStreamValueKind::Boolean:
            PutByte(v.Boolean ? kTagTrue : kTagFalse);
            return;
        case TStreamValueKind::Text: {
            std::wstring w = AnsiToWide(v.Text);
            std::string u = WideToUtf8(w);
            if (u.size() >= 2 * w.size()) {
                PutByte(kTagWString);
                WriteInt32(static_cast<int32_t>(w.size()));
                for (wchar_t c : w) {
                    PutByte(static_cast<uint8_t>(c));
                    PutByte(static_cast<uint8_t>(static_cast<uint16_t>(c) >> 8));
                }
            } else if (IsAscii(v.Text)) {
                if (v.Text.size() <= 255) {
                    PutByte(kTagString);
                    WriteShortString(v.Text);
                } else {
                    PutByte(kTagLString);
                    WriteInt32(static_cast<int32_t>(v.Text.size()));
                    Put(v.Text.data(), v.Text.size());
                }
            } else {
                PutByte(kTagUtf8String);
                WriteInt32(static_cast<int32_t>(u.size()));
                Put(u.data(), u.size());
            }
            return;
        }
    }
}

void TStreamWriter::WriteComponent(const TStreamable& object) {
    Put(kStreamSignature, 4);
    WriteShortString(object.StreamClassName());
    PutByte(0);  // no component name
    for (const TStreamProperty& p : object.StreamProperties()) {
        WriteShortString(p.Name);
        WriteValue(p.Value);
    }
    PutByte(0);  // end of the properties
    PutByte(0);  // end of the owned components
}

// ---- reader

void TStreamReader::Need(size_t n) const {
    if (n > size_ - pos_) throw EStreamError(TStreamFault::Truncated, pos_);
}

uint8_t TStreamReader::ReadByte() {
    Need(1);
    return data_[pos_++];
}

uint32_t TStreamReader::ReadUInt32() {
    Need(4);
    const uint8_t* p = data_ + pos_;
    pos_ += 4;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

int32_t TStreamReader::ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }

std::string TStreamReader::ReadBytes(size_t n) {
    Need(n);
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
}

std::string TStreamReader::ReadShortString() {
    size_t at = pos_;
    size_t n = ReadByte();
    if (n > Remaining()) throw EStreamError(TStreamFault::Truncated, at);
    return ReadBytes(n);
}

TStreamValue TStreamReader::ReadValue() {
    size_t at = pos_;
    uint8_t tag = ReadByte();
    switch (tag) {
        case kTagInt8:
            return TStreamValue::OfInteger(static_cast<int8_t>(ReadByte()));
        case kTagInt16: {
            uint16_t lo = ReadByte();
            uint16_t hi = ReadByte();
            return TStreamValue::OfInteger(static_cast<int16_t>(static_cast<uint16_t>(lo | hi << 8)));
        }
        case kTagInt32:
            return TStreamValue::OfInteger(ReadInt32());
        case kTagFalse:
        case kTagTrue:
            return TStreamValue::OfBoolean(tag == kTagTrue);
        case kTagString:
            pos_ = at + 1;
            return TStreamValue::OfText(ReadShortString());
        case kTagLString: {
            uint32_t n = ReadUInt32();
            if (n > Remaining()) throw EStreamError(TStreamFault::Truncated, at);
            return TStreamValue::OfText(ReadBytes(n));
        }
        case kTagWString: {
            uint32_t units = ReadUInt32();
            if (units > Remaining() / 2) throw EStreamError(TStreamFault::Truncated, at);
            std::wstring w(units, L'\0');
            for (uint32_t i = 0; i < units; ++i) {
                uint16_t lo = data_[pos_], hi = data_[pos_ + 1];
                w[i] = static_cast<wchar_t>(lo | hi << 8);
                pos_ += 2;
            }
            return TStreamValue::OfText(WideToAnsi(w));
        }
        case kTagUtf8String: {
            uint32_t n = ReadUInt32();
            if (n > Remaining()) throw EStreamError(TStreamFault::Truncated, at);
            return TStreamValue::OfText(WideToAnsi(Utf8ToWide(ReadBytes(n))));
        }
        default:
            throw EStreamError(TStreamFault::UnknownTag, at);
    }
}

size_t TStreamReader::FindSignature(size_t from) const {
    for (size_t i = from; i + 4 <= size_; ++i)
        if (memcmp(data_ + i, kStreamSignature, 4) == 0) return i;
    return size_;
}

void TStreamReader::ReadComponent(TStreamable& object) {
    size_t at = pos_;
    Need(4);
    if (memcmp(data_ + pos_, kStreamSignature, 4) != 0) throw EStreamError(TStreamFault::BadSignature, at);
    pos_ += 4;
    at = pos_;
    if (ReadShortString() != object.StreamClassName()) throw EStreamError(TStreamFault::WrongClass, at);
    at = pos_;
    if (!ReadShortString().empty()) throw EStreamError(TStreamFault::NamedComponent, at);
    for (;;) {
        at = pos_;
        TStreamProperty p;
        p.Name = ReadShortString();
        if (p.Name.empty()) break;
        p.Value = ReadValue();
        switch (object.ApplyStreamProperty(p)) {
            case TStreamApply::Applied: break;
            case TStreamApply::UnknownProperty: throw EStreamError(TStreamFault::UnknownProperty, at);
            case TStreamApply::WrongKind: throw EStreamError(TStreamFault::WrongKind, at);
        }
    }
    at = pos_;
    if (ReadByte() != 0) throw EStreamError(TStreamFault::OwnedComponents, at);
}

}  // namespace qv
