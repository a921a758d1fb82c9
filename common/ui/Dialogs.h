// Message dialogs (confirmation with Yes/No, warning and information with OK) captioned with
// the program's title, and the file-open dialog.
#pragma once
#include <windows.h>

#include <string>

namespace qv::ui {

enum class TMsgDlgType { Warning, Error, Information, Confirmation };
enum TMsgDlgButtons : unsigned { mbOK = 1, mbYesNo = 2, mbOKCancel = 4 };

// Shows the message modally over the active window; returns the modal result (mrYes, mrOk, ...).
int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons);
void ShowMessage(const std::string& text);

class TOpenDialog {
public:
    std::string Title;
    std::string Filter;      // "Exe Files (*.exe)|*.exe": pairs of description and pattern
    std::string DefaultExt;  // without the dot
    std::string FileName;    // the chosen file after Execute
    // Shows the dialog; true when the user chose a file.
    bool Execute(HWND owner = nullptr);
};

}  // namespace qv::ui
