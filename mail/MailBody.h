// Which part of a mail becomes its text in the e-book, and which decodings it needs. The
// designed choice is the first text/plain part, or the mail's own body when there is none;
// only a part whose transfer encoding is written "quoted-printable" is decoded, and the
// host converts every charset. TBodyOptions adds, each on its own:
//   DecodeTransfer  base64 text parts, and the encoding names in any letter case;
//   HtmlToText      a text/html part when there is no text/plain one, made readable;
//   MoreCharsets    UTF-8, UTF-16, the Shift JIS family and the code pages of mail/Charsets
//                   converted here, with nearest forms for what Shift JIS lacks;
//   Forwarded       a mail without text part of its own whose body is an attached mail
//                   (message/rfc822) shows that mail's header and text;
//   KeepUndecoded   a part that can't be decoded goes into the e-book as it stands.
// PlanBody only reads the tree; converting is up to the caller, who has the host.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mail/MIMEItem.h"

namespace vesko {

struct TBodyOptions {
  bool DecodeTransfer = false;
  bool HtmlToText = false;
  bool MoreCharsets = false;
  bool Forwarded = false;
  bool KeepUndecoded = false;
};

enum class TTransferEncoding { kNone, kQuotedPrintable, kBase64 };

// The charsets that the host's converters read, in the order of its converter table;
// every other name goes to its ISO-2022-JP converter.
inline constexpr std::string_view kHostCharsets[] = {"iso-2022-kr", "hz-gb-2312", "iso-8859-2",
                                                     "euc-jp",      "utf-7",      "utf-8"};
// The index of charset in kHostCharsets (ASCII case ignored), or -1.
int HostCharsetIndex(std::string_view charset);

struct TBodyPlan {
  // The attached mails that a forwarded mail was opened through, outermost first; the
  // text comes from the last one. Empty for a mail read as it is.
  std::vector<std::unique_ptr<TMIMEItem>> forwarded;
  const TMIMEItem* mail = nullptr;  // the mail the text comes from: the root or forwarded.back()
  const TMIMEItem* part = nullptr;  // its text part, or null for the mail's own body
  bool html = false;                // the part is text/html, made into text
  TTransferEncoding transfer = TTransferEncoding::kNone;
  std::string charset;              // the part's charset parameter
  bool platform_charset = false;    // the charset is converted here rather than by the host
};

// Attached mails nested deeper than this are not opened.
inline constexpr int kMaxForwardDepth = 8;

TBodyPlan PlanBody(const TMIMEItem& root, const TBodyOptions& options);

// The decodings of a plan in the order they run, for the debug commands: "forwarded mail",
// "base64", "quoted-printable", "charset X by Vesko" or "charset X by the host",
// "html to text".
std::vector<std::string> DescribePlan(const TBodyPlan& plan);

}  // namespace vesko
