// Accessible names through the GTK accessibility objects, which screen readers reach over AT-SPI.
#include "Accessibility.h"

#include <gtk/gtk.h>

namespace corvina {

void SetAccessibleName(wxWindow* control, const std::string& name)
{
    if (!control || !control->GetHandle())
        return;
    if (AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(control->GetHandle())))
        atk_object_set_name(accessible, name.c_str());
}

std::string GetAccessibleName(const wxWindow* control)
{
    if (!control || !control->GetHandle())
        return {};
    AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(control->GetHandle()));
    const char* name = accessible ? atk_object_get_name(accessible) : nullptr;
    return name ? name : std::string();
}

std::string NameFromLabel(const std::string& label)
{
    std::size_t end = label.size();
    // A trailing ellipsis is a full stop three times, or the one character "…" (E2 80 A6).
    for (;;) {
        if (end > 0 && (label[end - 1] == ':' || label[end - 1] == ' ' || label[end - 1] == '.'))
            --end;
        else if (end >= 3 && label.compare(end - 3, 3, "\xE2\x80\xA6") == 0)
            end -= 3;
        else
            break;
    }
    return label.substr(0, end);
}

} // namespace corvina
