#include "export/ExportCommand.h"

namespace vesko {

int CountTargets() { return 0; }

void RunExportCommand() noexcept {}

}  // namespace vesko
