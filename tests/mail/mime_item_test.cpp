#include "mail/MIMEItem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace vesko {
namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i > 0 ? "|" : "") + lines[i];
  return text;
}

// A compact picture of a tree: type/subtype, body lines joined by "|", the epilogue, and
// the children in parentheses.
std::string Describe(const TMIMEItem& node) {
  std::string text = node.content_type() + "/" + node.subtype() + " body=" + Joined(node.body());
  if (!node.epilogue().empty()) text += " epi=" + Joined(node.epilogue());
  if (node.first_child() != nullptr) {
    text += " (";
    for (const TMIMEItem* child = node.first_child(); child; child = child->next()) {
      text += (child == node.first_child() ? "" : "; ") + Describe(*child);
    }
    text += ")";
  }
  return text;
}

std::string Tree(const std::string& mail) {
  TMIMEItem root;
  root.Parse(mail);
  return Describe(root);
}

constexpr char kMixed[] = "Content-Type: multipart/mixed; boundary=b\r\n\r\n";

struct TTreeCase {
  const char* name;
  std::string mail, tree;
};

TEST(MIMEItem, BuildsTheTree) {
  const TTreeCase cases[] = {
      {"no Content-Type: the rest is the body", "From: a\r\n\r\nx\r\n--b\r\ny", "/ body=x|--b|y"},
      {"body lines split at CR LF, CR and LF", "\r\na\rb\nc\r\n", "/ body=a|b|c"},
      {"type without subtype is no type", "Content-Type: multipart\r\n\r\nx\r\n--b\r\n",
       "/ body=x|--b"},
      {"header without an ending", "From: a\r\nSubject: b", "/ body="},
      {"preamble, two parts, text after the end dropped",
       std::string(kMixed) + "pre\r\n--b\r\nContent-Type: text/plain\r\n\r\none\r\n--b\r\n"
                             "\r\ntwo\r\n\r\n--b--\r\nafter\r\n",
       "multipart/mixed body=pre (text/plain body=one; / body=two|)"},
      {"boundary line right after the header",
       std::string(kMixed) + "--b\r\n\r\nx\r\n--b--\r\n", "multipart/mixed body= (/ body=x)"},
      {"quoted boundary, parameter name in capitals",
       "Content-Type: Multipart/Mixed; BOUNDARY=\"a b\"\r\n\r\n--a b\r\n\r\nx\r\n--a b--\r\n",
       "Multipart/Mixed body= (/ body=x)"},
      {"folded Content-Type",
       "Content-Type: multipart/mixed;\r\n\tboundary=b\r\n\r\n--b\r\n\r\nx\r\n--b--",
       "multipart/mixed body= (/ body=x)"},
      {"nested: inner epilogue, outer goes on",
       std::string(kMixed) +
           "--b\r\nContent-Type: multipart/alternative; boundary=c\r\n\r\ninner pre\r\n"
           "--c\r\n\r\nc1\r\n--c--\r\nepi 1\r\nepi 2\r\n--b\r\n\r\nb2\r\n--b--\r\n",
       "multipart/mixed body= (multipart/alternative body=inner pre epi=epi 1|epi 2 "
       "(/ body=c1); / body=b2)"},
      {"'--' and '-- ' lines are body text",
       std::string(kMixed) + "--b\r\n\r\nx\r\n-- \r\n--\r\n--other\r\ny\r\n--b--\r\n",
       "multipart/mixed body= (/ body=x|-- |--|--other|y)"},
      {"a line beginning with the boundary ends the part; the parent keeps it as text",
       std::string(kMixed) + "--b\r\n\r\nx\r\n--b \r\n--B\r\n--b--\r\n",
       "multipart/mixed body=--b |--B (/ body=x)"},
      {"missing closing boundary ends at the end of the text",
       std::string(kMixed) + "--b\r\n\r\nx\r\n--b\r\n\r\ny\r\nz", "multipart/mixed body= "
                                                                "(/ body=x; / body=y|z)"},
      {"an ordinary '--' line before a missing end keeps its text",
       std::string(kMixed) + "--b\r\n\r\nx\r\n-- \r\nsig", "multipart/mixed body= "
                                                          "(/ body=x|-- |sig)"},
      {"an ordinary '--' line as the last line keeps its text",
       std::string(kMixed) + "--b\r\n\r\nx\r\n--sig", "multipart/mixed body= (/ body=x|--sig)"},
      {"preamble followed directly by the closing line",
       std::string(kMixed) + "pre\r\n--b--\r\n", "multipart/mixed body=pre"},
      {"nested part without its closing line keeps its preamble",
       std::string(kMixed) + "--b\r\nContent-Type: multipart/mixed; boundary=c\r\n\r\npre\r\n"
                             "--c\r\n\r\nc1\r\n--cX\r\n--b--\r\n",
       "multipart/mixed body= (multipart/mixed body=pre|--cX (/ body=c1))"},
      {"epilogue ends at the parent's closing line",
       std::string(kMixed) + "--b\r\nContent-Type: multipart/mixed; boundary=c\r\n\r\n--c--\r\n"
                             "e\r\n--b--\r\nafter",
       "multipart/mixed body= (multipart/mixed body= epi=e)"},
      {"a header line after a boundary is read as header even if it looks like one",
       std::string(kMixed) + "--b\r\n--b\r\n\r\nx\r\n--b--",
       "multipart/mixed body= (/ body=x)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Tree(c.mail), c.tree);
  }
}

TEST(MIMEItem, KeepsHeaderLinesAsWritten) {
  TMIMEItem root;
  root.Parse("Subject: a\r\n b\r\n\tc\r\nX: 1\nY: 2\r\n\r\nbody");
  const std::vector<std::string> header = {"Subject: a\r\n b\r\n\tc", "X: 1\nY: 2", ""};
  EXPECT_EQ(root.header(), header);
  EXPECT_EQ(root.GetHeader("subject"), "a\r\n b\r\n\tc");
}

TEST(MIMEItem, GetHeader) {
  TMIMEItem root;
  root.Parse("Subject\r\nSubjects: no\r\nSUBJECT:\t \r\n  x\r\nSubject: second\r\nDate:\r\n\r\n");
  const struct {
    const char* name;
    std::string field, value;
  } cases[] = {
      {"first match, case ignored, blanks and line ends skipped", "Subject", "x"},
      {"a name alone on its line does not match; a longer name does not", "Subjects", "no"},
      {"empty value", "Date", ""},
      {"absent", "From", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(root.GetHeader(c.field), c.value);
  }
}

TEST(MIMEItem, GetParameter) {
  const struct {
    const char* name;
    std::string field, parameter, value;
  } cases[] = {
      {"unquoted", "text/plain; charset=iso-2022-jp", "charset", "iso-2022-jp"},
      {"quoted", "text/plain; charset=\"iso-2022-jp\"", "charset", "iso-2022-jp"},
      {"name case ignored", "text/plain; CharSet=utf-8", "charset", "utf-8"},
      {"later parameter", "text/plain; format=flowed; charset=utf-8", "charset", "utf-8"},
      {"folded", "text/plain;\r\n\tcharset=utf-8", "charset", "utf-8"},
      {"value ends at a blank", "text/plain; charset=utf-8 (comment)", "charset", "utf-8"},
      {"quoted value keeps blanks and ';'", "a/b; x=\"1; 2\"; y=3", "y", "3"},
      {"unterminated quote runs to the end", "a/b; x=\"1 2", "x", "1 2"},
      {"names are not trimmed", "text/plain; charset =utf-8", "charset", ""},
      {"no '=' at all", "text/plain", "charset", ""},
      {"absent", "text/plain; format=flowed", "charset", ""},
      {"empty text", "", "charset", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TMIMEItem::GetParameter(c.field, c.parameter), c.value);
  }
}

TEST(MIMEItem, FindPartSearchesDepthFirst) {
  TMIMEItem root;
  root.Parse(std::string(kMixed) +
             "--b\r\nContent-Type: multipart/alternative; boundary=c\r\n\r\n"
             "--c\r\nContent-Type: text/html\r\n\r\nh\r\n"
             "--c\r\nContent-Type: TEXT/Plain; charset=utf-8\r\n\r\ninner\r\n--c--\r\n"
             "--b\r\nContent-Type: text/plain\r\n\r\nouter\r\n--b--\r\n");
  const TMIMEItem* plain = root.FindPart("text", "plain");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->body(), std::vector<std::string>{"inner"});
  // A search from a child goes on into its later siblings.
  const TMIMEItem* html = root.FindPart("text", "html");
  ASSERT_NE(html, nullptr);
  EXPECT_EQ(html->FindPart("", "plain"), plain);
  EXPECT_EQ(root.FindPart("", ""), &root);
  EXPECT_EQ(root.FindPart("image", ""), nullptr);
}

TEST(MIMEItem, NestingIsCappedWithoutLosingText) {
  // Each level opens a multipart with its own boundary; the innermost holds the text.
  constexpr int kLevels = 200;
  std::string mail;
  for (int i = 0; i < kLevels; ++i) {
    mail += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\r\n\r\n--b" +
            std::to_string(i) + "\r\n";
  }
  mail += "Content-Type: text/plain\r\n\r\ndeepest\r\n";
  TMIMEItem root;
  root.Parse(mail);
  int depth = 0;
  const TMIMEItem* node = &root;
  while (node->first_child() != nullptr) node = node->first_child(), ++depth;
  EXPECT_EQ(depth, TMIMEItem::kMaxNesting);
  ASSERT_FALSE(node->body().empty());
  EXPECT_EQ(node->body().back(), "deepest");
  EXPECT_EQ(root.FindPart("text", "plain"), nullptr);
}

TEST(MIMEItem, ManySiblingsParseAndFree) {
  std::string mail = kMixed;
  for (int i = 0; i < 100000; ++i) mail += "--b\r\n\r\nx\r\n";
  mail += "--b\r\nContent-Type: text/plain\r\n\r\nlast\r\n--b--\r\n";
  TMIMEItem root;
  root.Parse(mail);
  const TMIMEItem* plain = root.FindPart("text", "plain");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->body(), std::vector<std::string>{"last"});
}

