// Reading the update list: its text into the temporary list file, the file into the XML
// document, the header and the file entries into the session's TInfoFile.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/xml/XmlDocument.h"
#include "tidewell/versions/InfoFileUnit.h"

namespace qv {

extern const char kListFileName[];  // "tidewelltemp.xml", in the program folder

// A list that breaks the format after its header (no file entry, a bad value in an offered
// entry, a file count of 0 or below when an entry is offered).
class EListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The header could not be read: no component element, a header element missing or not a single
// text, a file count that is no whole number.
class EListHeaderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The received text cut into lines at CR, LF or CR LF (a last line end adds no empty line).
// A list in UTF-16 (byte-order mark, or "<?" in either byte order) is cut at its 16-bit line ends,
// so that its characters stay whole.
std::vector<std::string> SplitListLines(const std::string& body);
// The lines again, each ended by CR LF (in UTF-16 when the list is).
std::string JoinListLines(const std::vector<std::string>& lines, const std::string& body);

// A boolean of the list: a whole number (0 false, anything else true) or "True" / "False" in any
// letter case, blanks around it ignored. false (value untouched) for anything else.
bool TryListBoolean(const std::string& text, bool& value);

// Reads the header from the document's root element into info (Name, ProductName,
// ProductVersion, Terminate, TerminateMsg) and returns filecount. EListHeaderError on failure.
int32_t ReadListHeader(const TXMLNode& root, TInfoFile& info);

// The component element's entries from its first "file" element on: each offered entry (its
// version above the installed one) is appended to info.Files; progress gets the search page's bar
// position for each. EListError (or the value's own error) for a malformed list; the entries
// appended before the fault stay.
void ReadListEntries(const TXMLNode& component, int32_t fileCount, TInfoFile& info,
                     const std::function<void(int position)>& progress, HWND owner = nullptr);

enum class TListResult {
    Read,         // header and entries read (info.Files may still be empty)
    SplitFailed,  // ERTD-501
    BadHeader,    // ERTD-537
};

// The whole reading of a received list: writes the lines to listFile, loads it into doc, reads
// the header and the entries. A file that cannot be written, a document that is not well-formed
// and a malformed entry throw (the list check reports them as ERTD-683). listFile is deleted
// afterwards in every case; a failure to delete is ignored.
TListResult ReadUpdateList(const std::string& body, const std::string& listFile, TXMLDocument& doc, TInfoFile& info,
                           const std::function<void(int position)>& progress, HWND owner = nullptr);

}  // namespace qv
