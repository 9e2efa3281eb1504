#include "app/MainController.h"

#include "settings/FormState.h"

namespace qel {

namespace {

// The settings dialog's check boxes and sound file as the form-state store
// keeps them, read afresh each time (the settings dialog may have changed
// them meanwhile).
class TStoredMainOptions : public IMainOptions {
public:
    explicit TStoredMainOptions(TIniFile& settings) : FStore(settings) {}

    bool ConfirmStatusOnExit() const override { return Read("chkConfirmStatusExit.Checked", true); }
    bool CheckForMessagesOnStart() const override { return Read("chkCheckForMessagesOnStart.Checked", false); }
    bool DisplayExt() const override { return Read("CheckBoxDisplayExt.Checked", true); }
    bool DisplayDepartments() const override { return Read("CheckBoxDisplayDepartments.Checked", true); }
    bool DisplayComments() const override { return Read("CheckBoxDisplayComments.Checked", true); }
    bool PlayWavFile() const override { return Read("chkPlayWavFile.Checked", false); }
    std::string WavFileSelected() const override { return FStore.ReadText(Section, "edtWavFileSelected.Text", ""); }

private:
    static constexpr const char* Section = "TfrmSettings";
    bool Read(const char* property, bool defaultValue) const {
        return FStore.ReadBool(Section, property, defaultValue);
    }

    TFormStateStore FStore;
};

} // namespace

std::unique_ptr<IMainOptions> MakeStoredMainOptions(TIniFile& settings) {
    return std::make_unique<TStoredMainOptions>(settings);
}

} // namespace qel
