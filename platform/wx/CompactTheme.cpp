// GTK's default theme pads buttons, entries and combo boxes to about 34 pixels high and entries by
// 8 pixels on each side; the templates give them 20 to 26 pixels and leave room for the text only
// (a time field is just wide enough for its time), so a style sheet takes the padding out.
#include "CompactTheme.h"

#include <gtk/gtk.h>

namespace corvina {
namespace {

constexpr const char* kCompactCss = R"css(
button { min-height: 0; min-width: 0; padding: 1px 4px; }
entry { min-height: 0; padding: 0 3px; }
combobox button.combo { min-height: 0; padding-top: 0; padding-bottom: 0; }
combobox entry { min-height: 0; }
radio, check { min-height: 12px; min-width: 12px; -gtk-icon-transform: none; }
radiobutton, checkbutton { padding-top: 0; padding-bottom: 0; min-height: 0; }
scale { padding-top: 2px; padding-bottom: 2px; }
scale slider { min-height: 14px; min-width: 14px; }
)css";

} // namespace

void InstallCompactTheme()
{
    static bool installed = false;
    if (installed)
        return;
    GdkScreen* screen = gdk_screen_get_default();
    if (!screen)
        return;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kCompactCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    installed = true;
}

} // namespace corvina
