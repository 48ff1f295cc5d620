// What happens when the editor library is loaded: the trace object reads its settings at once.
#include "CTraceFile.h"

namespace {

__attribute__((constructor)) void OnEditorLibraryLoad()
{
    corvina::TheTrace();
}

} // namespace
