#include "mail/MailBody.h"

#include "mail/Charsets.h"
#include "mail/TextUtil.h"
#include "mail/VeskoUtil.h"

namespace vesko {
namespace {

TTransferEncoding TransferOf(const TMIMEItem& part, const TBodyOptions& options) {
  const std::string encoding = part.GetHeader("Content-Transfer-Encoding");
  if (!options.DecodeTransfer) {
    return encoding == "quoted-printable" ? TTransferEncoding::kQuotedPrintable
                                          : TTransferEncoding::kNone;
  }
  const std::string_view name = TrimBlanks(encoding);
  if (EqualsNoCase(name, "quoted-printable")) return TTransferEncoding::kQuotedPrintable;
  if (EqualsNoCase(name, "base64")) return TTransferEncoding::kBase64;
  return TTransferEncoding::kNone;
}

// Fills the plan's part, html flag, transfer and charset from mail; false when the mail
// has no text part of its own.
bool PlanTextPart(const TMIMEItem& mail, const TBodyOptions& options, TBodyPlan& plan) {
  plan.mail = &mail;
  plan.part = mail.FindPart("text", "plain");
  if (plan.part == nullptr && options.HtmlToText) {
    plan.part = mail.FindPart("text", "html");
    plan.html = plan.part != nullptr;
  }
  if (plan.part == nullptr) return mail.FindPart("text", "html") != nullptr;
  plan.charset = TMIMEItem::GetParameter(plan.part->GetHeader("Content-Type"), "charset");
  plan.transfer = TransferOf(*plan.part, options);
  const TCharsetKind kind = LookUpCharset(plan.charset).kind;
  plan.platform_charset =
      options.MoreCharsets && kind != TCharsetKind::kUnknown &&
      (kind == TCharsetKind::kUtf8 || HostCharsetIndex(plan.charset) < 0);
  return true;
}

}  // namespace

int HostCharsetIndex(std::string_view charset) {
  for (std::size_t i = 0; i < std::size(kHostCharsets); ++i) {
    if (EqualsNoCase(charset, kHostCharsets[i])) return static_cast<int>(i);
  }
  return -1;
}

TBodyPlan PlanBody(const TMIMEItem& root, const TBodyOptions& options) {
  TBodyPlan plan;
  const TMIMEItem* mail = &root;
  while (!PlanTextPart(*mail, options, plan) && options.Forwarded &&
         plan.forwarded.size() < static_cast<std::size_t>(kMaxForwardDepth)) {
    const TMIMEItem* attached = mail->FindPart("message", "rfc822");
    if (attached == nullptr) break;
    // An attached mail in base64 or quoted-printable is decoded first.
    std::string source = JoinLines(attached->body());
    const TTransferEncoding transfer = TransferOf(*attached, options);
    if (transfer == TTransferEncoding::kBase64) source = JoinLines(SplitLines(Base64Decode(source)));
    if (transfer == TTransferEncoding::kQuotedPrintable) {
      source = JoinLines(SplitLines(QuotedPrintableDecode(source)));
    }
    auto inner = std::make_unique<TMIMEItem>();
    inner->Parse(source);
    mail = inner.get();
    plan.forwarded.push_back(std::move(inner));
  }
  return plan;
}

std::vector<std::string> DescribePlan(const TBodyPlan& plan) {
  std::vector<std::string> steps;
  for (std::size_t i = 0; i < plan.forwarded.size(); ++i) steps.emplace_back("forwarded mail");
  if (plan.transfer == TTransferEncoding::kBase64) steps.emplace_back("base64");
  if (plan.transfer == TTransferEncoding::kQuotedPrintable) steps.emplace_back("quoted-printable");
  const std::string charset = plan.part == nullptr ? "undeclared"
                              : plan.charset.empty() ? "none given"
                                                     : plan.charset;
  steps.push_back("charset " + charset + (plan.platform_charset ? " by Vesko" : " by the host"));
  if (plan.html) steps.emplace_back("html to text");
  return steps;
}

}  // namespace vesko
