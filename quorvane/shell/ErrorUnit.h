// The error window the crash reporter's notification shows, one per error.
#pragma once
#include <string>

#include "common/ui/Form.h"
#include "common/ui/StdCtrls.h"

namespace qv {

class TErrorDialog : public ui::TForm {
public:
    TErrorDialog();
    ui::TLabel* Heading;
    ui::TLabel* LabelError;
    ui::TLabel* TellUs;
    ui::TLabel* ReportText;
    ui::TButton* SendButton;      // "Send Error Report", result OK
    ui::TButton* DontSendButton;  // "Don't Send", result Cancel
};

// For one unhandled error: a new error window with the message followed by ".", the system's
// error sound, shown modally, then destroyed. True when the user chose "Send Error Report".
bool ShowErrorNotification(const std::string& message);

}  // namespace qv
