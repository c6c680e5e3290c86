// The export command as the host sees it: counting the targets for the menu state, and
// running one whole export when the user chooses the command.
#pragma once

namespace vesko {

// The number of target mails in the host's current folder under the "Target" setting,
// or under that target value (a value other than 0, 1 or 2 takes no mail).
int CountTargets();
int CountTargets(int target);

// The body of the command callback: says that there is nothing to export, or runs one
// export. Never throws: a failure is shown to the user in one message box.
void RunExportCommand() noexcept;

}  // namespace vesko
