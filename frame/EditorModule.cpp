// What happens when the editor library is loaded: the trace object reads its settings at once,
// and the desktop's progress window becomes the one transfers use.
#include "CTraceFile.h"
#include "CWxProgressDlg.h"

namespace {

__attribute__((constructor)) void OnEditorLibraryLoad()
{
    corvina::TheTrace();
    corvina::CWxProgressDlg::Register();
}

} // namespace
