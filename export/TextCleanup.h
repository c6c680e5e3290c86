// The clean-up chain that every exported mail body goes through, in this order: runs of
// blanks and tabs to one blank, runs of full-width spaces to one, runs of empty lines to
// one, then full-width letters, digits and katakana to half-width. Each step runs only when
// its option is on. Text is Shift JIS with CR LF line ends.
#pragma once

#include <string>

namespace vesko {

struct TCleanupOptions {
  bool DelSpace = false;      // runs of spaces and tabs become one space
  bool DelDBSpace = false;    // runs of ideographic spaces (0x81 0x40) become one
  bool DelCRLF = false;       // runs of empty lines become one empty line
  bool ZentoHan = false;      // full-width letters and digits to half-width
  bool ZentoHanKana = false;  // full-width katakana to half-width
};

// Applies the chain to text in place. Throws what the regular expression engine throws.
void CleanUpText(std::string& text, const TCleanupOptions& options);

}  // namespace vesko
