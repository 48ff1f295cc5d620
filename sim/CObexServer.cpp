// The virtual phone's OBEX File Transfer service.
#include "CObexServer.h"

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "ObexListing.h"
#include "ObexProtocol.h"

namespace fs = std::filesystem;

namespace corvina {

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool IsKnownOpcode(std::uint8_t code)
{
    switch (code) {
    case obex::kOpConnect:
    case obex::kOpDisconnect:
    case obex::kOpPut:
    case obex::kOpPut | obex::kFinal:
    case obex::kOpGet:
    case obex::kOpGet | obex::kFinal:
    case obex::kOpSetPath:
    case obex::kOpAction:
    case obex::kOpAbort: return true;
    default: return false;
    }
}

CObexPacket Response(std::uint8_t code)
{
    return CObexPacket(code);
}

std::string Describe(const CObexPacket& request, std::size_t size)
{
    static const char* const kNames[] = {"CONNECT", "DISCONNECT", "PUT", "GET", "SETPATH", "ACTION", "ABORT"};
    const char* name = "?";
    switch (request.Code() & 0x7F) {
    case obex::kOpConnect & 0x7F: name = request.Code() == obex::kOpConnect ? kNames[0] : "?"; break;
    case obex::kOpDisconnect & 0x7F: name = kNames[1]; break;
    case obex::kOpPut: name = kNames[2]; break;
    case obex::kOpGet: name = kNames[3]; break;
    case obex::kOpSetPath & 0x7F: name = kNames[4]; break;
    case obex::kOpAction & 0x7F: name = kNames[5]; break;
    case 0x7F: name = kNames[6]; break;
    default: break;
    }
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", request.Code());
    return std::string("OBEX ") + name + " " + code + " " + std::to_string(size) + " bytes";
}

} // namespace

CObexServer::CObexServer(fs::path root, ToneNumbers toneNumbers)
    : m_root(std::move(root)), m_toneNumbers(std::move(toneNumbers)), m_reader(kMaxPacket)
{
}

CObexServer::~CObexServer()
{
    DropUpload();
}

void CObexServer::Reset()
{
    DropUpload();
    m_reader.Reset();
    m_bEnded = false;
    m_bConnected = false;
    m_nPeerMax = obex::kMinPacket;
    m_folder.clear();
    m_bGetting = false;
    m_getData.clear();
    m_nGetOffset = 0;
}

void CObexServer::DropUpload()
{
    if (m_nPutFd >= 0)
        ::close(m_nPutFd);
    m_nPutFd = -1;
    if (!m_putTemp.empty()) {
        std::error_code ec;
        fs::remove(m_putTemp, ec);
    }
    m_putTemp.clear();
    m_putTarget.clear();
    m_bPutting = false;
}

fs::path CObexServer::Current() const
{
    fs::path path = m_root;
    for (const auto& part : m_folder)
        path /= part;
    return path;
}

bool CObexServer::IsPlainName(const std::string& strName)
{
    // Dot names are the phone's own (tone numbers, uploads in progress) and never reachable.
    return !strName.empty() && strName[0] != '.' && strName.find_first_of("/\\") == std::string::npos &&
           strName.find('\0') == std::string::npos && strName.size() <= 255;
}

bool CObexServer::Find(const std::string& strName, fs::path& out) const
{
    if (!IsPlainName(strName))
        return false;
    std::error_code ec;
    const fs::path folder = Current();
    if (fs::exists(fs::symlink_status(folder / strName, ec))) {
        out = folder / strName;
        return true;
    }
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (Lower(it->path().filename().string()) == Lower(strName)) {
            out = it->path();
            return true;
        }
    }
    return false;
}

