// One OBEX File Transfer session on the phone's line.
#include "CObexClient.h"

#include "CObexReader.h"
#include "CTraceFile.h"
#include "PhoneErrors.h"

#include <algorithm>
#include <chrono>

namespace corvina {

namespace {

constexpr int kTraceLevel = 5;

} // namespace

CObexClient::CObexClient(CAtLink::Session& session) : m_session(session) {}

CObexPacket CObexClient::Request(std::uint8_t opcode) const
{
    CObexPacket packet(opcode);
    // The Connection Id comes first in every request of the session.
    if (m_connectionId)
        packet.AddNumber(obex::kHdrConnectionId, *m_connectionId);
    return packet;
}

HRESULT CObexClient::Exchange(const CObexPacket& request, CObexPacket& response)
{
    auto bytes = request.Build();
    if (!bytes || bytes->size() > m_maxPacket)
        return E_INVALIDARG;
    TheTrace().Trace(kTraceLevel, "OBEX> 0x%02X, %zu bytes", request.Code(), bytes->size());
    if (HRESULT hr = m_session.WriteBytes(*bytes); FAILED(hr))
        return hr;
    // A request is not answered until its response is whole; the whole response has the
    // command timeout, so a slow phone that keeps sending is still bounded.
    CObexReader reader(kOwnMaxPacket);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(CAtLink::TimeoutMs());
    std::uint8_t buffer[1024];
    while (reader.Current() == CObexReader::State::Incomplete) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return HR_TIMEOUT;
        // Read no further than the packet's end: nothing else may follow before the next request.
        std::size_t got = 0;
        const std::size_t want =
            reader.Packet().size() < 3
                ? 3 - reader.Packet().size()
                : std::min(sizeof buffer, ((static_cast<std::size_t>(reader.Packet()[1]) << 8) | reader.Packet()[2]) -
                                              reader.Packet().size());
        if (HRESULT hr = m_session.ReadBytes(buffer, std::max<std::size_t>(want, 1), got, static_cast<int>(left));
            FAILED(hr))
            return hr;
        reader.Feed(buffer, got);
    }
    if (reader.Current() == CObexReader::State::Invalid) {
        TheTrace().Trace(kTraceLevel, "OBEX< packet with an impossible length");
        return HR_AT_GARBAGE;
    }
    // Only the answer to CONNECT carries fields before its headers; a refusal may come without them.
    const std::size_t fields = request.Code() == obex::kOpConnect && reader.Packet().size() > 3 ? 4 : 0;
    auto parsed = CObexPacket::Parse(reader.Packet(), fields);
    if (!parsed) {
        TheTrace().Trace(kTraceLevel, "OBEX< unreadable packet of %zu bytes", reader.Packet().size());
        return HR_AT_GARBAGE;
    }
    response = std::move(*parsed);
    TheTrace().Trace(kTraceLevel, "OBEX< %s, %zu bytes", obex::ResponseName(response.Code()).c_str(),
                     reader.Packet().size());
    return S_OK;
}

HRESULT CObexClient::Connect()
{
    CObexPacket request(obex::kOpConnect);
    request.Fields() = {obex::kVersion, 0x00, static_cast<std::uint8_t>(kOwnMaxPacket >> 8),
                        static_cast<std::uint8_t>(kOwnMaxPacket & 0xFF)};
    request.AddBytes(obex::kHdrTarget, {obex::kFolderBrowsingUuid.begin(), obex::kFolderBrowsingUuid.end()});
    CObexPacket response;
    if (HRESULT hr = Exchange(request, response); FAILED(hr))
        return hr;
    if (response.Code() != obex::kRspSuccess)
        return FAILED(obex::HrFromResponse(response.Code())) ? obex::HrFromResponse(response.Code()) : E_FAIL;
    const auto& fields = response.Fields();
    if (fields.size() < 4)
        return HR_AT_GARBAGE;
    const std::size_t peerMax = (static_cast<std::size_t>(fields[2]) << 8) | fields[3];
    // A peer announcing less than the minimum is broken; the minimum is still safe to send.
    m_maxPacket = std::clamp(peerMax, obex::kMinPacket, kOwnMaxPacket);
    if (const SObexHeader* id = response.Find(obex::kHdrConnectionId))
        m_connectionId = id->value;
    m_connected = true;
    return S_OK;
}

HRESULT CObexClient::Disconnect()
{
    if (!m_connected)
        return S_FALSE;
    CObexPacket response;
    HRESULT hr = Exchange(Request(obex::kOpDisconnect), response);
    m_connected = false;
    m_connectionId.reset();
    if (FAILED(hr))
        return hr;
    return obex::HrFromResponse(response.Code());
}

HRESULT CObexClient::SetPathRoot()
{
    CObexPacket request = Request(obex::kOpSetPath);
    request.Fields() = {obex::kSetPathNoCreate, 0x00};
    request.AddText(obex::kHdrName, "");
    CObexPacket response;
    if (HRESULT hr = Exchange(request, response); FAILED(hr))
        return hr;
    return obex::HrFromResponse(response.Code());
}

HRESULT CObexClient::SetPathDown(const std::string& name, bool create)
{
    CObexPacket request = Request(obex::kOpSetPath);
    request.Fields() = {static_cast<std::uint8_t>(create ? 0x00 : obex::kSetPathNoCreate), 0x00};
    request.AddText(obex::kHdrName, name);
    CObexPacket response;
    if (HRESULT hr = Exchange(request, response); FAILED(hr))
        return hr;
    return obex::HrFromResponse(response.Code());
}

