// Mails in the shapes that web mail, phones and mailing lists send, exported with every body
// decoding on and with every one off. With them on the body is what the sender wrote; with
// them off it is the designed text. The fake host's converters and header decoder hand
// their input back unchanged, so a text that reaches them stays as it was.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "export/MailItem.h"
#include "export/MeDocItemList.h"
#include "tests/support/FakeHost.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

using fake::TFakeHost;

const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語 in Shift JIS
const std::string kGeta = "\x81\xAC";

TTextOptions WithDecodings(bool on) {
  TTextOptions options;
  options.Decoding = {on, on, on, on, on};
  return options;
}

struct TMailCase {
  const char* name;
  std::string source;
  std::string written;   // the body with every decoding on: what the sender wrote
  std::string designed;  // the body with every decoding off
};

const TMailCase kMailCases[] = {
    {"web mail: alternative, utf-8 text part in base64",
     "From: a@ex.jp\r\nSubject: s\r\nMIME-Version: 1.0\r\n"
     "Content-Type: multipart/alternative; boundary=\"b1\"\r\n\r\n"
     "--b1\r\nContent-Type: text/plain; charset=\"UTF-8\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
     "SGVsbG8g5pel5pys6KqeCg==\r\n"
     "--b1\r\nContent-Type: text/html; charset=\"UTF-8\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
     "PHA+5pel5pys6KqePC9wPg==\r\n--b1--\r\n",
     "Hello " + kNihongo + "\r\n", "SGVsbG8g5pel5pys6KqeCg==\r\n"},
    {"phone: utf-8 in Quoted-Printable with capitals",
     "From: a@ex.jp\r\nSubject: s\r\nContent-Type: text/plain; charset=utf-8\r\n"
     "Content-Transfer-Encoding: Quoted-Printable\r\n\r\n"
     "caf=C3=A9 =E2=80=9Cok=E2=80=9D=\r\n!\r\n",
     "cafe \"ok\"!\r\n", "caf=C3=A9 =E2=80=9Cok=E2=80=9D=\r\n!\r\n"},
    {"phone: emoji in 8bit utf-8",
     "From: a@ex.jp\r\nSubject: s\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n"
     "ok \xF0\x9F\x91\x8D\xEF\xB8\x8F thanks\r\n",
     "ok " + kGeta + " thanks\r\n", "ok \xF0\x9F\x91\x8D\xEF\xB8\x8F thanks\r\n"},
    {"newsletter: html only, quoted-printable",
     "From: news@ex.jp\r\nSubject: s\r\nContent-Type: text/html; charset=utf-8\r\n"
     "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
     "<html><head><style>p{color:red}</style></head><body><p>=E6=97=A5=E6=9C=AC=E8=AA=9E</p>=\r\n"
     "<a href=3D\"https://ex.jp/\">More</a></body></html>\r\n",
     kNihongo + "\r\n\r\nMore <https://ex.jp/>\r\n",
     "<html><head><style>p{color:red}</style></head><body><p>=E6=97=A5=E6=9C=AC=E8=AA=9E</p>=\r\n"
     "<a href=3D\"https://ex.jp/\">More</a></body></html>\r\n"},
    {"both parts: the text part wins",
     "From: a@ex.jp\r\nSubject: s\r\nContent-Type: multipart/alternative; boundary=b\r\n\r\n"
     "--b\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n<p>html</p>\r\n"
     "--b\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nplain\r\n--b--\r\n",
     "plain\r\n", "plain\r\n"},
    {"Latin-1 body in 8bit",
     "From: a@ex.jp\r\nSubject: s\r\nContent-Type: text/plain; charset=ISO-8859-1\r\n"
     "Content-Transfer-Encoding: 8bit\r\n\r\nGr\xFC\xDF" "e, Ren\xE9\r\n",
     "Grusse, Rene\r\n", "Gr\xFC\xDF" "e, Ren\xE9\r\n"},
    {"Outlook: windows-1252 quotes and euro",
     "From: a@ex.jp\r\nSubject: s\r\nContent-Type: text/plain; charset=\"windows-1252\"\r\n"
     "Content-Transfer-Encoding: quoted-printable\r\n\r\n=93Hi=94 =96 5=80\r\n",
     "\"Hi\" - 5EUR\r\n", "\x93Hi\x94 \x96 5\x80\r\n"},
    {"base64 utf-16 with byte order mark",
     "From: a@ex.jp\r\nSubject: s\r\nContent-Type: text/plain; charset=utf-16\r\n"
     "Content-Transfer-Encoding: base64\r\n\r\n//5IAGUAbABsAG8AIADlZSxnnooNAAoA\r\n",
     "Hello " + kNihongo + "\r\n", "//5IAGUAbABsAG8AIADlZSxnnooNAAoA\r\n"},
    {"mailing list: Shift_JIS in 8bit stays as written",
     "From: a@ex.jp\r\nSubject: [ml:1] s\r\nContent-Type: text/plain; charset=Shift_JIS\r\n\r\n" +
         kNihongo + "\r\n--\r\nml footer\r\n",
     kNihongo + "\r\n--\r\nml footer\r\n", kNihongo + "\r\n--\r\nml footer\r\n"},
    {"forwarded as attachment, no text of its own",
     "From: b@ex.jp\r\nSubject: Fwd: Lunch\r\nContent-Type: multipart/mixed; boundary=\"o\"\r\n\r\n"
     "This is a multi-part message in MIME format.\r\n"
     "--o\r\nContent-Type: message/rfc822\r\n\r\n"
     "From: Hanako <h@ex.jp>\r\nSubject: Lunch\r\n\tplans\r\nDate: Mon, 07 Dec 2026 12:00:00 +0900\r\n"
     "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
     "U2VlIHlvdQpCeWUK\r\n--o--\r\n",
     "From: Hanako <h@ex.jp>\r\nSubject: Lunch\tplans\r\nDate: Mon, 07 Dec 2026 12:00:00 +0900\r\n"
     "\r\nSee you\r\nBye\r\n",
     "This is a multi-part message in MIME format.\r\n"},
    {"forwarded html-only mail",
     "From: b@ex.jp\r\nSubject: Fwd\r\nContent-Type: multipart/mixed; boundary=o\r\n\r\n"
     "--o\r\nContent-Type: message/rfc822\r\n\r\n"
     "From: c@ex.jp\r\nSubject: News\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n"
     "<ul><li>one</li><li>two</li></ul>\r\n--o--\r\n",
     "From: c@ex.jp\r\nSubject: News\r\n\r\n* one\r\n* two\r\n", ""},
    {"unknown charset goes to the host's converter",
     "From: a@ex.jp\r\nSubject: s\r\nContent-Type: text/plain; charset=x-mac-roman\r\n\r\nabc\r\n",
     "abc\r\n", "abc\r\n"},
    {"damaged base64 decodes what it can",
     "From: a@ex.jp\r\nSubject: s\r\nContent-Type: text/plain; charset=us-ascii\r\n"
     "Content-Transfer-Encoding: BASE64\r\n\r\nYW*Jj\r\nZGV\r\n",
     "abcde\r\n", "YW*Jj\r\nZGV\r\n"},
    {"base64 with nothing to decode is kept as it stands",
     "From: a@ex.jp\r\nSubject: s\r\nContent-Type: text/plain; charset=us-ascii\r\n"
     "Content-Transfer-Encoding: base64\r\n\r\n!!! ***\r\n",
     "!!! ***\r\n", "!!! ***\r\n"},
};