std::size_t CObexServer::Feed(const std::string& strBytes, std::vector<SObexStep>& steps)
{
    std::size_t used = 0;
    const auto* data = reinterpret_cast<const std::uint8_t*>(strBytes.data());
    while (used < strBytes.size() && !m_bEnded) {
        // A packet must begin with an operation: anything else means the PC speaks AT again.
        if (m_reader.Packet().empty() && !IsKnownOpcode(data[used])) {
            DropUpload();
            m_bEnded = true;
            break;
        }
        std::size_t consumed = 0;
        const CObexReader::State state = m_reader.Feed(data + used, strBytes.size() - used, &consumed);
        used += consumed;
        if (state == CObexReader::State::Incomplete)
            break;
        SObexStep step;
        if (state == CObexReader::State::Invalid) {
            // A length no packet can have: refuse it and give the line back to AT commands.
            step.strRequest = "OBEX packet with an impossible length";
            step.strReply = std::string("\xC0\x00\x03", 3);
            steps.push_back(step);
            DropUpload();
            m_reader.Reset();
            m_bEnded = true;
            break;
        }
        const std::vector<std::uint8_t> packet = m_reader.Packet();
        m_reader.Reset();
        auto request = CObexPacket::Parse(packet, CObexPacket::FieldBytesFor(packet[0]));
        CObexPacket reply = request ? Handle(*request) : Response(obex::kRspBadRequest);
        step.strRequest = request ? Describe(*request, packet.size()) : "OBEX unreadable packet";
        auto bytes = reply.Build();
        if (!bytes)
            bytes = Response(obex::kRspInternalError).Build();
        step.strReply.assign(bytes->begin(), bytes->end());
        steps.push_back(step);
    }
    return used;
}

CObexPacket CObexServer::Handle(const CObexPacket& request)
{
    if (request.Code() == obex::kOpConnect)
        return Connect(request);
    if (!m_bConnected)
        return Response(obex::kRspServiceUnavailable);
    if (const SObexHeader* id = request.Find(obex::kHdrConnectionId); id && id->value != kConnectionId)
        return Response(obex::kRspServiceUnavailable);
    const std::uint8_t op = request.Code();
    // A new request other than the continuation of the one in progress ends that one.
    if (m_bGetting && (op & 0x7F) != obex::kOpGet)
        m_bGetting = false;
    if (m_bPutting && (op & 0x7F) != obex::kOpPut)
        DropUpload();
    switch (op) {
    case obex::kOpDisconnect:
        DropUpload();
        m_bEnded = true;
        return Response(obex::kRspSuccess);
    case obex::kOpAbort:
        DropUpload();
        m_bGetting = false;
        return Response(obex::kRspSuccess);
    case obex::kOpSetPath: return SetPath(request);
    case obex::kOpGet:
    case obex::kOpGet | obex::kFinal: return Get(request);
    case obex::kOpPut:
    case obex::kOpPut | obex::kFinal: return Put(request);
    case obex::kOpAction: return Action(request);
    default: return Response(obex::kRspNotImplemented);
    }
}

CObexPacket CObexServer::Connect(const CObexPacket& request)
{
    const auto& fields = request.Fields();
    const SObexHeader* target = request.Find(obex::kHdrTarget);
    if (!target || target->bytes !=
                       std::vector<std::uint8_t>(obex::kFolderBrowsingUuid.begin(), obex::kFolderBrowsingUuid.end())) {
        // Only the folder-browsing service is offered on this line.
        m_bEnded = true;
        return Response(obex::kRspNotAcceptable);
    }
    m_nPeerMax = std::clamp<std::size_t>((static_cast<std::size_t>(fields[2]) << 8) | fields[3], obex::kMinPacket,
                                         obex::kMaxPacket);
    m_bConnected = true;
    m_folder.clear();
    CObexPacket reply(obex::kRspSuccess);
    reply.Fields() = {obex::kVersion, 0x00, static_cast<std::uint8_t>(kMaxPacket >> 8),
                      static_cast<std::uint8_t>(kMaxPacket & 0xFF)};
    reply.AddNumber(obex::kHdrConnectionId, kConnectionId);
    reply.AddBytes(obex::kHdrWho, {obex::kFolderBrowsingUuid.begin(), obex::kFolderBrowsingUuid.end()});
    return reply;
}

