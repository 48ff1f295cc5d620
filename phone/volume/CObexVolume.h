// The phone's file system over OBEX File Transfer on the phone's own serial line (AT+CPROT=0), for
// phones that are not mounted as a folder. Every operation is one OBEX session that holds the
// line's queue from AT+CPROT=0 until the line answers AT commands again.
#pragma once

#include "CAtLink.h"
#include "IMBXVolume.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvina {

class CObexClient;

class CObexVolume : public IMBXVolume {
public:
    HRESULT Run() override;
    HRESULT MakeFolder(const std::string& path) override;
    HRESULT RemoveFile(const std::string& path) override;
    HRESULT ListFolder(const std::string& pattern, std::int32_t flag, MBX_LISTING& listing) override;
    // Sends the stream in packets, one read of the stream per packet, so a progress stream moves
    // with the transfer; a stream that ends early (Cancel) aborts the transfer and leaves nothing.
    HRESULT PutFile(const std::string& path, IStream* source, std::int32_t flags) override;
    // Sets or clears the user's write permission where the phone offers the OBEX set-permissions
    // action; E_NOTIMPL where it does not. S_OK without asking when nothing would change.
    HRESULT ChangeAttributes(const std::string& path, std::uint32_t attributes) override;
    HRESULT SetPort(const std::string& port) override;

    // Reads the file "\folder\name" (for the command-line tool).
    HRESULT GetFile(const std::string& path, std::vector<std::uint8_t>& data);

private:
    // Runs body inside one OBEX session; leaves the line in AT mode, or marks it for recovery.
    HRESULT InSession(const std::function<HRESULT(CObexClient&)>& body);
    // Runs body in a session, in the folder of "\folder\name", with the name; rootResult for the root.
    HRESULT InFolderOf(const std::string& path, HRESULT rootResult,
                       const std::function<HRESULT(CObexClient&, const std::string& name)>& body);

    std::shared_ptr<CAtLink> m_link;
};

} // namespace corvina
