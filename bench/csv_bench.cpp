// Table engine speed: parsing, writing and sorting a 50 MB CSV table, with
// python3's csv module on the same file beside it.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "support/csv_db.h"
#include "platform/sjis.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// A table of mixed cells: numbers, words, two-byte text, quoted cells with
// commas, quotes and line breaks.
std::string MakeTable(size_t targetBytes) {
  std::mt19937 rng(42);
  const std::string kanji = nura::SJ("東京都港区芝公園"), kana = nura::SJ("テーブル");
  std::string out = "id,name,city,amount,note,flag\r\n";
  for (int row = 1; out.size() < targetBytes; ++row) {
    out += std::to_string(row) + ",";
    out += "name" + std::to_string(rng() % 100000) + ",";
    out += kanji.substr(0, 2 * (1 + rng() % 8)) + ",";
    out += std::to_string(rng() % 1000000) + "." + std::to_string(rng() % 100) + ",";
    switch (rng() % 4) {
      case 0: out += "\"a, b and \"\"c\"\"\""; break;
      case 1: out += "\"line one\r\nline two\""; break;
      case 2: out += kana + " " + kana; break;
      default: out += "plain text note"; break;
    }
    out += "," + std::to_string(rng() % 2) + "\r\n";
  }
  return out;
}

const char* kPython = R"PY(
import csv, io, sys, time
path = sys.argv[1]
t = time.perf_counter()
with open(path, newline='', encoding='latin-1') as f:
    rows = list(csv.reader(f))
parse = time.perf_counter() - t
t = time.perf_counter()
buf = io.StringIO()
csv.writer(buf).writerows(rows)
write = time.perf_counter() - t
t = time.perf_counter()
rows[1:] = sorted(rows[1:], key=lambda r: r[3] if len(r) > 3 else '')
sort = time.perf_counter() - t
print(parse, write, sort)
)PY";

}  // namespace

int main() {
  const std::string path = "/tmp/nura_csv_bench.csv";
  const std::string text = MakeTable(50u << 20);
  {
    std::ofstream(path, std::ios::binary) << text;
  }
  const double mb = static_cast<double>(text.size()) / (1 << 20);
  std::printf("table: %.1f MB\n", mb);

  nura::TCsvDb db;
  auto t = Clock::now();
  db.SetCsvText(text);
  const double parse = Seconds(t);
  t = Clock::now();
  const std::string written = db.GetCsvText();
  const double write = Seconds(t);
  db.header = true;
  t = Clock::now();
  db.SortByText(3);
  const double sortText = Seconds(t);
  t = Clock::now();
  db.SortByNumber(3);
  const double sortNumber = Seconds(t);
  std::printf("rows: %d, columns: %d\n", db.RowCount(), db.ColCount());
  std::printf("nura   parse  %7.3f s  %8.1f MB/s\n", parse, mb / parse);
  std::printf("nura   write  %7.3f s  %8.1f MB/s\n", write, mb / write);
  std::printf("nura   sort (text, column 3)    %7.3f s\n", sortText);
  std::printf("nura   sort (number, column 3)  %7.3f s\n", sortNumber);

  std::ofstream("/tmp/nura_csv_bench.py") << kPython;
  FILE* pipe = popen(("python3 /tmp/nura_csv_bench.py " + path).c_str(), "r");
  double pyParse = 0, pyWrite = 0, pySort = 0;
  if (pipe && std::fscanf(pipe, "%lf %lf %lf", &pyParse, &pyWrite, &pySort) == 3) {
    std::printf("python parse  %7.3f s  %8.1f MB/s\n", pyParse, mb / pyParse);
    std::printf("python write  %7.3f s  %8.1f MB/s\n", pyWrite, mb / pyWrite);
    std::printf("python sort (text, column 3)    %7.3f s\n", pySort);
    std::printf("parse speed-up over python: %.1fx\n", pyParse / parse);
  } else {
    std::printf("python3 not available\n");
  }
  if (pipe) pclose(pipe);
  std::remove(path.c_str());
  std::remove("/tmp/nura_csv_bench.py");
  return 0;
}
