// How fast a mail is read: one 5 MB mail, a 5 MB part whose lines all begin with "--",
// and a folder of 1,000 ordinary mails (plain, alternative, and with an attachment).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/support/Corpus.h"
#include "mail/JisCode.h"
#include "mail/MIMEItem.h"
#include "mail/VeskoUtil.h"

namespace {

constexpr std::size_t kLargeMail = 5 * 1024 * 1024;

std::string Header(int i, const std::string& content_type) {
  return "Received: from mx" + std::to_string(i) + ".example.jp (mx.example.jp [192.0.2.1])\r\n"
         "\tby mail.example.jp with ESMTP id 4F2A1" + std::to_string(i) + "\r\n"
         "Date: Mon, 07 Dec 2026 12:34:56 +0900\r\n"
         "From: \"Sender " + std::to_string(i) + "\" <sender" + std::to_string(i) +
         "@example.jp>\r\nTo: taro@example.jp\r\nSubject: =?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=\r\n"
         "Message-ID: <" + std::to_string(i) + "@example.jp>\r\nMIME-Version: 1.0\r\n"
         "Content-Type: " + content_type + "\r\n\r\n";
}

// The large mail: a multipart mail whose text part is 5 MB of prose with a signature
// separator every few hundred lines.
std::string LargeMail() {
  std::string prose = vesko::bench::ShiftJisProse(kLargeMail);
  std::string text;
  std::size_t line = 0, pos = 0;
  while (pos < prose.size()) {
    const std::size_t end = prose.find("\r\n", pos);
    const std::size_t next = end == std::string::npos ? prose.size() : end + 2;
    text.append(prose, pos, next - pos);
    if (++line % 300 == 0) text += "-- \r\n";
    pos = next;
  }
  return Header(0, "multipart/mixed; boundary=\"=_b\"") +
         "--=_b\r\nContent-Type: text/plain; charset=shift_jis\r\n\r\n" + text +
         "--=_b--\r\n";
}

std::string DashLinesMail() {
  std::string mail = Header(0, "multipart/mixed; boundary=\"=_b\"") + "--=_b\r\n\r\n";
  while (mail.size() < kLargeMail) mail += "-- quoted separator line, not a boundary\r\n";
  return mail + "--=_b--\r\n";
}

// 1,000 mails of 1 to 8 KB: a third plain text, a third text and HTML, a third text with
// a base64 attachment.
std::vector<std::string> OrdinaryMails() {
  const std::string prose = vesko::bench::ShiftJisProse(1 << 20);
  std::vector<std::string> mails;
  std::size_t offset = 0;
  for (int i = 0; i < 1000; ++i) {
    const std::size_t size = 1024 + (i * 7919) % 7168;
    if (offset + size > prose.size()) offset = 0;
    std::string text = prose.substr(offset, size);
    offset += size;
    text = text.substr(0, text.rfind("\r\n") + 2);
    std::string mail;
    switch (i % 3) {
      case 0:
        mail = Header(i, "text/plain; charset=\"shift_jis\"") + text;
        break;
      case 1:
        mail = Header(i, "multipart/alternative;\r\n\tboundary=\"alt" + std::to_string(i) + "\"") +
               "--alt" + std::to_string(i) + "\r\nContent-Type: text/plain; charset=shift_jis\r\n"
               "Content-Transfer-Encoding: 8bit\r\n\r\n" + text + "--alt" + std::to_string(i) +
               "\r\nContent-Type: text/html; charset=shift_jis\r\n\r\n<html><body><p>\r\n" +
               text + "</p></body></html>\r\n--alt" + std::to_string(i) + "--\r\n";
        break;
      default:
        mail = Header(i, "multipart/mixed; boundary=mix") +
               "This is a multi-part message in MIME format.\r\n\r\n--mix\r\n"
               "Content-Type: text/plain; charset=shift_jis\r\n\r\n" + text +
               "--mix\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\n"
               "Content-Transfer-Encoding: base64\r\n\r\n";
        for (int l = 0; l < 40; ++l) {
          mail += "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVphYmNkZWZnaGlqa2xtbm9wcXJzdHV2d3h5\r\n";
        }
        mail += "--mix--\r\n";
    }
    mails.push_back(std::move(mail));
  }
  return mails;
}

void ParseOne(benchmark::State& state, const std::string& mail) {
  for (auto _ : state) {
    vesko::TMIMEItem root;
    root.Parse(mail);
    benchmark::DoNotOptimize(root.FindPart("text", "plain"));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(mail.size()));
}

void BM_ParseLargeMail(benchmark::State& state) {
  static const std::string mail = LargeMail();
  ParseOne(state, mail);
}
BENCHMARK(BM_ParseLargeMail)->Unit(benchmark::kMillisecond);

void BM_ParseDashLines(benchmark::State& state) {
  static const std::string mail = DashLinesMail();
  ParseOne(state, mail);
}
BENCHMARK(BM_ParseDashLines)->Unit(benchmark::kMillisecond);

// What the export does with the mail side of each mail of a folder: parse, find the text,
// take its charset and date, and make it half width.
void BM_ParseOrdinaryMails(benchmark::State& state) {
  static const std::vector<std::string> mails = OrdinaryMails();
  std::int64_t bytes = 0;
  for (const std::string& mail : mails) bytes += static_cast<std::int64_t>(mail.size());
  const bool decode = state.range(0) != 0;
  for (auto _ : state) {
    for (const std::string& mail : mails) {
      vesko::TMIMEItem root;
      root.Parse(mail);
      const vesko::TMIMEItem* part = root.FindPart("text", "plain");
      if (!decode || part == nullptr) continue;
      benchmark::DoNotOptimize(vesko::ParseMailDate(root.GetHeader("Date")));
      benchmark::DoNotOptimize(
          vesko::TMIMEItem::GetParameter(part->GetHeader("Content-Type"), "charset"));
      benchmark::DoNotOptimize(vesko::ToHalfWidth(vesko::JoinLines(part->body()), 3));
    }
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["mails/s"] =
      benchmark::Counter(static_cast<double>(mails.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ParseOrdinaryMails)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
