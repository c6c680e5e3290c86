// HtmlToText makes readable text of an HTML mail part whose bytes are already Shift JIS
// (no Shift JIS trail byte equals "<", ">", "&", a quote or a blank, so the markup reads
// bytewise). Block elements and <br> become line ends, paragraphs, headings and tables
// are set off by an empty line; script, style, title and head are dropped; character and
// entity references are decoded (a character Shift JIS lacks takes its nearest form); a
// link shows its text and, when the target differs, the target in angle brackets; list
// items get "* " or their number, indented by nesting; cells of a row are spaced apart.
// Runs of blanks collapse as a browser shows them, except inside <pre>. A "<" that opens
// no tag stays as text. The result has CR LF line ends and ends with one, unless empty.
// Never throws but for lack of memory.
#pragma once

#include <string>
#include <string_view>

namespace vesko {

std::string HtmlToText(std::string_view html);

}  // namespace vesko
