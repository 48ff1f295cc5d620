// Sends input through the X server (XTest) and reads back what GTK shows and tells screen readers.
#include "RealInput.h"

#include "GuiTestMain.h"

#include <wx/uiaction.h>

#include <gtk/gtk.h>

#include <algorithm>

namespace corvina::test {
namespace {

wxUIActionSimulator& Simulator()
{
    static wxUIActionSimulator simulator;
    return simulator;
}

// The first label inside the widget, depth first (a tooltip's text, a column title); null when none.
GtkWidget* FindLabel(GtkWidget* widget)
{
    if (!widget || GTK_IS_LABEL(widget))
        return widget;
    if (!GTK_IS_CONTAINER(widget))
        return nullptr;
    GtkWidget* label = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* child = children; child && !label; child = child->next)
        label = FindLabel(GTK_WIDGET(child->data));
    g_list_free(children);
    return label;
}

} // namespace

bool ShowForInput(wxTopLevelWindow* top)
{
    top->Show();
    top->Raise();
    // A native dialog (the desktop's file chooser) has the keyboard without telling wx.
    return DispatchUntil([&] {
        return top->IsShownOnScreen() && (top->IsActive() || gtk_window_is_active(GTK_WINDOW(top->GetHandle())));
    });
}

void MoveTo(wxWindow* window, const wxPoint& client)
{
    const wxPoint screen = window->ClientToScreen(client);
    Simulator().MouseMove(screen);
    DispatchUntil([&] { return wxGetMousePosition() == screen; }, 2000);
    DispatchPending();
}

void Click(wxWindow* window, const wxPoint& client)
{
    Drag(window, client, client);
}

void DoubleClick(wxWindow* window, const wxPoint& client)
{
    MoveTo(window, client);
    Simulator().MouseDblClick();
    DispatchPending();
}

void Drag(wxWindow* window, const wxPoint& from, const wxPoint& to)
{
    MoveTo(window, from);
    Simulator().MouseDown();
    DispatchPending();
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps && to != from; ++i)
        MoveTo(window, from + (to - from) * i / kSteps);
    Simulator().MouseUp();
    DispatchPending();
}

wxPoint RowPoint(wxDataViewListCtrl* list, int row)
{
    // Asked of GTK itself: the row's area in its own coordinates, then in the main window's. (wx's
    // HitTest mixes up scrolled coordinates, so a scrolled list answered for the wrong row.)
    GtkWidget* scrolled = GTK_WIDGET(list->GetHandle());
    GtkWidget* widget = GTK_IS_BIN(scrolled) ? gtk_bin_get_child(GTK_BIN(scrolled)) : nullptr;
    if (!widget || !GTK_IS_TREE_VIEW(widget) || row < 0 || row >= static_cast<int>(list->GetItemCount()))
        return {-1, -1};
    GtkTreeView* tree = GTK_TREE_VIEW(widget);
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    GdkRectangle cell{};
    gtk_tree_view_get_background_area(tree, path, nullptr, &cell);
    gtk_tree_path_free(path);
    GdkRectangle visible{};
    gtk_tree_view_get_visible_rect(tree, &visible);
    int treeX = 0, treeY = 0;
    gtk_tree_view_convert_bin_window_to_tree_coords(tree, cell.x, cell.y, &treeX, &treeY);
    // The whole row must be in sight, or the click could land on its neighbour.
    if (cell.height <= 0 || treeY < visible.y || treeY + cell.height > visible.y + visible.height)
        return {-1, -1};
    int widgetX = 0, widgetY = 0;
    gtk_tree_view_convert_bin_window_to_widget_coords(tree, 0, cell.y + cell.height / 2, &widgetX, &widgetY);
    int mainX = 0, mainY = 0;
    const int x = std::min(40, gtk_widget_get_allocated_width(widget) / 2);
    if (!gtk_widget_translate_coordinates(widget, GTK_WIDGET(list->GetMainWindow()->GetHandle()), x, widgetY, &mainX,
                                          &mainY))
        return {-1, -1};
    return {mainX, mainY};
}

std::vector<std::pair<int, int>> HeaderTitleWidths(wxDataViewCtrl* list)
{
    std::vector<std::pair<int, int>> widths;
    GtkWidget* scrolled = GTK_WIDGET(list->GetHandle());
    GtkWidget* tree = GTK_IS_BIN(scrolled) ? gtk_bin_get_child(GTK_BIN(scrolled)) : nullptr;
    if (!tree || !GTK_IS_TREE_VIEW(tree))
        return widths;
    const int count = static_cast<int>(gtk_tree_view_get_n_columns(GTK_TREE_VIEW(tree)));
    for (int i = 0; i < count; ++i) {
        GtkTreeViewColumn* column = gtk_tree_view_get_column(GTK_TREE_VIEW(tree), i);
        // The title is the header button's label (wx puts it in a box with the sort arrow).
        GtkWidget* label = FindLabel(column ? gtk_tree_view_column_get_button(column) : nullptr);
        if (!label)
            continue;
        int minimum = 0, natural = 0;
        gtk_widget_get_preferred_width(label, &minimum, &natural);
        widths.emplace_back(natural, gtk_widget_get_allocated_width(label));
    }
    return widths;
}

