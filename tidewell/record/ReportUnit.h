// The report window ("About"): the updater's title, the record of its last session and the
// maker's support links.
#pragma once
#include <string>

#include "common/ui/Form.h"
#include "common/ui/StdCtrls.h"

namespace qv {

// The maker's web server and the pages the links open.
extern const char kMakerWebHost[];       // www.zephlor.example
std::string MakerHomePageUrl();          // http://www.zephlor.example/
std::string MakerSupportPageUrl();       // http://www.zephlor.example/support/overview.htm

class TfrmReport : public ui::TForm {
public:
    // Created hidden.
    TfrmReport();

    // Fills the last-run line and the status from the registry, afresh each time it is shown.
    void FormShow(ui::TForm* sender);
    void suiButton1Click(ui::TControl* sender);
    void suiURLLabel2Click(ui::TControl* sender);
    void suiURLLabel3Click(ui::TControl* sender);

    ui::TLabel* Label3;
    ui::TLabel* Label5;
    ui::TGroupBox* GroupBox1;
    ui::TLabel* Label1;
    ui::TLabel* Label2;
    ui::TEdit* RichEdit1;
    ui::TLabel* Label6;
    ui::TLabel* suiURLLabel2;
    ui::TLabel* Label7;
    ui::TLabel* suiURLLabel3;
    ui::TButton* suiButton1;
    RECT Bevel1;
    RECT Bevel2;

private:
    static void OpenInBrowser(const std::string& url);
};

}  // namespace qv
