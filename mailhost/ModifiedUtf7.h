// IMAP's modified UTF-7, in which Maildir++ folders of IMAP servers keep their names:
// printable ASCII stands for itself, "&-" for '&', and any other text is UTF-16 in base64
// (with ',' for '/') between '&' and '-'. The decoder gives UTF-8, or nothing for a name
// that is not written that way, so that such a name can be shown as it stands.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vesko::mailhost {

// The UTF-8 text of a modified UTF-7 name. nullopt for anything else: bytes outside
// printable ASCII, an unclosed or empty shift, bad base64, leftover bits that are not
// zero, a lone surrogate, or printable ASCII written in base64.
std::optional<std::string> DecodeModifiedUtf7(std::string_view name);

}  // namespace vesko::mailhost
