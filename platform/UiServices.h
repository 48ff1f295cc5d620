// How logic below the dialogs reaches message boxes and the wait cursor: the editor installs the
// wx implementation, tests install a fake that records and answers.
#pragma once

#include <string>
#include <vector>

namespace corvina {

// Message box styles and answers with the values the dialogs were written against.
constexpr unsigned MB_OK = 0x0000;
constexpr unsigned MB_YESNO = 0x0004;
constexpr unsigned MB_ICONQUESTION = 0x0020;
constexpr unsigned MB_ICONEXCLAMATION = 0x0030;
constexpr unsigned MB_ICONINFORMATION = 0x0040;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class IUiServices {
public:
    virtual ~IUiServices() = default;
    // Shows a modal message box; returns IDOK, IDYES or IDNO.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
    // Asks a question whose answers (two or three) are its buttons; returns the index of the answer
    // pressed, the last one when the box is closed otherwise.
    virtual int Ask(const std::string& text, const std::vector<std::string>& answers) = 0;
    // Wait cursor on and off; calls nest.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};

// The installed services; a silent default (answers IDOK/IDYES, no cursor) until one is installed.
IUiServices& Ui();
// Installs services (nullptr restores the silent default); returns the previous ones.
IUiServices* InstallUiServices(IUiServices* services);

// Shows the wait cursor for the life of the object, so every exit removes it.
class CWaitCursor {
public:
    CWaitCursor() { Ui().BeginWaitCursor(); }
    ~CWaitCursor() { Ui().EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

} // namespace corvina