CObexPacket CObexServer::SetPath(const CObexPacket& request)
{
    const std::uint8_t flags = request.Fields()[0];
    std::vector<std::string> folder = m_folder;
    if (flags & obex::kSetPathBackup) {
        if (folder.empty())
            return Response(obex::kRspNotFound);
        folder.pop_back();
    }
    const SObexHeader* name = request.Find(obex::kHdrName);
    if (!name) {
        if (!(flags & obex::kSetPathBackup))
            return Response(obex::kRspBadRequest);
        m_folder = folder;
        return Response(obex::kRspSuccess);
    }
    if (name->text.empty()) {
        m_folder.clear();
        return Response(obex::kRspSuccess);
    }
    const std::vector<std::string> saved = m_folder;
    m_folder = folder;
    fs::path found;
    std::error_code ec;
    if (Find(name->text, found)) {
        if (!fs::is_directory(found, ec)) {
            m_folder = saved;
            return Response(obex::kRspNotFound);
        }
        m_folder.push_back(found.filename().string());
        return Response(obex::kRspSuccess);
    }
    if ((flags & obex::kSetPathNoCreate) || !IsPlainName(name->text)) {
        m_folder = saved;
        return Response(IsPlainName(name->text) ? obex::kRspNotFound : obex::kRspForbidden);
    }
    if (!fs::create_directory(Current() / name->text, ec) || ec) {
        m_folder = saved;
        return Response(obex::kRspForbidden);
    }
    m_folder.push_back(name->text);
    return Response(obex::kRspSuccess);
}

CObexPacket CObexServer::Get(const CObexPacket& request)
{
    if (!m_bGetting) {
        const SObexHeader* type = request.Find(obex::kHdrType);
        const SObexHeader* name = request.Find(obex::kHdrName);
        const std::string listingType = std::string(obex::kFolderListingType) + '\0';
        if (type && std::string(type->bytes.begin(), type->bytes.end()) == listingType) {
            std::vector<obex::SListingEntry> entries;
            // A phone that numbers its tones tells each file's number in the listing.
            const std::map<std::string, int> numbers = m_toneNumbers ? m_toneNumbers() : std::map<std::string, int>{};
            std::string prefix;
            for (const auto& part : m_folder)
                prefix += part + "/";
            std::error_code ec;
            for (fs::directory_iterator it(Current(), ec), end; !ec && it != end; it.increment(ec)) {
                const std::string entryName = it->path().filename().string();
                struct stat info {};
                if (!IsPlainName(entryName) || ::stat(it->path().c_str(), &info) != 0)
                    continue;
                obex::SListingEntry entry;
                entry.name = entryName;
                entry.folder = S_ISDIR(info.st_mode);
                entry.size = entry.folder ? 0 : static_cast<std::uint64_t>(info.st_size);
                entry.readOnly = !(info.st_mode & S_IWUSR);
                entry.modified = info.st_mtime;
                if (auto number = numbers.find(prefix + entryName); number != numbers.end() && !entry.folder)
                    entry.toneNumber = number->second;
                entries.push_back(entry);
            }
            std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
            const std::string xml = obex::FormatFolderListing(entries, !m_folder.empty());
            m_getData.assign(xml.begin(), xml.end());
        } else if (name) {
            fs::path found;
            std::error_code ec;
            if (!Find(name->text, found) || !fs::is_regular_file(found, ec))
                return Response(obex::kRspNotFound);
            std::ifstream in(found, std::ios::binary);
            m_getData.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } else {
            return Response(obex::kRspBadRequest);
        }
        // A GET without the final bit still has headers to come; the answer starts with the final one.
        if (!(request.Code() & obex::kFinal)) {
            m_getData.clear();
            return Response(obex::kRspContinue);
        }
        m_bGetting = true;
        m_nGetOffset = 0;
    }
    return NextGetChunk();
}

CObexPacket CObexServer::NextGetChunk()
{
    const std::size_t maxPacket = std::min(kMaxPacket, m_nPeerMax);
    const std::size_t room = maxPacket - 3 - 3;
    const std::size_t left = m_getData.size() - m_nGetOffset;
    const std::size_t size = std::min(room, left);
    const bool last = size == left;
    CObexPacket reply(last ? obex::kRspSuccess : obex::kRspContinue);
    reply.AddBytes(last ? obex::kHdrEndOfBody : obex::kHdrBody,
                   std::vector<std::uint8_t>(m_getData.begin() + static_cast<std::ptrdiff_t>(m_nGetOffset),
                                             m_getData.begin() + static_cast<std::ptrdiff_t>(m_nGetOffset + size)));
    m_nGetOffset += size;
    if (last) {
        m_bGetting = false;
        m_getData.clear();
    }
    return reply;
}