TEST(ModernMail, BodyIsWhatTheSenderWroteWithDecodingsOnAndDesignedWithThemOff) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  host.AddMail("1", "");
  const TMeDocItemList on(WithDecodings(true)), off(WithDecodings(false));
  for (const auto& c : kMailCases) {
    SCOPED_TRACE(c.name);
    host.mails[0].source = c.source;
    EXPECT_EQ(TMailItem("1", on).Body(), c.written);
    EXPECT_EQ(TMailItem("1", off).Body(), c.designed);
  }
}

TEST(ModernMail, EachKeyAloneSwitchesItsOwnDecoding) {
  struct {
    const char* name;
    bool TBodyOptions::*key;
    std::string source, body;
  } const cases[] = {
      {"DecodeTransfer", &TBodyOptions::DecodeTransfer,
       "Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: base64\r\n\r\nYWJj\r\n",
       "abc\r\n"},
      {"HtmlToText", &TBodyOptions::HtmlToText,
       "Content-Type: text/html; charset=us-ascii\r\n\r\n<p>a</p><br>b\r\n", "a\r\n\r\nb\r\n"},
      {"MoreCharsets", &TBodyOptions::MoreCharsets,
       "Content-Type: text/plain; charset=iso-8859-1\r\n\r\n\xE9t\xE9\r\n", "ete\r\n"},
      {"Forwarded", &TBodyOptions::Forwarded,
       "Content-Type: message/rfc822\r\n\r\nSubject: inner\r\n\r\ntext\r\n",
       "Subject: inner\r\n\r\ntext\r\n"},
  };
  test::TScratchFolder root;
  TFakeHost host(root.path());
  host.AddMail("1", "");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host.mails[0].source = "From: a@ex.jp\r\nSubject: s\r\n" + c.source;
    TTextOptions options;
    options.Decoding.*c.key = true;
    EXPECT_EQ(TMailItem("1", TMeDocItemList(options)).Body(), c.body);
  }
}

