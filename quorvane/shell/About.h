// The About window: product name, version, the support link and the legal notice.
#pragma once
#include "common/ui/Form.h"
#include "common/ui/StdCtrls.h"

namespace qv {

class TAboutUsFrm : public ui::TForm {
public:
    TAboutUsFrm();
    ui::TLabel* ProductName;
    ui::TLabel* Version;
    ui::TLabel* SupportHome;
    ui::TLabel* ClickHere;  // the link to the support page
    ui::TLabel* LegalNotice;
    ui::TButton* CloseButton;
};

}  // namespace qv
