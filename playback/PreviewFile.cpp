// Copying or converting a chosen melody into the preview copy, without any window.
#include "PreviewFile.h"

#include "MelodyLibrary.h"
#include "TempFolder.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <fstream>
#include <locale>
#include <string>
#include <system_error>

namespace corvina {

namespace fs = std::filesystem;

namespace {

bool IsiMelodyFile(const fs::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".imy";
}

bool CopyOver(const fs::path& selected, const fs::path& preview)
{
    std::error_code error;
    // Copying a file onto itself would fail, yet the preview already holds it.
    if (fs::equivalent(selected, preview, error))
        return true;
    if (fs::copy_file(selected, preview, fs::copy_options::overwrite_existing, error))
        return true;
    // A preview copy that cannot be opened for writing (another owner, no write permission) is
    // replaced rather than overwritten, as long as the source can be read.
    if (!fs::is_regular_file(selected, error) || !fs::exists(preview, error))
        return false;
    fs::remove(preview, error);
    return fs::copy_file(selected, preview, error);
}

// Returns IDS_FORMAT_NOT_SUPPORTED when the melody library refuses the text.
unsigned ConvertiMelody(const fs::path& selected, const fs::path& preview)
{
    try {
        std::ifstream in(selected);
        in.imbue(std::locale::classic());
        Melody melody;
        ImportiMelody(in, melody);
        std::ofstream out(preview, std::ios::binary | std::ios::trunc);
        out.exceptions(std::ios::failbit | std::ios::badbit);
        ExportSMF(melody, out, kUnboundedSmfLength);
    } catch (const unsupported_format&) {
        return IDS_FORMAT_NOT_SUPPORTED;
    } catch (const std::exception&) {
        // A stream that fails part way leaves whatever was written; the player judges the file.
    }
    return 0;
}

} // namespace

fs::path DefaultPreviewPath()
{
    return ProcessTempFolder() / kPreviewFileName;
}

void SetNormalAttributes(const fs::path& path)
{
    std::error_code error;
    if (fs::exists(path, error))
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, error);
}

unsigned MakePreviewFile(const fs::path& selected, const fs::path& preview)
{
    SetNormalAttributes(preview);
    const unsigned message = IsiMelodyFile(selected)       ? ConvertiMelody(selected, preview)
                             : CopyOver(selected, preview) ? 0
                                                           : IDS_CANNOT_WRITE_TEMP;
    // A copy takes the permissions of a write-protected source; the next preview must replace it.
    SetNormalAttributes(preview);
    return message;
}

} // namespace corvina
