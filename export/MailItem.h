// TMailItem is one mail made ready for the document: the sender, subject and date for its
// three header lines, and its body as Shift JIS text after conversion and the clean-ups.
// The raw mail comes from the host (BKA_GetSource); encoded header words are decoded and
// character sets converted by the host's own functions. The item takes its options from
// the TMeDocItemList it belongs to, which owns it. Which part becomes the body and how it
// is decoded is planned by mail/MailBody.h; From and Subject stay one line each whatever
// the host's decoder does. Create throws what the MIME parser and the clean-up chain throw.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "host/BeckyAPI.h"
#include "mail/MailBody.h"
#include "platform/datetime.h"

namespace vesko {

class TMeDocItemList;

class TMailItem {
 public:
  // Fetches the mail from the host and builds every field.
  TMailItem(const std::string& mail_id, const TMeDocItemList& owner);
  // An item made of ready fields (no host involved), for assembling documents directly.
  TMailItem(const TMeDocItemList& owner, std::string from, std::string subject, TDateTime date,
            std::string body)
      : from_(std::move(from)),
        subject_(std::move(subject)),
        date_(date),
        body_(std::move(body)),
        owner_(&owner) {}

  // The text after "From:" in the document, by the owner's ListAddrFmt.
  std::string FormatSender() const;
  // The text after "Date:": the short date, then a space and the long time unless the
  // time is exactly midnight. A Date of 0 shows the zero date.
  std::string DateText() const;

  // The "From:", "Subject:" and "Date:" lines, each ending in CR LF.
  std::string HeadLines() const;
  // The three header lines and the body, as the document holds this mail.
  std::string Text() const { return HeadLines() + body_; }

  // Removes a leading "[tag]" from a subject when something follows it; an empty result
  // becomes "(no subject)".
  static std::string StripSubjectTag(std::string_view subject);
  // The host converter for a text part's charset (letter case ignored); ISO-2022-JP for
  // every name it doesn't know, the empty one included.
  static bka::Converter ConverterFor(const TBeckyAPI& api, std::string_view charset);

  const std::string& From() const { return from_; }
  const std::string& Subject() const { return subject_; }
  TDateTime Date() const { return date_; }
  const std::string& Body() const { return body_; }
  const std::string& Charset() const { return charset_; }
  const TMeDocItemList& Owner() const { return *owner_; }

 private:
  // The body text in Shift JIS, before the clean-ups, by the plan for root. Sets Charset.
  std::string DecodeBody(const TBeckyAPI& api, const TMIMEItem& root, const TBodyOptions& options);
  // The planned part's text (source) decoded and converted to Shift JIS; nullopt when
  // it can't be decoded (the host's converter gave nothing, base64 held no data).
  static std::optional<std::string> ConvertBody(const TBeckyAPI& api, const TBodyPlan& plan,
                                                const std::string& source,
                                                const TBodyOptions& options);
  static std::string ForwardedHeader(const TBeckyAPI& api, const TMIMEItem& mail);

  std::string from_;
  std::string subject_;
  TDateTime date_ = 0;
  std::string body_;
  std::string charset_;
  const TMeDocItemList* owner_;
};

}  // namespace vesko
