#include "common/ui/Dialogs.h"

#include <commdlg.h>

#include "common/ui/Application.h"
#include "common/ui/Form.h"

namespace qv::ui {

static HWND OwnerWindow() {
    HWND w = GetActiveWindow();
    if (!w && Application().MainForm() && Application().MainForm()->Visible()) w = Application().MainForm()->Handle();
    return w;
}

int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) {
    UINT flags = MB_TASKMODAL;
    switch (type) {
        case TMsgDlgType::Warning: flags |= MB_ICONWARNING; break;
        case TMsgDlgType::Error: flags |= MB_ICONERROR; break;
        case TMsgDlgType::Information: flags |= MB_ICONINFORMATION; break;
        case TMsgDlgType::Confirmation: flags |= MB_ICONQUESTION; break;
    }
    if (buttons & mbYesNo) flags |= MB_YESNO;
    else if (buttons & mbOKCancel) flags |= MB_OKCANCEL;
    else flags |= MB_OK;
    std::string title = Application().Title();
    return MessageBoxA(OwnerWindow(), text.c_str(), title.c_str(), flags);
}

void ShowMessage(const std::string& text) { MessageDlg(text, TMsgDlgType::Information, mbOK); }

bool TOpenDialog::Execute(HWND owner) {
    std::string filter = Filter;
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.append(2, '\0');
    char file[MAX_PATH * 4] = {0};
    lstrcpynA(file, FileName.c_str(), sizeof file);
    OPENFILENAMEA ofn{};
    // The old structure size: the full one is refused by the 9x family and NT4.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner ? owner : OwnerWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameA(&ofn)) return false;
    FileName = file;
    return true;
}

}  // namespace qv::ui
