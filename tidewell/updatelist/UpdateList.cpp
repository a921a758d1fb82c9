#include "tidewell/updatelist/UpdateList.h"

#include <algorithm>
#include <new>

#include "common/core/Convert.h"
#include "common/core/Handles.h"
#include "common/core/OSError.h"
#include "common/core/Rounding.h"
#include "common/core/Text.h"
#include "tidewell/updatelist/PathMacros.h"

namespace qv {

const char kListFileName[] = "tidewelltemp.xml";

namespace {

enum class TUnits { Bytes, Utf16LE, Utf16BE };

TUnits UnitsOf(const std::string& body) {
    auto at = [&](size_t i) { return i < body.size() ? static_cast<unsigned char>(body[i]) : 0x100u; };
    if ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == '<' && at(1) == 0 && at(2) == '?' && at(3) == 0))
        return TUnits::Utf16LE;
    if ((at(0) == 0xFE && at(1) == 0xFF) || (at(0) == 0 && at(1) == '<' && at(2) == 0 && at(3) == '?'))
        return TUnits::Utf16BE;
    return TUnits::Bytes;
}

// The character (code unit) starting at i: one byte, or two in the list's byte order.
unsigned UnitAt(const std::string& body, size_t i, TUnits units) {
    auto b = [&](size_t k) { return static_cast<unsigned char>(body[k]); };
    switch (units) {
        case TUnits::Utf16LE: return b(i) | (b(i + 1) << 8);
        case TUnits::Utf16BE: return (b(i) << 8) | b(i + 1);
        default: return b(i);
    }
}

// The header element `name`: present, and a single text (or empty).
std::string HeaderText(const TXMLNode& component, const char* name) {
    TXMLNode e = component.FindChild(name);
    if (!e) throw EListHeaderError(std::string("The list header has no ") + name + " element");
    if (!e.HasTextValue()) throw EListHeaderError(std::string("The list header's ") + name + " is not a text");
    return e.Text();
}

int32_t ListInteger(const std::string& text) { return StrToIntStrict(text); }

bool ListBoolean(const std::string& text) {
    bool value = false;
    if (!TryListBoolean(text, value)) throw EConvertError(text);
    return value;
}

// Deletes the temporary list file whichever way the reading ends.
struct TRemoveOnExit {
    const std::string& path;
    ~TRemoveOnExit() { DeleteFileA(path.c_str()); }
};

void WriteListFile(const std::string& path, const std::string& text) {
    KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) throw EOSError(GetLastError());
    DWORD written = 0;
    if (!text.empty() && (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
                          written != text.size())) {
        DWORD code = GetLastError();
        throw EOSError(code ? code : ERROR_WRITE_FAULT);
    }
}

}  // namespace

std::vector<std::string> SplitListLines(const std::string& body) {
    TUnits units = UnitsOf(body);
    size_t step = units == TUnits::Bytes ? 1 : 2;
    std::vector<std::string> lines;
    size_t start = 0, i = 0;
    size_t end = body.size() - body.size() % step;  // an odd last byte of UTF-16 stays in the last line
    while (i < end) {
        unsigned u = UnitAt(body, i, units);
        if (u == '\r' || u == '\n') {
            lines.push_back(body.substr(start, i - start));
            i += step;
            if (u == '\r' && i < end && UnitAt(body, i, units) == '\n') i += step;
            start = i;
        } else {
            i += step;
        }
    }
    if (start < body.size()) lines.push_back(body.substr(start));
    return lines;
}

std::string JoinListLines(const std::vector<std::string>& lines, const std::string& body) {
    std::string crlf = "\r\n";
    switch (UnitsOf(body)) {
        case TUnits::Utf16LE: crlf = std::string("\r\0\n\0", 4); break;
        case TUnits::Utf16BE: crlf = std::string("\0\r\0\n", 4); break;
        default: break;
    }
    std::string text;
    for (const std::string& line : lines) text += line + crlf;
    return text;
}

