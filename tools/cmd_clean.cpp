// vesko clean: the mail body clean-ups of the export, as a filter from stdin to stdout.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "export/TextCleanup.h"
#include "tools/BinaryStdio.h"
#include "tools/commands.h"

namespace vesko::tools {
namespace {

std::string ReadStdin() {
  std::string text;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) text.append(buffer, n);
  if (std::ferror(stdin)) throw TCommandError("can't read stdin");
  return text;
}

}  // namespace

void RegisterCleanCommand(CLI::App& app) {
  static TCleanupOptions options;
  CLI::App* clean = app.add_subcommand(
      "clean", "Apply the export's clean-ups to Shift JIS text from stdin and write it to stdout");
  clean->add_flag("--del-space", options.DelSpace, "Collapse runs of spaces and tabs to one space");
  clean->add_flag("--del-dbspace", options.DelDBSpace, "Collapse runs of full-width spaces to one");
  clean->add_flag("--del-crlf", options.DelCRLF,
                  "Collapse runs of empty lines to one (CR LF line ends)");
  clean->add_flag("--zentohan", options.ZentoHan, "Full-width letters and digits to half-width");
  clean->add_flag("--zentohan-kana", options.ZentoHanKana, "Full-width katakana to half-width");
  clean->callback([] {
    SetBinaryStdio();
    std::string text = ReadStdin();
    CleanUpText(text, options);
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
      throw TCommandError("can't write stdout");
    }
  });
}

}  // namespace vesko::tools
