// The phone's file system over OBEX File Transfer on the phone's serial line.
#include "CObexVolume.h"

#include "AtCommands.h"
#include "CObexClient.h"
#include "CTraceFile.h"
#include "OleDate.h"
#include "PhoneErrors.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <fnmatch.h>

namespace corvina {

namespace {

constexpr int kTraceLevel = 5;
// Tries of "AT" after DISCONNECT: a phone may need a moment to switch its line back.
constexpr int kAttentionTries = 3;

// "\a\b\c" to {"a", "b", "c"}; E_ACCESSDENIED for paths that are not rooted or name "." or "..".
HRESULT SplitPath(const std::string& path, std::vector<std::string>& parts)
{
    parts.clear();
    if (path.empty() || path[0] != '\\')
        return E_ACCESSDENIED;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        if (part == "." || part == ".." || part.find('/') != std::string::npos)
            return E_ACCESSDENIED;
        parts.push_back(std::move(part));
    }
    return S_OK;
}

// To the folder from the root; a missing folder is HR_PATH_NOT_FOUND.
HRESULT GoTo(CObexClient& client, const std::vector<std::string>& folders)
{
    if (HRESULT hr = client.SetPathRoot(); FAILED(hr))
        return hr;
    for (const std::string& folder : folders)
        if (HRESULT hr = client.SetPathDown(folder); FAILED(hr))
            return hr;
    return S_OK;
}

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The entry of that name in the present folder, found ignoring case as the phone does.
HRESULT FindEntry(CObexClient& client, const std::string& name, obex::SListingEntry& found)
{
    std::vector<obex::SListingEntry> entries;
    if (HRESULT hr = client.ListFolder(entries); FAILED(hr))
        return hr;
    for (const obex::SListingEntry& entry : entries)
        if (SameName(entry.name, name)) {
            found = entry;
            return S_OK;
        }
    return HR_PATH_NOT_FOUND;
}

bool LeavesLineUnknown(HRESULT hr)
{
    return hr == HR_TIMEOUT || hr == HR_AT_GARBAGE || hr == HR_DEVICE_NOT_CONNECTED;
}

} // namespace

HRESULT CObexVolume::Run()
{
    return S_OK;
}

HRESULT CObexVolume::SetPort(const std::string& port)
{
    m_link = CAtLink::ForDevice(port);
    return m_link->CheckPort();
}

HRESULT CObexVolume::InSession(const std::function<HRESULT(CObexClient&)>& body)
{
    if (!m_link)
        return HR_DEVICE_NOT_CONNECTED;
    std::exception_ptr error;
    const HRESULT hr = m_link->Transaction([&](CAtLink::Session& session) {
        HRESULT result = session.Command(atcmd::kObexMode);
        if (FAILED(result)) {
            TheTrace().Trace(kTraceLevel, "OBEX: the phone refused file transfer (%s)", HResultText(result).c_str());
            return result;
        }
        CObexClient client(session);
        result = client.Connect();
        if (SUCCEEDED(result)) {
            try {
                result = body(client);
            } catch (...) {
                error = std::current_exception();
                result = E_ABORT;
            }
        }
        // Leaving: DISCONNECT, then AT must be answered before anyone sends AT commands again.
        bool clean = !LeavesLineUnknown(result) && client.Connected();
        if (clean) {
            clean = SUCCEEDED(client.Disconnect());
            HRESULT attention = E_FAIL;
            for (int i = 0; clean && i < kAttentionTries && FAILED(attention); ++i)
                attention = session.Command(atcmd::kAttention);
            clean = clean && SUCCEEDED(attention);
        }
        if (!clean)
            TheTrace().Trace(kTraceLevel, "OBEX: session ended without DISCONNECT; the line is checked again");
        session.DataModeEnded(clean);
        return result;
    });
    if (error)
        std::rethrow_exception(error);
    return hr;
}

HRESULT CObexVolume::InFolderOf(const std::string& path, HRESULT rootResult,
                                const std::function<HRESULT(CObexClient&, const std::string& name)>& body)
{
    std::vector<std::string> parts;
    if (HRESULT hr = SplitPath(path, parts); FAILED(hr))
        return hr;
    if (parts.empty())
        return rootResult;
    const std::string name = parts.back();
    parts.pop_back();
    return InSession([&](CObexClient& client) {
        if (HRESULT hr = GoTo(client, parts); FAILED(hr))
            return hr;
        return body(client, name);
    });
}

