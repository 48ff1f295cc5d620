// The client side of one OBEX File Transfer session on the phone's line, inside one transaction
// of the AT link: connect to the folder-browsing service, move between folders, list, put, delete.
#pragma once

#include "CAtLink.h"
#include "CObexPacket.h"
#include "ObexListing.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvina {

class CObexClient {
public:
    // Gives up to size bytes of the file for the next packet; got 0 ends the data. A failure
    // ends the transfer with ABORT.
    using Source = std::function<HRESULT(std::uint8_t* buffer, std::size_t size, std::size_t& got)>;

    // The largest packet this side takes.
    static constexpr std::size_t kOwnMaxPacket = 0x2000;

    explicit CObexClient(CAtLink::Session& session);

    // OBEX CONNECT to the folder-browsing service; keeps the Connection Id and the packet size.
    HRESULT Connect();
    // OBEX DISCONNECT; the phone's line is in AT mode afterwards.
    HRESULT Disconnect();
    bool Connected() const { return m_connected; }
    // The packet size both sides take.
    std::size_t MaxPacket() const { return m_maxPacket; }

    // To the root folder.
    HRESULT SetPathRoot();
    // One folder down; with create the phone makes it when it is missing.
    HRESULT SetPathDown(const std::string& name, bool create = false);
    // One folder up.
    HRESULT SetPathUp();
    // The present folder's listing.
    HRESULT ListFolder(std::vector<obex::SListingEntry>& entries);
    // Sends the file in packets (Name, Length, Body..., End-of-Body) of at most MaxPacket bytes.
    // E_ABORT (after ABORT) when the source ends before size bytes.
    HRESULT Put(const std::string& name, std::uint64_t size, const Source& source);
    // Reads the file into data.
    HRESULT Get(const std::string& name, std::vector<std::uint8_t>& data);
    // Deletes the file (a PUT without body).
    HRESULT Delete(const std::string& name);
    // Sets the user's write permission (ACTION set-permissions); E_NOTIMPL when the phone has no
    // such action.
    HRESULT SetReadOnly(const std::string& name, bool readOnly);

    // One request and its response; HR_TIMEOUT, HR_DEVICE_NOT_CONNECTED or HR_AT_GARBAGE when no
    // readable response came.
    HRESULT Exchange(const CObexPacket& request, CObexPacket& response);

private:
    CObexPacket Request(std::uint8_t opcode) const;
    // A GET from its first packet, collecting Body and End-of-Body until the final response.
    HRESULT GetWith(const CObexPacket& first, std::vector<std::uint8_t>& data);
    HRESULT Abort();

    CAtLink::Session& m_session;
    bool m_connected = false;
    std::optional<std::uint32_t> m_connectionId;
    std::size_t m_maxPacket = obex::kMinPacket;
};

} // namespace corvina
