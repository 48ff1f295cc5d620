// The user-interface services on wx: real message boxes and the busy cursor.
#pragma once

#include "UiServices.h"

#include <wx/window.h>

namespace corvina {

class WxUiServices final : public IUiServices {
public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
    int Ask(const std::string& text, const std::vector<std::string>& answers) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
};

} // namespace corvina
