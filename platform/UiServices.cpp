// The installed user-interface services and the silent default.
#include "UiServices.h"

#include <atomic>

namespace corvina {
namespace {

class SilentUi final : public IUiServices {
public:
    int MessageBox(const std::string&, const std::string&, unsigned style) override
    {
        return (style & 0x000F) == MB_YESNO ? IDYES : IDOK;
    }
    int Ask(const std::string&, const std::vector<std::string>&) override { return 0; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

SilentUi g_silent;
std::atomic<IUiServices*> g_installed{nullptr};

} // namespace

IUiServices& Ui()
{
    IUiServices* services = g_installed.load();
    return services ? *services : g_silent;
}

IUiServices* InstallUiServices(IUiServices* services)
{
    return g_installed.exchange(services);
}

} // namespace corvina
