#include <gtest/gtest.h>

#include <string>

#include "export/MailItem.h"
#include "export/MeDocItemList.h"
#include "platform/datefmt.h"
#include "tests/support/FakeHost.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

using fake::TFakeHost;

TEST(MailItem, StripSubjectTagKeepsWhatFollowsTheTag) {
  struct {
    const char* name;
    std::string subject, stripped;
  } const cases[] = {
      {"tag, space and word", "[ml:123] Hello", " Hello"},
      {"tag alone stays whole", "[ml:123]", "[ml:123]"},
      {"empty subject", "", "(no subject)"},
      {"no tag", "Hello [x]", "Hello [x]"},
      {"unclosed tag", "[ml Hello", "[ml Hello"},
      // 0x83 0x5D is one character whose second byte looks like "]"
      {"trail byte is not the bracket", "[\x83\x5d]x", "x"},
      {"trail byte alone closes nothing", "[\x83\x5dx", "[\x83\x5dx"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TMailItem::StripSubjectTag(c.subject), c.stripped);
  }
}

TEST(MailItem, FormatSenderFollowsListAddrFmt) {
  struct {
    int format;
    std::string from, sender;
  } const cases[] = {
      {0, "Taro <taro@example.jp>", "Taro <taro@example.jp>"},
      {1, "Taro <taro@example.jp>", "Taro <taro@example.jp>"},
      {2, "Taro <taro@example.jp>", "taro@example.jp (Taro)"},
      {3, "Taro <taro@example.jp>", "taro@example.jp"},
      {4, "Taro <taro@example.jp>", "Taro"},
      {1, "taro@example.jp", " <taro@example.jp>"},  // empty display name
      {9, "Taro <taro@example.jp>", "Taro <taro@example.jp>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    TTextOptions options;
    options.ListAddrFmt = c.format;
    const TMeDocItemList list(options);
    EXPECT_EQ(TMailItem(list, c.from, "", 0, "").FormatSender(), c.sender);
  }
}

TEST(MailItem, DateTextLeavesOutMidnight) {
  const TMeDocItemList list{TTextOptions{}};
  const TCalendarTime noon{2026, 12, 7, 12, 30, 5};
  const TCalendarTime midnight{2026, 12, 7};
  TDateTime at_noon = 0, at_midnight = 0;
  ASSERT_TRUE(TryEncodeDateTime(noon, at_noon));
  ASSERT_TRUE(TryEncodeDateTime(midnight, at_midnight));
  EXPECT_EQ(TMailItem(list, "", "", at_noon, "").DateText(),
            platform::ShortDateText(noon) + " " + platform::LongTimeText(noon));
  EXPECT_EQ(TMailItem(list, "", "", at_midnight, "").DateText(), platform::ShortDateText(midnight));
  EXPECT_EQ(TMailItem(list, "", "", 0, "").DateText(), platform::ShortDateText(TCalendarTime{}));
}

std::string TextMail(const std::string& headers, const std::string& body) {
  return "From: a@example.jp\r\nSubject: s\r\n" + headers + "\r\n" + body;
}

TEST(MailItem, CharsetChoosesTheConverter) {
  struct {
    std::string content_type, converter;
  } const cases[] = {
      {"text/plain; charset=utf-8", "UTF-8"},
      {"text/plain; charset=\"UTF-8\"", "UTF-8"},
      {"text/plain; charset=EUC-JP", "EUC-JP"},
      {"text/plain; charset=iso-2022-kr", "ISO-2022-KR"},
      {"text/plain; charset=hz-gb-2312", "HZ-GB2312"},
      {"text/plain; charset=ISO-8859-2", "ISO-8859-2"},
      {"text/plain; charset=utf-7", "UTF-7"},
      {"text/plain; charset=iso-2022-jp", "ISO-2022-JP"},
      {"text/plain; charset=shift_jis", "ISO-2022-JP"},
      {"text/plain", "ISO-2022-JP"},
  };
  test::TScratchFolder root;
  TFakeHost host(root.path());
  host.AddMail("1", "");
  const TMeDocItemList list{TTextOptions{}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content_type);
    host.mails[0].source = TextMail("Content-Type: " + c.content_type + "\r\n", "body\r\n");
    host.converters.clear();
    const TMailItem item("1", list);
    ASSERT_EQ(host.converters.size(), 1u);
    EXPECT_EQ(host.converters[0], c.converter);
    EXPECT_EQ(item.Body(), "body\r\n");
  }
}

TEST(MailItem, OnlyLowerCaseQuotedPrintableIsDecoded) {
  struct {
    const char* encoding;
    std::string body;
  } const cases[] = {
      {"quoted-printable", "a=b\r\n"},
      {"Quoted-Printable", "a=3Db\r\n"},
      {"base64", "a=3Db\r\n"},
  };
  test::TScratchFolder root;
  TFakeHost host(root.path());
  const TMeDocItemList list{TTextOptions{}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encoding);
    host.mails.clear();
    host.AddMail("1", TextMail("Content-Type: text/plain; charset=us-ascii\r\n"
                               "Content-Transfer-Encoding: " +
                                   std::string(c.encoding) + "\r\n",
                               "a=3Db\r\n"));
    EXPECT_EQ(TMailItem("1", list).Body(), c.body);
  }
}

TEST(MailItem, HideHeadStripsTheTagAndCleanUpsRun) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  host.AddMail("1",
               "From: Taro <taro@example.jp>\r\nSubject: [ml:123] Hello\r\n\r\n"
               "a  b\r\n\r\n\r\nc\r\n");
  TTextOptions options;
  options.HideHead = true;
  options.DelSpace = true;
  options.DelCRLF = true;
  const TMeDocItemList list(options);
  const TMailItem item("1", list);
  EXPECT_EQ(item.From(), "Taro <taro@example.jp>");
  EXPECT_EQ(item.Subject(), " Hello");
  EXPECT_EQ(item.Body(), "a b\r\n\r\nc\r\n");
  EXPECT_EQ(item.Date(), 0);  // no Date field
}

}  // namespace
}  // namespace vesko
