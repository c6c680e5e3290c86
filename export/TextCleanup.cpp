#include "export/TextCleanup.h"

#include <map>

#include "mail/JisCode.h"
#include "regex/bmRExp.h"

namespace vesko {
namespace {

// The patterns and templates are regular-expression text: the engine reads the escapes.
// Each pattern is compiled once and kept, since every mail of an export runs the chain.
void ReplaceAll(std::string& text, const char* pattern, const char* replacement) {
  static std::map<const char*, TbmRExp> compiled;
  auto [it, added] = compiled.try_emplace(pattern);
  if (added) it->second.SetPattern(pattern);
  it->second.Replace(replacement, text);
}

// The width conversion modes: 1 letters and digits, 2 katakana, 3 both.
int WidthMode(const TCleanupOptions& options) {
  return (options.ZentoHan ? 1 : 0) | (options.ZentoHanKana ? 2 : 0);
}

}  // namespace

void CleanUpText(std::string& text, const TCleanupOptions& options) {
  if (options.DelSpace) ReplaceAll(text, R"((\x20|\x09)+)", R"(\x20)");
  if (options.DelDBSpace) ReplaceAll(text, R"((\x8140)+)", R"(\x8140)");
  // In CR LF text an empty line shows as LF CR: a run of them shrinks to one.
  if (options.DelCRLF) ReplaceAll(text, R"((\n\r)+)", R"(\n\r)");
  if (const int mode = WidthMode(options); mode != 0) text = ToHalfWidth(text, mode);
}

}  // namespace vesko
