#include "export/MailItem.h"

#include <cmath>
#include <iterator>
#include <optional>
#include <utility>

#include "export/MeDocItemList.h"
#include "export/TextCleanup.h"
#include "host/PlugIn.h"
#include "mail/Charsets.h"
#include "mail/HtmlText.h"
#include "mail/MIMEItem.h"
#include "mail/TextUtil.h"
#include "mail/VeskoUtil.h"
#include "platform/datefmt.h"
#include "platform/locale.h"

namespace vesko {
namespace {

constexpr int kHeaderSize = 255;  // the host cuts decoded header values here

// A header value as the host decodes it, kept on one line whatever the host does: the
// value is unfolded before it goes to the host, and any line end left becomes a space.
std::string DecodeHeader(const TBeckyAPI& api, const std::string& value) {
  char buffer[kHeaderSize + 1] = {};
  api.BKA_MIMEHeader(UnfoldHeader(value).c_str(), buffer, kHeaderSize, 0);
  buffer[kHeaderSize] = '\0';
  return OnOneLine(buffer);
}

}  // namespace

TMailItem::TMailItem(const std::string& mail_id, const TMeDocItemList& owner) : owner_(&owner) {
  const TBeckyAPI& api = PlugIn().api;
  const TTextOptions& options = owner.Options();
  TMIMEItem root;
  root.Parse(TakeHostText(api, api.BKA_GetSource(mail_id.c_str())));
  date_ = ParseMailDate(root.GetHeader("Date"));
  from_ = DecodeHeader(api, root.GetHeader("From"));
  subject_ = DecodeHeader(api, root.GetHeader("Subject"));
  if (options.HideHead) subject_ = StripSubjectTag(subject_);
  body_ = DecodeBody(api, root, options.Decoding);
  CleanUpText(body_, options);
}

std::string TMailItem::DecodeBody(const TBeckyAPI& api, const TMIMEItem& root,
                                  const TBodyOptions& options) {
  const TBodyPlan plan = PlanBody(root, options);
  std::string text;
  for (const auto& attached : plan.forwarded) text += ForwardedHeader(api, *attached);
  if (plan.part != nullptr) charset_ = plan.charset;
  const std::string source = JoinLines(plan.part != nullptr ? plan.part->body() : plan.mail->body());
  std::optional<std::string> converted;
  try {
    converted = ConvertBody(api, plan, source, options);
  } catch (const std::exception&) {
    if (!options.KeepUndecoded) throw;
  }
  // A part that can't be decoded goes into the document as it stands.
  if (!converted) return text + (options.KeepUndecoded ? source : std::string());
  return text + *converted;
}

std::optional<std::string> TMailItem::ConvertBody(const TBeckyAPI& api, const TBodyPlan& plan,
                                                  const std::string& source,
                                                  const TBodyOptions& options) {
  std::string text = source;
  // Decodings beyond the designed ones may leave lone CR or LF; they end as CR LF.
  bool mend_line_ends = plan.transfer == TTransferEncoding::kBase64 || plan.platform_charset;
  if (plan.transfer == TTransferEncoding::kBase64) {
    text = Base64Decode(source);
    if (text.empty() && !TrimBlanks(source).empty()) return std::nullopt;
  }
  if (plan.transfer == TTransferEncoding::kQuotedPrintable) {
    text = QuotedPrintableDecode(text);
    // The decoded text goes back as lines, so its line ends come out as CR LF again.
    // With DecodeTransfer that happens after the charset, whose bytes may look like line ends.
    if (options.DecodeTransfer) mend_line_ends = true;
    else text = JoinLines(SplitLines(text));
  }
  std::optional<std::string> converted;
  if (plan.platform_charset) converted = ConvertToShiftJis(plan.charset, text);
  if (!converted) {
    bka::Converter converter = api.BKA_ISO_2022_JP;
    if (plan.part != nullptr) converter = ConverterFor(api, plan.charset);
    else if (DetectCode(text) == kCodeEucJp) converter = api.BKA_EUC_JP;
    char* result = converter(text.c_str(), 0);
    if (result == nullptr) return std::nullopt;
    converted = TakeHostText(api, result);
  }
  if (mend_line_ends) *converted = JoinLines(SplitLines(*converted));
  if (plan.html) *converted = HtmlToText(*converted);
  return converted;
}

// The header lines of an attached mail, ahead of its text.
std::string TMailItem::ForwardedHeader(const TBeckyAPI& api, const TMIMEItem& mail) {
  std::string lines;
  const auto line = [&](const char* label, const std::string& value) {
    if (!value.empty()) lines += label + value + "\r\n";
  };
  line("From: ", DecodeHeader(api, mail.GetHeader("From")));
  line("Subject: ", DecodeHeader(api, mail.GetHeader("Subject")));
  line("Date: ", OnOneLine(UnfoldHeader(mail.GetHeader("Date"))));
  return lines.empty() ? lines : lines + "\r\n";
}

std::string TMailItem::StripSubjectTag(std::string_view subject) {
  std::string result(subject);
  if (!subject.empty() && subject[0] == '[') {
    for (std::size_t i = 1; i < subject.size(); ++i) {
      if (platform::IsLeadByte(static_cast<unsigned char>(subject[i]))) {
        ++i;  // the trail byte may look like "]"
      } else if (subject[i] == ']') {
        if (i + 1 < subject.size()) result = subject.substr(i + 1);
        break;
      }
    }
  }
  return result.empty() ? "(no subject)" : result;
}

bka::Converter TMailItem::ConverterFor(const TBeckyAPI& api, std::string_view charset) {
  // In the order of kHostCharsets.
  const bka::Converter converters[] = {api.BKA_ISO_2022_KR, api.BKA_HZ_GB2312,
                                       api.BKA_ISO_8859_2,  api.BKA_EUC_JP,
                                       api.BKA_UTF_7,       api.BKA_UTF_8};
  static_assert(std::size(converters) == std::size(kHostCharsets));
  const int index = HostCharsetIndex(charset);
  return index >= 0 ? converters[index] : api.BKA_ISO_2022_JP;
}

std::string TMailItem::HeadLines() const {
  return "From:" + FormatSender() + "\r\nSubject:" + subject_ + "\r\nDate:" + DateText() +
         "\r\n";
}

std::string TMailItem::FormatSender() const {
  switch (owner_->Options().ListAddrFmt) {
    case 1:
      return DisplayName(from_) + " <" + MailAddress(from_) + ">";
    case 2:
      return MailAddress(from_) + " (" + DisplayName(from_) + ")";
    case 3:
      return MailAddress(from_);
    case 4:
      return DisplayName(from_);
    default:
      return from_;
  }
}

std::string TMailItem::DateText() const {
  const TCalendarTime t = DecodeDateTime(date_);
  std::string text = platform::ShortDateText(t);
  if (t.hour != 0 || t.minute != 0 || t.second != 0 || t.millisecond != 0) {
    text += ' ';
    text += platform::LongTimeText(t);
  }
  return text;
}

}  // namespace vesko
