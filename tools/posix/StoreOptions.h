// The --store and --folder options that the mail host's commands share, and the default
// store: <data>/Mail, where the bundled sample Maildir is put the first time it is needed.
#pragma once

#include <string>

#include "mailhost/MailHost.h"

namespace CLI {
class App;
}

namespace vesko::tools {

struct TStoreOptions {
  std::string store;   // empty: the default store
  std::string folder;  // empty: the first folder
};

void AddStoreOptions(CLI::App& command, TStoreOptions& options);

// <data>/Mail, set up from the bundled sample when it isn't there yet. Throws TCommandError.
std::string DefaultStore();

// The one mail host, told the folders of the data folder. Throws EOSError.
mailhost::TMailHost& MailHost();

// Opens the store (the default one when none is given) and chooses the folder.
mailhost::TMailHost& OpenHost(const TStoreOptions& options);

}  // namespace vesko::tools