HRESULT CObexVolume::ListFolder(const std::string& pattern, std::int32_t flag, MBX_LISTING& listing)
{
    listing = MBX_LISTING{};
    const std::size_t cut = pattern.rfind('\\');
    if (cut == std::string::npos)
        return E_ACCESSDENIED;
    const std::string wildcard = pattern.substr(cut + 1).empty() ? "*" : pattern.substr(cut + 1);
    std::vector<std::string> folders;
    if (HRESULT hr = SplitPath(cut == 0 ? "\\" : pattern.substr(0, cut), folders); FAILED(hr))
        return hr;
    std::vector<obex::SListingEntry> entries;
    HRESULT hr = InSession([&](CObexClient& client) {
        if (HRESULT result = GoTo(client, folders); FAILED(result))
            return result;
        return client.ListFolder(entries);
    });
    if (FAILED(hr))
        return hr;
    std::erase_if(entries, [&](const obex::SListingEntry& entry) {
        return ::fnmatch(wildcard.c_str(), entry.name.c_str(), FNM_CASEFOLD) != 0;
    });
    std::sort(entries.begin(), entries.end(),
              [](const obex::SListingEntry& a, const obex::SListingEntry& b) { return a.name < b.name; });
    listing.isRoot = flag == -1;
    if (listing.isRoot) {
        for (const obex::SListingEntry& entry : entries)
            listing.names.push_back(entry.name);
        return listing.names.empty() ? S_FALSE : S_OK;
    }
    for (const obex::SListingEntry& entry : entries) {
        MBX_LISTENTRY row;
        row.name = entry.name;
        row.number = entry.folder ? 0 : static_cast<std::int32_t>(std::min<std::uint64_t>(entry.size, INT32_MAX));
        row.attributes = entry.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
        if (entry.readOnly)
            row.attributes = (row.attributes & ~FILE_ATTRIBUTE_ARCHIVE) | FILE_ATTRIBUTE_READONLY;
        row.lastChange = entry.modified != 0 ? OleDateFromTime(entry.modified) : 0.0;
        // Phones that number their tones give the number in the listing; others give none (0).
        row.toneNumber = entry.toneNumber;
        listing.rows.push_back(std::move(row));
    }
    return listing.rows.empty() ? S_FALSE : S_OK;
}

HRESULT CObexVolume::MakeFolder(const std::string& path)
{
    // The root is always there.
    return InFolderOf(path, S_FALSE, [&](CObexClient& client, const std::string& name) {
        obex::SListingEntry existing;
        HRESULT hr = FindEntry(client, name, existing);
        if (SUCCEEDED(hr))
            return existing.folder ? S_FALSE : HR_ALREADY_EXISTS;
        if (hr != HR_PATH_NOT_FOUND)
            return hr;
        return client.SetPathDown(name, true);
    });
}

HRESULT CObexVolume::RemoveFile(const std::string& path)
{
    return InFolderOf(path, E_ACCESSDENIED, [&](CObexClient& client, const std::string& name) {
        // Folders are not files, and a write-protected file must be unprotected first, as with
        // the folder volume.
        obex::SListingEntry existing;
        if (HRESULT hr = FindEntry(client, name, existing); FAILED(hr))
            return hr;
        if (existing.folder || existing.readOnly)
            return E_ACCESSDENIED;
        return client.Delete(existing.name);
    });
}

HRESULT CObexVolume::PutFile(const std::string& path, IStream* source, std::int32_t)
{
    if (!source)
        return E_POINTER;
    std::vector<std::string> parts;
    if (HRESULT hr = SplitPath(path, parts); FAILED(hr))
        return hr;
    if (parts.empty() || parts.back()[0] == '.')
        return E_ACCESSDENIED;
    const std::string name = parts.back();
    parts.pop_back();
    STATSTG stat;
    if (FAILED(source->Stat(&stat, 0)))
        return E_INVALIDARG; // OBEX announces the length before the data
    std::exception_ptr streamError;
    HRESULT hr = InSession([&](CObexClient& client) {
        if (HRESULT result = GoTo(client, parts); FAILED(result))
            return result;
        return client.Put(name, stat.cbSize, [&](std::uint8_t* buffer, std::size_t size, std::size_t& got) {
            std::uint32_t read = 0;
            HRESULT result = S_OK;
            // A failing progress window throws; the transfer is aborted first, then it goes on.
            try {
                result = source->Read(buffer, static_cast<std::uint32_t>(size), &read);
            } catch (...) {
                streamError = std::current_exception();
                return E_ABORT;
            }
            got = read;
            return FAILED(result) ? result : S_OK;
        });
    });
    if (streamError)
        std::rethrow_exception(streamError);
    return hr;
}

HRESULT CObexVolume::ChangeAttributes(const std::string& path, std::uint32_t attributes)
{
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    return InFolderOf(path, E_ACCESSDENIED, [&](CObexClient& client, const std::string& name) {
        obex::SListingEntry existing;
        if (HRESULT hr = FindEntry(client, name, existing); FAILED(hr))
            return hr;
        if (existing.readOnly == readOnly)
            return S_OK;
        return client.SetReadOnly(existing.name, readOnly);
    });
}

HRESULT CObexVolume::GetFile(const std::string& path, std::vector<std::uint8_t>& data)
{
    return InFolderOf(path, E_ACCESSDENIED,
                      [&](CObexClient& client, const std::string& name) { return client.Get(name, data); });
}

} // namespace corvina
