// The updater's settings dialog: proxy server and proxy authentication. Its boxes and fields
// are the running program's live proxy configuration; the workers take a copy of it when they
// start (ProxyState), whether or not it was ever saved.
#pragma once
#include <windows.h>

#include "common/thread/CriticalSection.h"
#include "common/ui/Form.h"
#include "common/ui/StdCtrls.h"
#include "tidewell/proxy/ProxyState.h"

namespace qv {

class TfrmConfigure : public ui::TForm {
public:
    // Created hidden; loads the stored settings at once.
    TfrmConfigure();
    ~TfrmConfigure() override;

    // Registry to dialog (run by the constructor).
    void LoadSettings();
    // Dialog to registry. On a port that is no whole number, or a value that cannot be
    // written, the error is shown and the result is false (the dialog stays open).
    bool SaveSettings();

    // A copy of the boxes and fields, safe to take from any thread.
    TProxyState ProxyState() const;

    void CheckBox1Click(ui::TControl* sender);
    void CheckBox2Click(ui::TControl* sender);
    void btnApplyClick(ui::TControl* sender);
    void btnOkClick(ui::TControl* sender);
    void btnCancelClick(ui::TControl* sender);

    ui::TGroupBox* GroupBox1;
    ui::TCheckBox* CheckBox1;
    ui::TLabel* Label1;
    ui::TEdit* Edit1;
    ui::TLabel* Label2;
    ui::TEdit* Edit2;
    ui::TGroupBox* GroupBox2;
    ui::TCheckBox* CheckBox2;
    ui::TLabel* Label3;
    ui::TEdit* Edit3;
    ui::TLabel* Label4;
    ui::TEdit* Edit4;
    ui::TButton* btnApply;
    ui::TButton* btnOk;
    ui::TButton* btnCancel;

private:
    // Copies the controls into state_ under the lock (after every click and edit).
    void CaptureState();
    static void EnableField(ui::TEdit* field, bool enabled);

    TProxyState state_;
    mutable TCriticalSection lock_;
};

}  // namespace qv
