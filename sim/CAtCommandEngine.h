// The virtual phone's command interpreter: one AT command line in, the phone's answer out.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "CPhoneModel.h"
#include "CPhoneState.h"

namespace corvina {

// Answers AT command lines the way a phone of the model's family does, keeping the state on disk.
class CAtCommandEngine {
public:
    // Largest user tone the phone takes (AT^CUTB), and most bytes in one AT^CUTD.
    static constexpr int kMaxUserToneBytes = 65536;
    static constexpr int kMaxChunkBytes = 256;
    // The texts the identification commands give.
    static constexpr const char* kManufacturer = "Halvren";
    static constexpr const char* kRevision = "corvina-phonesim 1.0";

    CAtCommandEngine(CPhoneState& state, CPhoneModel model);

    // Runs one command line (without its CR) and returns the information lines followed by the
    // final result code; an empty line gives no answer at all.
    std::vector<std::string> Execute(const std::string& strLine);
    // The bytes the phone sends for the line: the echo (while echo is on) and the framed answer.
    std::string Respond(const std::string& strLine);
    // Frames answer lines as "\r\n<text>\r\n" each.
    static std::string Frame(const std::vector<std::string>& lines);

    // Back to the state after power-on: echo on, numeric errors off, no upload open.
    void ResetSession();
    bool IsEchoOn() const { return m_bEcho; }
    // Gives numbers to tone files that arrived since the last look (BIRCH family only).
    void RefreshToneNumbers();
    // The tone numbers after such a look, keyed "<folder>/<name>"; none on phones that do not number tones.
    std::map<std::string, int> ToneNumbers();
    const CPhoneModel& Model() const { return m_model; }
    // The last failure to write the state, empty when the last write worked.
    const std::string& LastSaveError() const { return m_strSaveError; }

    // Handler of the program's own AT^SIMFAULT="<rule>"; returns false (ERROR) for a bad rule.
    std::function<bool(const std::string& strRule)> m_onSimFault;
    // Answer of AT^SIMFAULT?: the active fault rules.
    std::function<std::string()> m_describeFaults;

private:
    enum class EForm { Exec, Read, Test, Set };
    struct SArg {
        std::string strText;
        bool bQuoted = false;
    };
    // Outcome of one command: OK, ERROR, or +CME ERROR with a code.
    struct SStatus {
        int nCme = -1; // -1 OK, -2 ERROR, else the CME code
        static SStatus Ok() { return {-1}; }
        static SStatus Error() { return {-2}; }
        static SStatus Cme(int n) { return {n}; }
        bool IsOk() const { return nCme == -1; }
    };
    using Lines = std::vector<std::string>;

    SStatus RunBasic(const std::string& strRest, size_t& pos, Lines& out);
    SStatus RunExtended(const std::string& strCommand, Lines& out);
    std::string FinalText(SStatus status) const;

    SStatus Identification(const std::string& strName, EForm form, Lines& out) const;
    SStatus Cmee(EForm form, const std::vector<SArg>& args, Lines& out);
    SStatus Cscs(EForm form, const std::vector<SArg>& args, Lines& out);
    SStatus Cfun(EForm form, const std::vector<SArg>& args, Lines& out);
    SStatus Crsl(EForm form, const std::vector<SArg>& args, Lines& out);
    SStatus Calm(EForm form, const std::vector<SArg>& args, Lines& out);
    SStatus Cvib(EForm form, const std::vector<SArg>& args, Lines& out);
    SStatus Crtn(EForm form, const std::vector<SArg>& args, Lines& out);
    SStatus Cply(EForm form, const std::vector<SArg>& args, Lines& out);
    SStatus Cplf(EForm form, const std::vector<SArg>& args);
    SStatus Clvl(EForm form, const std::vector<SArg>& args, Lines& out);
    SStatus Cltn(EForm form, const std::vector<SArg>& args, Lines& out);
    SStatus Cafl(EForm form, const std::vector<SArg>& args, Lines& out);
    SStatus Cutb(EForm form, const std::vector<SArg>& args);
    SStatus Cutd(EForm form, const std::vector<SArg>& args);
    SStatus Cute(EForm form, const std::vector<SArg>& args);
    SStatus SimFault(EForm form, const std::vector<SArg>& args, Lines& out);

    bool IsKnownTone(int nTone);
    void AbortUpload();

    CPhoneState& m_state;
    CPhoneModel m_model;
    bool m_bDirty = false;
    std::string m_strSaveError;
    // Session settings that a power cycle resets.
    bool m_bEcho = true;
    int m_nCmee = 0;
    std::string m_strCharset = "GSM";
    int m_nCfun = 1;
    // An open user-tone upload.
    bool m_bUploading = false;
    int m_nUploadSlot = 0;
    int m_nUploadSize = 0;
    std::vector<unsigned char> m_upload;
};

} // namespace corvina