bool TryListBoolean(const std::string& text, bool& value) {
    int32_t number = 0;
    if (TryStrToInt(text, number)) {
        value = number != 0;
        return true;
    }
    std::string word = Trim(text);
    if (SameTextAscii(word, "True")) {
        value = true;
        return true;
    }
    if (SameTextAscii(word, "False")) {
        value = false;
        return true;
    }
    return false;
}

int32_t ReadListHeader(const TXMLNode& root, TInfoFile& info) {
    try {
        TXMLNode component = root.FirstChild();
        if (!component || !component.IsElement()) throw EListHeaderError("The list has no component element");
        std::string name = HeaderText(component, "name");
        std::string productName = HeaderText(component, "productname");
        std::string productVersion = HeaderText(component, "productversion");
        std::string terminate = HeaderText(component, "terminate");
        std::string terminateMsg = HeaderText(component, "terminatemsg");
        int32_t fileCount = 0;
        if (!TryStrToInt(HeaderText(component, "filecount"), fileCount))
            throw EListHeaderError("The list's file count is not a whole number");
        info.Name = name;
        info.ProductName = productName;
        info.ProductVersion.Parse(productVersion);  // a faulty text keeps what parsed before the fault
        info.Terminate = terminate;
        info.TerminateMsg = terminateMsg;
        return fileCount;
    } catch (const EListHeaderError&) {
        throw;
    } catch (const std::exception& e) {
        throw EListHeaderError(e.what());
    }
}

void ReadListEntries(const TXMLNode& component, int32_t fileCount, TInfoFile& info,
                     const std::function<void(int position)>& progress, HWND owner) {
    TXMLNode entry = component.FindChild("file");
    if (!entry) throw EListError("The list has no file entry");
    int32_t examined = 0;
    for (; entry; entry = entry.NextSibling()) {
        ++examined;
        TVersion offered;
        offered.Parse(entry.ChildText("version"));  // parts the text does not reach stay 0
        std::string fileName = entry.ChildText("filename");
        if (offered.CompareTo(ReadInstalledVersion(fileName)) != 1) continue;
        // A count of 0 or below cannot scale the bar: the header promised no entries.
        if (fileCount <= 0) throw EListError("The list's file count does not match its entries");
        if (progress) {
            int64_t position = 50 + RoundHalfEven(static_cast<double>(examined) / fileCount * 50.0);
            progress(static_cast<int>(std::min<int64_t>(position, 100)));
        }
        auto file = std::make_unique<TFile>(fileName);
        file->ProductName = entry.ChildText("productname");
        file->Description = entry.ChildText("description");
        file->FileName = fileName;
        file->FilePath = ExpandPathMacros(entry.ChildText("filepath"), owner);
        file->FileSize = ListInteger(entry.ChildText("filesize"));
        file->DestFile = ExpandPathMacros(entry.ChildText("destfile"), owner);
        file->Version = offered;
        file->Force = ListBoolean(entry.ChildText("force"));
        file->DefaultDownload = ListBoolean(entry.ChildText("defaultdownload"));
        file->Finished = entry.ChildText("finished");
        file->FinishedMsg = entry.ChildText("finishedmsg");
        info.Files.push_back(std::move(file));
    }
}

TListResult ReadUpdateList(const std::string& body, const std::string& listFile, TXMLDocument& doc, TInfoFile& info,
                           const std::function<void(int position)>& progress, HWND owner) {
    std::string text;
    try {
        text = JoinListLines(SplitListLines(body), body);
    } catch (const std::bad_alloc&) {
        return TListResult::SplitFailed;
    }
    TRemoveOnExit remove{listFile};
    WriteListFile(listFile, text);
    doc.LoadFromFile(listFile);
    TXMLNode root = doc.DocumentElement();
    int32_t fileCount = 0;
    try {
        fileCount = ReadListHeader(root, info);
    } catch (const EListHeaderError&) {
        return TListResult::BadHeader;
    }
    ReadListEntries(root.FirstChild(), fileCount, info, progress, owner);
    return TListResult::Read;
}

}  // namespace qv
