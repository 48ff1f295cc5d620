// Tightens GTK's paddings so controls keep the heights the dialog templates give them.
#pragma once

namespace corvina {

// Installs the compact style sheet for the whole display; later calls do nothing.
void InstallCompactTheme();

} // namespace corvina
