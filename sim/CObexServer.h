// The virtual phone's OBEX File Transfer service over its fs/ folder, spoken on the line after
// AT+CPROT=0 until DISCONNECT. A PUT lands as one rename: an aborted or dropped transfer leaves nothing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "CObexPacket.h"
#include "CObexReader.h"

namespace corvina {

// One packet received and the bytes sent back for it.
struct SObexStep {
    std::string strRequest; // a short description for the log ("PUT 0x82 1203 bytes")
    std::string strReply;   // the response packet
};

class CObexServer {
public:
    // The largest packet the phone takes; smaller than the PC's, so the PC must split its data.
    static constexpr std::size_t kMaxPacket = 0x0800;
    static constexpr std::uint32_t kConnectionId = 0x00000A01;

    // The phone's tone numbers, keyed "<folder>/<name>" below the root; asked for each listing.
    using ToneNumbers = std::function<std::map<std::string, int>()>;

    explicit CObexServer(std::filesystem::path root, ToneNumbers toneNumbers = {});
    ~CObexServer();
    CObexServer(const CObexServer&) = delete;
    CObexServer& operator=(const CObexServer&) = delete;

    // Takes bytes from the line; one step per whole packet. Returns how many bytes belonged to the
    // session: fewer than given only when it ended (DISCONNECT answered, or bytes that are no
    // OBEX), the rest then being AT commands.
    std::size_t Feed(const std::string& strBytes, std::vector<SObexStep>& steps);
    // True once the session is over and the line speaks AT again.
    bool Ended() const { return m_bEnded; }
    // A fresh session (after a drop or an idle line): an unfinished upload is thrown away.
    void Reset();

private:
    CObexPacket Handle(const CObexPacket& request);
    CObexPacket Connect(const CObexPacket& request);
    CObexPacket SetPath(const CObexPacket& request);
    CObexPacket Get(const CObexPacket& request);
    CObexPacket Put(const CObexPacket& request);
    CObexPacket Action(const CObexPacket& request);
    CObexPacket NextGetChunk();
    void DropUpload();
    std::filesystem::path Current() const;
    // The entry of the present folder with that name (case ignored); false when there is none or
    // the name is not a plain name.
    bool Find(const std::string& strName, std::filesystem::path& out) const;
    static bool IsPlainName(const std::string& strName);

    std::filesystem::path m_root;
    ToneNumbers m_toneNumbers;
    CObexReader m_reader;
    bool m_bEnded = false;
    bool m_bConnected = false;
    std::size_t m_nPeerMax = 255;
    std::vector<std::string> m_folder;
    // A GET being answered in pieces.
    bool m_bGetting = false;
    std::vector<std::uint8_t> m_getData;
    std::size_t m_nGetOffset = 0;
    // A PUT being received into a hidden temporary file beside its target.
    bool m_bPutting = false;
    int m_nPutFd = -1;
    std::filesystem::path m_putTemp;
    std::filesystem::path m_putTarget;
};

} // namespace corvina
