#include "tools/posix/StoreOptions.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string_view>

#include "platform/files.h"
#include "platform/paths.h"
#include "tools/DataFolder.h"
#include "tools/commands.h"

namespace vesko::tools {
namespace {

struct TSampleFile {
  const char* path;  // under the Maildir
  std::size_t size;
  const char* bytes;
};

const TSampleFile kSampleMaildir[] = {
#include "samples/SampleMaildir.inc"
};

}  // namespace

std::string DefaultStore() {
  const std::string store = DataFolder() + "Mail";
  if (platform::DirectoryExists(store)) return store;
  const std::string partial = DataFolder() + "Mail.partial/";
  platform::MakeDirectory(partial);
  for (const char* sub : {"cur", "new", "tmp"}) platform::MakeDirectory(partial + sub);
  for (const TSampleFile& file : kSampleMaildir) {
    platform::WriteWholeFile(partial + file.path, std::string_view(file.bytes, file.size));
  }
  if (!platform::RenameFileOver(ExcludeTrailingDelimiter(partial), store)) {
    throw TCommandError("can't set up the sample mail store in " + store);
  }
  std::fprintf(stderr, "Set up the sample mail store in %s\n", store.c_str());
  return store;
}

void AddStoreOptions(CLI::App& command, TStoreOptions& options) {
  command
      .add_option("--store", options.store,
                  "Maildir, mbox file, folder of mbox files or folder of .eml files "
                  "(default: <data>/Mail, the bundled sample)")
      ->type_name("PATH");
  command.add_option("--folder", options.folder,
                     "Folder of the store, as list --folders shows it; a Maildir++ name "
                     "also as written on disk (default: the first)")
      ->type_name("NAME");
}

mailhost::TMailHost& MailHost() {
  mailhost::TMailHost& host = mailhost::TMailHost::Instance();
  // The temporary folder is made by the host when the plug-in first asks for it.
  host.SetFolders({DataFolder(), PlugInFolder(), DataFolder() + "Temp/"});
  return host;
}

mailhost::TMailHost& OpenHost(const TStoreOptions& options) {
  mailhost::TMailHost& host = MailHost();
  host.OpenStore(options.store.empty() ? DefaultStore() : options.store);
  host.SelectFolder(options.folder);
  return host;
}

}  // namespace vesko::tools
