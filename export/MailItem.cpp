#include "export/MailItem.h"

#include <cmath>
#include <utility>

#include "export/MeDocItemList.h"
#include "export/TextCleanup.h"
#include "host/PlugIn.h"
#include "mail/MIMEItem.h"
#include "mail/VeskoUtil.h"
#include "platform/datefmt.h"
#include "platform/locale.h"

namespace vesko {
namespace {

constexpr int kHeaderSize = 255;  // the host cuts decoded header values here
constexpr int kEucJp = 4;         // DetectCode's answer for EUC-JP text

std::string DecodeHeader(const TBeckyAPI& api, const std::string& value) {
  char buffer[kHeaderSize + 1] = {};
  api.BKA_MIMEHeader(value.c_str(), buffer, kHeaderSize, 0);
  buffer[kHeaderSize] = '\0';
  return buffer;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
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

  bka::Converter converter = api.BKA_ISO_2022_JP;
  std::string text;
  if (const TMIMEItem* part = root.FindPart("text", "plain")) {
    charset_ = TMIMEItem::GetParameter(part->GetHeader("Content-Type"), "charset");
    converter = ConverterFor(api, charset_);
    text = JoinLines(part->body());
    // Only this exact spelling is decoded; every other transfer encoding is left alone.
    // The decoded text goes back as lines, so its line ends come out as CR LF again.
    if (part->GetHeader("Content-Transfer-Encoding") == "quoted-printable") {
      text = JoinLines(SplitLines(QuotedPrintableDecode(text)));
    }
  } else {
    text = JoinLines(root.body());
    if (DetectCode(text) == kEucJp) converter = api.BKA_EUC_JP;
  }
  body_ = TakeHostText(api, converter(text.c_str(), 0));
  CleanUpText(body_, options);
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
  const std::pair<const char*, bka::Converter> table[] = {
      {"iso-2022-kr", api.BKA_ISO_2022_KR},
      {"hz-gb-2312", api.BKA_HZ_GB2312},
      {"iso-8859-2", api.BKA_ISO_8859_2},
      {"euc-jp", api.BKA_EUC_JP},
      {"utf-7", api.BKA_UTF_7},
      {"utf-8", api.BKA_UTF_8},
  };
  for (const auto& [name, converter] : table) {
    if (EqualsIgnoringCase(charset, name)) return converter;
  }
  return api.BKA_ISO_2022_JP;
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
