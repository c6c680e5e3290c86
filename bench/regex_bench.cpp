// The three clean-ups that run on every exported mail, over ~10 MB of Shift JIS mail text,
// by TbmRExp and, for comparison, by RE2 (Latin-1, on the same bytes) in the same run.
#include <benchmark/benchmark.h>
#include <re2/re2.h>

#include <string>

#include "bench/support/Corpus.h"
#include "regex/bmRExp.h"

namespace {

constexpr std::size_t kTextBytes = 10 << 20;

// Prose with what mail bodies carry besides: indents of full-width spaces, runs of blanks
// and tabs, and blank lines.
const std::string& MailText() {
  static const std::string text = [] {
    const std::string prose = vesko::bench::ShiftJisProse(kTextBytes);
    std::string out;
    out.reserve(prose.size() + prose.size() / 8);
    std::size_t line = 0;
    for (std::size_t pos = 0; pos < prose.size();) {
      std::size_t end = prose.find("\r\n", pos);
      end = end == std::string::npos ? prose.size() : end + 2;
      if (line % 3 == 0) out += "\x81\x40\x81\x40";
      if (line % 7 == 0) out += "\t";
      out.append(prose, pos, end - pos - 2);
      if (line % 4 == 0) out += "  \t ";
      out.append(prose, end - 2, 2);
      if (line % 5 == 0) out += "\r\n\r\n";
      pos = end;
      ++line;
    }
    return out;
  }();
  return text;
}

struct TCleanUp {
  const char* pattern;   // the engine's own escapes
  const char* tmpl;
  const char* re2_pattern;
  const char* re2_rewrite;
};

const TCleanUp kCleanUps[] = {
    {"(\\n\\r)+", "\\n\\r", "(\\n\\r)+", "\n\r"},
    {"(\\x8140)+", "\\x8140", "(\\x81\\x40)+", "\x81\x40"},
    {"(\\x20|\\x09)+", "\\x20", "(\\x20|\\x09)+", " "},
};

void BM_TbmRExp(benchmark::State& state) {
  const TCleanUp& c = kCleanUps[state.range(0)];
  const std::string& input = MailText();
  int count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string text = input;
    state.ResumeTiming();
    vesko::TbmRExp regexp;  // a fresh object per mail, as the export makes it
    regexp.SetCharCode(vesko::kbmccShiftJIS);
    regexp.SetPattern(c.pattern);
    count = regexp.Replace(c.tmpl, text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetLabel(std::string(c.pattern) + " " + std::to_string(count) + " replacements");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

void BM_RE2(benchmark::State& state) {
  const TCleanUp& c = kCleanUps[state.range(0)];
  const std::string& input = MailText();
  RE2::Options options(RE2::Latin1);
  const RE2 re(c.re2_pattern, options);
  int count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string text = input;
    state.ResumeTiming();
    count = RE2::GlobalReplace(&text, re, c.re2_rewrite);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetLabel(std::string(c.re2_pattern) + " " + std::to_string(count) + " replacements");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

BENCHMARK(BM_TbmRExp)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RE2)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