HRESULT CObexClient::SetPathUp()
{
    CObexPacket request = Request(obex::kOpSetPath);
    request.Fields() = {static_cast<std::uint8_t>(obex::kSetPathBackup | obex::kSetPathNoCreate), 0x00};
    CObexPacket response;
    if (HRESULT hr = Exchange(request, response); FAILED(hr))
        return hr;
    return obex::HrFromResponse(response.Code());
}

HRESULT CObexClient::ListFolder(std::vector<obex::SListingEntry>& entries)
{
    CObexPacket request = Request(obex::kOpGet | obex::kFinal);
    request.AddAsciiZ(obex::kHdrType, obex::kFolderListingType);
    std::vector<std::uint8_t> body;
    if (HRESULT hr = GetWith(request, body); FAILED(hr))
        return hr;
    auto parsed = obex::ParseFolderListing(std::string(body.begin(), body.end()));
    if (!parsed) {
        TheTrace().Trace(kTraceLevel, "OBEX: the folder listing cannot be read (%zu bytes)", body.size());
        return HR_AT_GARBAGE;
    }
    entries = std::move(*parsed);
    return S_OK;
}

HRESULT CObexClient::Get(const std::string& name, std::vector<std::uint8_t>& data)
{
    CObexPacket request = Request(obex::kOpGet | obex::kFinal);
    request.AddText(obex::kHdrName, name);
    return GetWith(request, data);
}

HRESULT CObexClient::GetWith(const CObexPacket& first, std::vector<std::uint8_t>& data)
{
    data.clear();
    CObexPacket request = first;
    for (;;) {
        CObexPacket response;
        if (HRESULT hr = Exchange(request, response); FAILED(hr))
            return hr;
        for (const SObexHeader& header : response.Headers())
            if (header.id == obex::kHdrBody || header.id == obex::kHdrEndOfBody)
                data.insert(data.end(), header.bytes.begin(), header.bytes.end());
        if (response.Code() != obex::kRspContinue)
            return obex::HrFromResponse(response.Code());
        request = Request(obex::kOpGet | obex::kFinal);
    }
}

HRESULT CObexClient::Abort()
{
    CObexPacket response;
    HRESULT hr = Exchange(Request(obex::kOpAbort), response);
    return FAILED(hr) ? hr : obex::HrFromResponse(response.Code());
}

HRESULT CObexClient::Put(const std::string& name, std::uint64_t size, const Source& source)
{
    bool first = true;
    std::uint64_t sent = 0;
    std::vector<std::uint8_t> chunk;
    for (;;) {
        CObexPacket request = Request(obex::kOpPut);
        if (first) {
            request.AddText(obex::kHdrName, name);
            if (size <= 0xFFFFFFFFu)
                request.AddNumber(obex::kHdrLength, static_cast<std::uint32_t>(size));
        }
        // What is left of the packet after its headers and the Body header's own 3 bytes.
        const std::size_t used = request.BuiltSize() + 3;
        const std::size_t room = m_maxPacket > used ? m_maxPacket - used : 0;
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(room, size - sent));
        chunk.resize(want);
        std::size_t got = 0;
        if (want > 0) {
            if (HRESULT hr = source(chunk.data(), want, got); FAILED(hr)) {
                Abort();
                return hr;
            }
            got = std::min(got, want);
        }
        if (want > 0 && got == 0) {
            // The source ended early (a cancelled progress window): the phone drops the file.
            TheTrace().Trace(kTraceLevel, "OBEX: put %s stopped after %llu of %llu bytes", name.c_str(),
                             static_cast<unsigned long long>(sent), static_cast<unsigned long long>(size));
            Abort();
            return E_ABORT;
        }
        chunk.resize(got);
        sent += got;
        const bool last = sent >= size;
        if (last)
            request.SetCode(obex::kOpPut | obex::kFinal);
        request.AddBytes(last ? obex::kHdrEndOfBody : obex::kHdrBody, chunk);
        CObexPacket response;
        if (HRESULT hr = Exchange(request, response); FAILED(hr))
            return hr;
        if (last)
            return obex::HrFromResponse(response.Code());
        if (response.Code() != obex::kRspContinue) {
            const HRESULT hr = obex::HrFromResponse(response.Code());
            return FAILED(hr) ? hr : E_FAIL;
        }
        first = false;
    }
}

HRESULT CObexClient::Delete(const std::string& name)
{
    CObexPacket request = Request(obex::kOpPut | obex::kFinal);
    request.AddText(obex::kHdrName, name);
    CObexPacket response;
    if (HRESULT hr = Exchange(request, response); FAILED(hr))
        return hr;
    return obex::HrFromResponse(response.Code());
}

HRESULT CObexClient::SetReadOnly(const std::string& name, bool readOnly)
{
    CObexPacket request = Request(obex::kOpAction | obex::kFinal);
    request.AddText(obex::kHdrName, name);
    request.AddNumber(obex::kHdrActionId, obex::kActionSetPermissions);
    const std::uint32_t user = obex::kPermUserRead | (readOnly ? 0 : obex::kPermUserWrite | obex::kPermUserDelete);
    request.AddNumber(obex::kHdrPermissions, user);
    CObexPacket response;
    if (HRESULT hr = Exchange(request, response); FAILED(hr))
        return hr;
    // Phones that know only the basic operations answer Bad Request or Not Implemented.
    if (response.Code() == obex::kRspBadRequest)
        return E_NOTIMPL;
    return obex::HrFromResponse(response.Code());
}

} // namespace corvina
