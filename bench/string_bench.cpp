// Throughput of a global regular-expression substitution and of the
// Shift-JIS to JIS conversion over 10 MB of Shift-JIS text.
#include <chrono>
#include <cstdio>
#include <string>

#include "support/jconvert.h"
#include "support/regexp.h"
#include "platform/sjis.h"

namespace {

std::string MakeText(size_t bytes) {
  const std::string line = nura::SJ("吾輩は猫である。名前はまだ無い。ｶﾀｶﾅ and ASCII 12345 どこで生れたか\r\n");
  std::string text;
  text.reserve(bytes + line.size());
  while (text.size() < bytes) text += line;
  return text;
}

template <typename F>
double MegabytesPerSecond(size_t bytes, F work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  return static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds.count();
}

}  // namespace

int main() {
  const std::string text = MakeText(10 * 1024 * 1024);
  size_t outSize = 0;
  const double subst = MegabytesPerSecond(text.size(), [&] {
    nura::TBRegExp re;
    std::string subject = text;
    re.Subst("s/" + nura::SJ("猫") + "/" + nura::SJ("犬") + "/g", subject);
    outSize = subject.size();
  });
  std::printf("regexp global substitution: %.1f MB/s (%zu bytes out)\n", subst, outSize);
  const double jis = MegabytesPerSecond(text.size(), [&] { outSize = nura::SjisToJis(text).size(); });
  std::printf("Shift-JIS to JIS conversion: %.1f MB/s (%zu bytes out)\n", jis, outSize);
  return 0;
}
