#include <gtest/gtest.h>

#include <string>

#include "mail/HtmlText.h"

namespace vesko {
namespace {

struct THtmlCase {
  const char* name;
  std::string html, text;
};

const THtmlCase kHtmlCases[] = {
    {"empty", "", ""},
    {"text only", "Hello", "Hello\r\n"},
    {"blanks collapse", "a  \r\n\t b", "a b\r\n"},
    {"br breaks the line", "a<br>b<BR/>c", "a\r\nb\r\nc\r\n"},
    {"breaks make at most one empty line", "<br>a<br><br><br><br>b</p><br>c",
     "a\r\n\r\nb\r\n\r\nc\r\n"},
    {"div starts a line", "<div>a</div><div>b</div>", "a\r\nb\r\n"},
    {"paragraphs are set apart", "<p>a</p><p>b</p>", "a\r\n\r\nb\r\n"},
    {"heading then text", "<h1>Title</h1>text", "Title\r\n\r\ntext\r\n"},
    {"script, style and head are dropped",
     "<html><head><title>T</title><style>p{x:1}</style></head><body>"
     "<script>var a = '<p>';</script>Body</body></html>",
     "Body\r\n"},
    {"a head without end stops at body", "<head><meta charset=utf-8><body>Body", "Body\r\n"},
    {"comments and doctype", "<!DOCTYPE html><!-- a <b> -->x", "x\r\n"},
    {"named references", "&lt;a&gt; &amp; &quot;q&quot;", "<a> & \"q\"\r\n"},
    {"numeric references", "&#65;&#x42;&#X43;", "ABC\r\n"},
    {"a reference to a character Shift JIS lacks", "caf&eacute; &#233;", "cafe e\r\n"},
    {"a Japanese reference", "&#26085;", "\x93\xFA\r\n"},
    {"nbsp is a space that stays", "a&nbsp;&nbsp;b", "a  b\r\n"},
    {"old names without semicolon", "a &amp b", "a & b\r\n"},
    {"unknown reference stays", "a &bogus; b & c", "a &bogus; b & c\r\n"},
    {"Windows-1252 numbers", "&#147;x&#148;", "\"x\"\r\n"},
    {"link with other text shows the address", "<a href=\"https://ex.jp/a?b=1&amp;c=2\">Shop</a>",
     "Shop <https://ex.jp/a?b=1&c=2>\r\n"},
    {"link whose text is the address", "<a href='https://ex.jp/'>https://ex.jp/</a>",
     "https://ex.jp/\r\n"},
    {"mailto link with the address as text", "<a href=\"mailto:a@ex.jp\">a@ex.jp</a>",
     "a@ex.jp\r\n"},
    {"anchor links show only text", "<a href=\"#top\">Top</a>", "Top\r\n"},
    {"image link shows the address", "<a href=\"https://ex.jp/\"><img src=x.png></a>",
     "<https://ex.jp/>\r\n"},
    {"image alt text", "<img alt=\"Logo\" src=\"l.png\">text", "Logo text\r\n"},
    {"unordered list", "<ul><li>one</li><li>two</li></ul>", "* one\r\n* two\r\n"},
    {"ordered list", "<ol><li>one<li>two</ol>after", "1. one\r\n2. two\r\n\r\nafter\r\n"},
    {"nested list is indented", "<ul><li>a<ul><li>b</li></ul></li><li>c</li></ul>",
     "* a\r\n  * b\r\n* c\r\n"},
    {"table cells are spaced apart", "<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>",
     "a b\r\nc\r\n"},
    {"pre keeps blanks and lines", "<pre>a  b\n\n\n  c</pre>", "a  b\r\n\r\n\r\n  c\r\n"},
    {"a lone < is text", "1 < 2 and 3<4", "1 < 2 and 3<4\r\n"},
    {"an unclosed tag is text", "a <b", "a <b\r\n"},
    {"a > inside a quoted attribute", "<a title=\"x>y\" href=\"u\">t</a>", "t <u>\r\n"},
    {"Shift JIS text passes whole", "<p>\x93\xFA\x96\x7B</p>", "\x93\xFA\x96\x7B\r\n"},
    {"an unclosed script drops the rest", "a<script>b", "a\r\n"},
};

TEST(HtmlToText, MakesReadableText) {
  for (const auto& c : kHtmlCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HtmlToText(c.html), c.text);
  }
}

}  // namespace
}  // namespace vesko
