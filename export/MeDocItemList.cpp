#include "export/MeDocItemList.h"

#include <algorithm>

#include "platform/locale.h"

namespace vesko {
namespace {

constexpr char kCrLf[] = "\r\n";

int DigitCount(int k) {
  int digits = 1;
  while (k >= 10) k /= 10, ++digits;
  return digits;
}

// The number of document lines a body takes before the next mail's "From:" line: one more
// than its CRs, since a body without a final line end shares its last line with "From:".
int BodyLines(const TMailItem& item) {
  return 1 + static_cast<int>(std::count(item.Body().begin(), item.Body().end(), '\r'));
}

}  // namespace

TMeDocItemList::TMeDocItemList(const TTextOptions& options) : options_(options) {}

void TMeDocItemList::Add(std::unique_ptr<TMailItem> item) {
  body_lines_.push_back(BodyLines(*item));
  items_.push_back(std::move(item));
}

std::string TMeDocItemList::IndexHeader() const { return IndexHeader(0, Count()); }

std::string TMeDocItemList::IndexLines() const { return IndexLines(0, Count()); }

std::string TMeDocItemList::IndexHeader(int first, int last) const {
  return "#!Medoc index " + std::to_string(last - first) + kCrLf;
}

std::string TMeDocItemList::IndexLines(int first, int last) const {
  std::string lines;
  int line = last - first + 2;
  for (int i = first; i < last; ++i) {
    lines += std::to_string(line) + ":" + ShortTitle(Items(i).Subject(), i - first + 1) + kCrLf;
    line += body_lines_[static_cast<std::size_t>(i)] + 2;
  }
  return lines;
}

std::string TMeDocItemList::ShortTitle(std::string_view subject, int k) {
  std::size_t m = static_cast<std::size_t>(32 - (DigitCount(k) + 1));
  if (m <= subject.size()) {
    // The m-th byte (from 1) opening a double-byte character would be cut from its trail.
    std::size_t i = 0;
    while (i < m - 1) i += platform::IsLeadByte(static_cast<unsigned char>(subject[i])) ? 2 : 1;
    if (i == m - 1 && platform::IsLeadByte(static_cast<unsigned char>(subject[i]))) --m;
    subject = subject.substr(0, m);
  }
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!subject.empty() && blank(subject.front())) subject.remove_prefix(1);
  while (!subject.empty() && blank(subject.back())) subject.remove_suffix(1);
  return std::string(subject);
}

}  // namespace vesko
