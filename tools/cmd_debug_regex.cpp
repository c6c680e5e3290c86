// vesko debug regex: runs the regular expression engine as a filter, stdin to stdout.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iterator>
#include <map>
#include <memory>
#include <string>

#include "regex/bmRExp.h"
#include "tools/BinaryStdio.h"
#include "tools/commands.h"

namespace vesko::tools {

namespace {

struct TRegexOptions {
  std::string code;
  bool icase = false;
  bool literal = false;
  std::string pattern;
  std::string tmpl;
};

std::string ReadStdin() {
  std::string text;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) text.append(buffer, n);
  if (std::ferror(stdin)) throw TCommandError("cannot read standard input");
  return text;
}

void RunRegex(const TRegexOptions& options) {
  static const std::map<std::string, std::uint8_t> kCodes = {
      {"sjis", kbmccShiftJIS}, {"euc", kbmccEUC}, {"western", kbmccWestern}, {"utf16", kbmccUniCode}};
  SetBinaryStdio();
  TbmRExp regexp;
  if (!options.code.empty()) regexp.SetCharCode(kCodes.at(options.code));
  regexp.SetOption(0, !options.literal);
  regexp.SetOption(1, options.icase);
  regexp.SetPattern(options.pattern);
  std::string text = ReadStdin();
  int count = 0;
  try {
    count = regexp.Replace(options.tmpl, text);
  } catch (const EbmREToken& e) {
    const TbmREToken& token = e.token();
    throw TCommandError(std::string(e.what()) + " at pattern bytes " + std::to_string(token.start) +
                            ".." + std::to_string(token.end),
                        kExitBadInput);
  }
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    throw TCommandError("cannot write standard output");
  }
  std::fprintf(stderr, "%d\n", count);
}

}  // namespace

void RegisterRegexDebugCommands(CLI::App& debug) {
  auto options = std::make_shared<TRegexOptions>();
  CLI::App* cmd = debug.add_subcommand(
      "regex",
      "Replace every match of PATTERN in stdin by TEMPLATE, write the text to stdout and the "
      "number of replacements to stderr");
  cmd->add_option("--code", options->code,
                  "Character code of pattern, template and text (default: the system's)")
      ->check(CLI::IsMember({"sjis", "euc", "western", "utf16"}));
  cmd->add_flag("--icase", options->icase, "Ignore the case of ASCII letters");
  cmd->add_flag("--literal", options->literal, "Take PATTERN as plain text, not as an expression");
  cmd->add_option("PATTERN", options->pattern,
                  "Pattern bytes; escapes such as \\x8140, \\n, \\t are read by the engine")
      ->required();
  cmd->add_option("TEMPLATE", options->tmpl, "Replacement; & is the match, escapes as in PATTERN")
      ->required();
  cmd->callback([options] { RunRegex(*options); });
}

}  // namespace vesko::tools
