// The one string loader that the clip editor, the melody file dialog and the transmission share.
#include "CResource.h"

#include <memory>
#include <mutex>

namespace corvina {

namespace {
std::mutex g_sharedMutex;
std::unique_ptr<CResource> g_shared;
} // namespace

CResource& CSharedStrings::Get()
{
    std::lock_guard lock(g_sharedMutex);
    if (!g_shared)
        g_shared = std::make_unique<CResource>(CResource::ForModule());
    return *g_shared;
}

void CSharedStrings::Destroy()
{
    std::lock_guard lock(g_sharedMutex);
    g_shared.reset();
}

} // namespace corvina