CObexPacket CObexServer::Put(const CObexPacket& request)
{
    const bool final = request.Code() & obex::kFinal;
    const SObexHeader* body = request.Find(obex::kHdrBody);
    const SObexHeader* end = request.Find(obex::kHdrEndOfBody);
    std::error_code ec;
    if (!m_bPutting) {
        const SObexHeader* name = request.Find(obex::kHdrName);
        if (!name)
            return Response(obex::kRspBadRequest);
        fs::path found;
        const bool exists = Find(name->text, found);
        if (!IsPlainName(name->text))
            return Response(obex::kRspForbidden);
        struct stat info {};
        const bool present = exists && ::stat(found.c_str(), &info) == 0;
        if (final && !body && !end) {
            // A PUT without body deletes.
            if (!present)
                return Response(obex::kRspNotFound);
            if (S_ISDIR(info.st_mode)) {
                if (!fs::is_empty(found, ec) || !fs::remove(found, ec))
                    return Response(obex::kRspForbidden);
                return Response(obex::kRspSuccess);
            }
            if (!(info.st_mode & S_IWUSR) || ::unlink(found.c_str()) != 0)
                return Response(obex::kRspForbidden);
            return Response(obex::kRspSuccess);
        }
        if (present && (S_ISDIR(info.st_mode) || !(info.st_mode & S_IWUSR)))
            return Response(obex::kRspForbidden);
        m_putTarget = present ? found : Current() / name->text;
        std::string temp = (Current() / ("." + m_putTarget.filename().string() + ".obex-XXXXXX")).string();
        m_nPutFd = ::mkstemp(temp.data());
        if (m_nPutFd < 0)
            return Response(obex::kRspInternalError);
        m_putTemp = temp;
        m_bPutting = true;
    }
    for (const SObexHeader* part : {body, end}) {
        if (!part)
            continue;
        std::size_t done = 0;
        while (done < part->bytes.size()) {
            const ssize_t n = ::write(m_nPutFd, part->bytes.data() + done, part->bytes.size() - done);
            if (n <= 0) {
                DropUpload();
                return Response(obex::kRspDatabaseFull);
            }
            done += static_cast<std::size_t>(n);
        }
    }
    if (!final)
        return Response(obex::kRspContinue);
    ::fchmod(m_nPutFd, 0644);
    const bool written = ::fsync(m_nPutFd) == 0 && ::close(m_nPutFd) == 0;
    m_nPutFd = -1;
    if (!written || ::rename(m_putTemp.c_str(), m_putTarget.c_str()) != 0) {
        DropUpload();
        return Response(obex::kRspInternalError);
    }
    m_putTemp.clear();
    DropUpload();
    return Response(obex::kRspSuccess);
}

CObexPacket CObexServer::Action(const CObexPacket& request)
{
    const SObexHeader* action = request.Find(obex::kHdrActionId);
    const SObexHeader* name = request.Find(obex::kHdrName);
    const SObexHeader* permissions = request.Find(obex::kHdrPermissions);
    if (!action || action->value != obex::kActionSetPermissions)
        return Response(obex::kRspNotImplemented);
    if (!name || !permissions)
        return Response(obex::kRspBadRequest);
    fs::path found;
    struct stat info {};
    if (!Find(name->text, found) || ::stat(found.c_str(), &info) != 0)
        return Response(obex::kRspNotFound);
    mode_t mode = info.st_mode & 07777;
    if (permissions->value & obex::kPermUserWrite)
        mode |= S_IWUSR;
    else
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    if (::chmod(found.c_str(), mode) != 0)
        return Response(obex::kRspForbidden);
    return Response(obex::kRspSuccess);
}

} // namespace corvina
