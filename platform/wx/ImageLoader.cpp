// Loads the editor's images: themed stock icons for open and save, PNGs otherwise.
#include "ImageLoader.h"

#include "ImageResource.h"

#include <wx/artprov.h>
#include <wx/image.h>
#include <wx/mstream.h>

namespace corvina {
namespace {

// Icons whose meaning the desktop's icon theme already has. Play and Stop keep the editor's own
// coloured pictures: the default theme draws them as pale grey outlines that are hard to see.
const char* StockNameFor(int id)
{
    switch (id) {
    case 4520: return wxART_FILE_OPEN;
    case 4521: return wxART_FILE_SAVE_AS;
    default: return nullptr;
    }
}

wxImage DecodePng(const ImageResource& resource)
{
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxMemoryInputStream stream(resource.png, resource.size);
    wxImage image;
    image.LoadFile(stream, wxBITMAP_TYPE_PNG);
    return image;
}

} // namespace

wxBitmap LoadImageBitmap(int id, int width, int height)
{
    if (const char* stock = StockNameFor(id)) {
        const wxSize size = (width > 0 && height > 0) ? wxSize(width, height) : wxSize(16, 16);
        wxBitmap themed = wxArtProvider::GetBitmap(stock, wxART_BUTTON, size);
        if (themed.IsOk())
            return themed;
    }
    const ImageResource* resource = FindImageResource(id);
    if (!resource)
        return wxBitmap();
    wxImage image = DecodePng(*resource);
    if (!image.IsOk())
        return wxBitmap();
    if (width > 0 && height > 0 && (image.GetWidth() != width || image.GetHeight() != height))
        image.Rescale(width, height, wxIMAGE_QUALITY_NEAREST);
    return wxBitmap(image);
}

wxCursor LoadImageCursor(int id)
{
    const ImageResource* resource = FindImageResource(id);
    if (!resource)
        return wxCursor(wxCURSOR_ARROW);
    wxImage image = DecodePng(*resource);
    if (!image.IsOk())
        return wxCursor(wxCURSOR_ARROW);
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_X, resource->hotX);
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_Y, resource->hotY);
    return wxCursor(image);
}

} // namespace corvina
