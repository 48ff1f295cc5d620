// corvina-phonesim: a virtual mobile phone on a pseudo-terminal, for tests and for running without a phone.
#include <csignal>
#include <cstdio>
#include <iostream>

#include "CAtCommandEngine.h"
#include "CFileLandingWatch.h"
#include "CFaultPlan.h"
#include "CPhoneState.h"
#include "CPtyServer.h"
#include "CSimLog.h"
#include "CSimOptions.h"
#include "CSimPhone.h"
#include "ShippedData.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

void InstallSignals()
{
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a signal wakes the poll loop at once.
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

constexpr int kExitUsage = 64;

// The tones a new phone is seeded with ship with the programs.
std::string DefaultCorpus()
{
    return (corvina::ShippedDataFolder() / "tones").string();
}

void PrintPath(const std::string& path)
{
    std::cout << path << std::endl;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace corvina;
    CSimOptions options;
    std::string error;
    if (!options.Parse(std::vector<std::string>(argv + 1, argv + argc), error)) {
        std::cerr << "corvina-phonesim: " << error << " (try --help)\n";
        return kExitUsage;
    }
    if (options.m_bHelp) {
        std::cout << CSimOptions::HelpText(CSimOptions::DefaultStateDir(), DefaultCorpus());
        return 0;
    }
    if (options.m_bVersion) {
        std::cout << "corvina-phonesim " << CORVINA_VERSION << "\n";
        return 0;
    }
    if (options.m_bListModels) {
        for (const auto& type : CPhoneModel::KnownTypes())
            std::cout << type << "\n";
        return 0;
    }

    CPhoneState state;
    const std::string stateDir = options.m_strStateDir.empty() ? CSimOptions::DefaultStateDir() : options.m_strStateDir;
    if (!state.Open(stateDir, error)) {
        std::cerr << "corvina-phonesim: " << error << "\n";
        return 2;
    }
    if (!error.empty())
        std::cerr << "corvina-phonesim: skipped in the state: " << error;
    CPhoneModel model;
    const std::string type = options.m_strModel.empty() ? state.m_strModel : options.m_strModel;
    if (!CPhoneModel::FromType(type, model)) {
        std::cerr << "corvina-phonesim: unknown phone type " << type << " (see --list-models)\n";
        return 2;
    }
    state.ApplyModel(model);
    if (!options.m_strImei.empty())
        state.m_strImei = options.m_strImei;
    error.clear();
    if (!state.Save(error)) {
        std::cerr << "corvina-phonesim: " << error << "\n";
        return 2;
    }

    // A phone comes with its standard folders, and a phone that was cut off in the middle of a
    // transfer has thrown away the pieces when it starts again.
    const CPhoneFileSystem files = state.FileSystem();
    files.RemoveUnfinishedTransfers();
    files.EnsureFolder(model.m_strRtStdFolder);
    files.EnsureFolder(model.m_strImyStdFolder);
    if (options.m_bSeedRingtones) {
        const std::string corpus = options.m_strCorpus.empty() ? DefaultCorpus() : options.m_strCorpus;
        error.clear();
        files.Seed(corpus, model.m_strRtStdFolder, model.m_strImyStdFolder, model.NumbersTones(), error);
        if (!error.empty())
            std::cerr << "corvina-phonesim: seeding: " << error << "\n";
    }

    CFaultPlan faults;
    for (const auto& rule : options.m_faultRules)
        faults.Apply(rule, error);
    CSimLog log;
    if (!options.m_strLog.empty() && !log.Open(options.m_strLog)) {
        std::cerr << "corvina-phonesim: cannot open the log " << options.m_strLog << "\n";
        return 2;
    }
    CAtCommandEngine engine(state, model);
    engine.RefreshToneNumbers();
    faults.m_bStandardOnly = options.m_bStandardOnly;
    CSimPhone phone(engine, faults);
    phone.EnableObex(files.Root());
    CPtyServer server(phone, log);
    InstallSignals();
    error.clear();
    if (!server.Open(options.m_strLink, error)) {
        std::cerr << "corvina-phonesim: " << error << "\n";
        return 2;
    }
    log.Event("phone " + state.m_strModel + " imei " + state.m_strImei + " state " + stateDir +
              (faults.Describe().empty() ? "" : " faults " + faults.Describe()));
    PrintPath(server.DevicePath());
    // The phone numbers a tone when its file lands; the idle scan also catches folders that were
    // made anew (their watch is gone) and systems without a watch.
    CFileLandingWatch landing;
    std::vector<std::filesystem::path> watched;
    for (const std::string& folder : {model.m_strRtStdFolder, model.m_strImyStdFolder})
        if (!folder.empty())
            watched.push_back(files.Root() / folder);
    if (landing.Watch(watched))
        server.AlsoWatch(landing.Fd(), [&engine, &landing] {
            if (landing.TakeEvents())
                engine.RefreshToneNumbers();
        });
    const int status = server.Serve(g_stop, options.m_bReopen, options.m_nReopenMs, PrintPath,
                                    [&engine] { engine.RefreshToneNumbers(); });
    server.Close();
    log.Event(g_stop ? "stopped by signal" : "ended");
    return status;
}