TEST(ModernMail, PartThatCannotBeConvertedIsKeptAsItStands) {
  test::TScratchFolder root;
  TFakeHost host(root.path());
  host.converters_fail = true;
  host.AddMail("1", "From: a@ex.jp\r\nSubject: s\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n"
                    "\r\nabc\r\n");
  TTextOptions keep;
  keep.Decoding.KeepUndecoded = true;
  EXPECT_EQ(TMailItem("1", TMeDocItemList(keep)).Body(), "abc\r\n");
  EXPECT_EQ(TMailItem("1", TMeDocItemList(WithDecodings(false))).Body(), "");
}

// Lines of a CR LF text.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

TEST(ModernMail, MeDocIndexPointsAtEveryFromLineWhateverTheHostReturns) {
  // The fake host's header decoder hands folded values back unchanged.
  const std::string mails[] = {
      "From: Taro\r\n <taro@ex.jp>\r\nSubject: folded\r\n\tsubject\r\n\r\none\r\ntwo\r\n",
      "From: a@ex.jp\r\nSubject: =?utf-8?B?YQ==?=\r\n =?utf-8?B?Yg==?=\r\n"
      "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
      "bGluZSAxCmxpbmUgMgpsaW5lIDMK\r\n",  // LF line ends inside the base64
      "From: b@ex.jp\r\nSubject: lone\nLF\r\nContent-Type: text/html\r\n\r\n<p>a</p><p>b</p>",
      "From: c@ex.jp\r\nSubject: last\r\n\r\nend",
  };
  for (const bool decodings : {true, false}) {
    SCOPED_TRACE(decodings ? "decodings on" : "decodings off");
    test::TScratchFolder root;
    TFakeHost host(root.path());
    TMeDocItemList list(WithDecodings(decodings));
    int n = 0;
    for (const std::string& mail : mails) {
      const std::string id = std::to_string(++n);
      host.AddMail(id, mail);
      list.Add(std::make_unique<TMailItem>(id, list));
    }
    std::string document = list.IndexHeader() + list.IndexLines();
    for (int i = 0; i < list.Count(); ++i) document += list.Items(i).Text();
    const std::vector<std::string> lines = Lines(document);
    for (int i = 0; i < list.Count(); ++i) {
      const std::string& entry = lines[static_cast<std::size_t>(i + 1)];
      const std::size_t number = std::stoul(entry.substr(0, entry.find(':')));
      ASSERT_LE(number, lines.size()) << entry;
      EXPECT_EQ(lines[number - 1].substr(0, 5), "From:") << "entry " << entry;
      EXPECT_EQ(list.Items(i).Subject().find_first_of("\r\n"), std::string::npos);
      EXPECT_EQ(list.Items(i).From().find_first_of("\r\n"), std::string::npos);
    }
    EXPECT_EQ(list.Items(0).Subject(), "folded\tsubject");
    EXPECT_EQ(list.Items(0).From(), "Taro <taro@ex.jp>");
    EXPECT_EQ(list.Items(2).Subject(), "lone LF");
  }
}

}  // namespace
}  // namespace vesko