TEST(MIMEItem, ManyDashLinesTakeLinearTime) {
  // 5 MB of lines that begin with "--" inside one part, and as many ';' in a field.
  std::string mail = "Content-Type: multipart/mixed; boundary=b" + std::string(200000, ';') +
                     "x=1\r\n\r\n--b\r\n\r\n";
  for (int i = 0; i < 5 * 1024 * 1024 / 8; ++i) mail += "--x--b\r\n";
  mail += "--b--\r\n";
  const auto start = std::chrono::steady_clock::now();
  TMIMEItem root;
  root.Parse(mail);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_NE(root.first_child(), nullptr);
  EXPECT_EQ(root.first_child()->body().size(), 5u * 1024 * 1024 / 8);
  EXPECT_LT(seconds, 10.0);  // a quadratic search would take hours
}

TEST(MIMEItem, ParseReplacesEarlierContent) {
  TMIMEItem root;
  root.Parse(std::string(kMixed) + "--b\r\n\r\nx\r\n--b--");
  root.Parse("Subject: y\r\n\r\nz");
  EXPECT_EQ(Describe(root), "/ body=z");
  EXPECT_EQ(root.header().size(), 2u);
}

TEST(MIMEItem, SplitAndJoinLines) {
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
    std::string joined;
  } cases[] = {
      {"empty", "", {}, ""},
      {"final line end adds no line", "a\r\n", {"a"}, "a\r\n"},
      {"no final line end", "a\r\nb", {"a", "b"}, "a\r\nb\r\n"},
      {"empty lines", "\r\n\r\n", {"", ""}, "\r\n\r\n"},
      {"CR, LF and LF CR", "a\rb\nc\n\rd", {"a", "b", "c", "", "d"}, "a\r\nb\r\nc\r\n\r\nd\r\n"},
      {"CR lines, then LF lines", "a\rb\rc\nd\ne", {"a", "b", "c", "d", "e"},
       "a\r\nb\r\nc\r\nd\r\ne\r\n"},
      {"CR CR LF is an empty line", "a\r\r\nb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
      {"a final CR", "a\r", {"a"}, "a\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitLines(c.text), c.lines);
    EXPECT_EQ(JoinLines(c.lines), c.joined);
  }
}

}  // namespace
}  // namespace vesko