wxPoint TabPoint(wxBookCtrlBase* book, int page)
{
    const wxSize size = book->GetClientSize();
    for (int y = 2; y < std::min(60, size.GetHeight()); y += 2)
        for (int x = 2; x < size.GetWidth(); x += 4)
            if (book->HitTest(wxPoint(x, y)) == page) {
                // Into the middle of the tab's run on this line.
                int right = x;
                while (right + 1 < size.GetWidth() && book->HitTest(wxPoint(right + 1, y)) == page)
                    ++right;
                return wxPoint((x + right) / 2, y + 6);
            }
    return wxPoint(-1, -1);
}

void Press(int keyCode, int modifiers)
{
    // A capital letter is typed as the user types it: with Shift held.
    if (keyCode >= 'A' && keyCode <= 'Z')
        modifiers |= wxMOD_SHIFT;
    Simulator().Char(keyCode, modifiers);
    DispatchPending();
}

std::vector<wxWindow*> TabThrough(int presses, const std::function<void(wxWindow*)>& atEach)
{
    std::vector<wxWindow*> reached;
    for (int i = 0; i < presses; ++i) {
        DispatchPending();
        if (wxWindow* focus = wxWindow::FindFocus()) {
            reached.push_back(focus);
            if (atEach)
                atEach(focus);
        }
        Press(WXK_TAB);
    }
    return reached;
}

::testing::AssertionResult ReachedInOrder(const std::vector<int>& reached, const std::vector<int>& ids)
{
    long previous = -1;
    for (int id : ids) {
        const long at = std::find(reached.begin(), reached.end(), id) - reached.begin();
        if (at == static_cast<long>(reached.size()) || at <= previous)
            return ::testing::AssertionFailure() << "control " << id << " is first reached at " << at << " of "
                                                 << reached.size() << ", not after " << previous;
        previous = at;
    }
    return ::testing::AssertionSuccess();
}

wxImage ScreenImage(wxWindow* window)
{
    window->Refresh();
    window->Update();
    DispatchPending();
    const wxRect r(window->GetScreenPosition(), window->GetSize());
    GdkPixbuf* pixels = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), r.x, r.y, r.width, r.height);
    if (!pixels)
        return wxImage();
    wxImage image(r.width, r.height);
    const int channels = gdk_pixbuf_get_n_channels(pixels);
    const int stride = gdk_pixbuf_get_rowstride(pixels);
    const guchar* data = gdk_pixbuf_get_pixels(pixels);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            const guchar* p = data + y * stride + x * channels;
            image.SetRGB(x, y, p[0], p[1], p[2]);
        }
    g_object_unref(pixels);
    return image;
}

std::string ShownToolTip()
{
    std::string text;
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item; item = item->next) {
        GtkWidget* window = GTK_WIDGET(item->data);
        if (gtk_widget_get_visible(window) &&
            gtk_window_get_type_hint(GTK_WINDOW(window)) == GDK_WINDOW_TYPE_HINT_TOOLTIP)
            if (GtkWidget* label = FindLabel(window))
                text = gtk_label_get_text(GTK_LABEL(label));
    }
    g_list_free(windows);
    return text;
}

AtkObject* Accessible(const wxWindow* window)
{
    return window && window->GetHandle() ? gtk_widget_get_accessible(GTK_WIDGET(window->GetHandle())) : nullptr;
}

std::string AccessibleName(AtkObject* object)
{
    const char* name = object ? atk_object_get_name(object) : nullptr;
    return name ? name : std::string();
}

std::vector<AccessibleNode> AccessibleDescendants(AtkObject* object, int depth)
{
    std::vector<AccessibleNode> found;
    if (!object || depth <= 0)
        return found;
    const int count = atk_object_get_n_accessible_children(object);
    for (int i = 0; i < count; ++i) {
        AtkObject* child = atk_object_ref_accessible_child(object, i);
        if (!child)
            continue;
        found.push_back({AccessibleName(child), atk_object_get_role(child)});
        const auto below = AccessibleDescendants(child, depth - 1);
        found.insert(found.end(), below.begin(), below.end());
        g_object_unref(child);
    }
    return found;
}

} // namespace corvina::test
