// Real work against its twins, each at two sizes so the growth shows (a
// linear task grows by the size factor): text and regular-expression
// replacement, ZIP and tar packing and unpacking of many small files, a
// handle line loop and a Shift-JIS -> JIS -> Shift-JIS round trip, run as
// whole processes through the program in console mode and through
// /usr/bin/python3 (or tar); then the encoding conversions in this process
// against iconv(3).
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/jconvert.h"
#include "platform/sjis.h"
#include "process_timing.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 2;
// The archive rows write and flush many files: this disk's times swing by
// a factor of three from run to run, so both sides get more tries.
constexpr int kArchiveRuns = 5;

struct TPair {
  std::string script;  // UTF-8; written as Shift-JIS
  std::string twin;    // a shell command
  std::string before;  // a shell command run ahead of every run of both, untimed
};

struct TRow {
  double engine = 0, twin = 0;
};

// The engine and its twin take turns, so that neither meets the disk in a
// state the other left more often; the best CPU time of each counts.
TRow RunPair(const TPair& pair, const fs::path& dir, bool twinAvailable, int runs = kRuns) {
  static int index = 0;
  const fs::path script = dir / ("w" + std::to_string(index++) + ".nrs");
  bench::WriteFile(script, nura::SJ(pair.script));
  TRow row{1e9, twinAvailable ? 1e9 : 0};
  bench::TTiming engine, twin;
  for (int run = 0; run < runs; ++run) {
    engine = bench::Measure(bench::ProgramCommand(script), dir / "engine.out", 1, pair.before);
    row.engine = std::min(row.engine, engine.cpu);
    if (!twinAvailable) continue;
    twin = bench::Measure(pair.twin, dir / "twin.out", 1, pair.before);
    row.twin = std::min(row.twin, twin.cpu);
  }
  if (twinAvailable && engine.output != twin.output)
    std::printf("  outputs differ: engine \"%s\", twin \"%s\"\n", engine.output.c_str(), twin.output.c_str());
  return row;
}

// Prints the pair at both sizes: times, ratio to the twin, growth.
void Report(const std::string& title, const std::string& sizes, const TRow& small, const TRow& large,
            double factor) {
  auto ratio = [](const TRow& r) { return r.twin > 0 ? r.engine / std::max(r.twin, 1e-3) : 0.0; };
  std::printf("%-44s %-16s %7.3fs %7.3fs %5.1fx | %7.3fs %7.3fs %5.1fx | growth %4.1f (x%.0f)\n",
              title.c_str(), sizes.c_str(), small.engine, small.twin, ratio(small), large.engine, large.twin,
              ratio(large), large.engine / std::max(small.engine, 1e-3), factor);
  std::fflush(stdout);
}

// A pair measured at its small (0) and large (1) size by `row`, reported.
template <typename Row>
void TwoSizes(const std::string& title, const std::string& sizes, double factor, Row row) {
  const TRow small = row(0);
  const TRow large = row(1);
  Report(title, sizes, small, large, factor);
}

std::string CsvLines(int n) {
  std::string text;
  for (int i = 0; i < n; ++i)
    text += std::to_string(i) + ",item" + std::to_string(i * 7) + ",ab," + std::to_string(i % 97) + "." +
            std::to_string(i % 10) + nura::SJ(",テキスト,ab\r\n");
  return text;
}

// A folder of `count` small files and a list of their full paths, one a line.
fs::path MakeFiles(const fs::path& dir, int count) {
  const fs::path folder = dir / ("files" + std::to_string(count));
  fs::create_directories(folder);
  std::string list;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%05d.txt", i);
    std::string body;
    for (int k = 0; k < 5; ++k) body += "file " + std::to_string(i) + "\n";
    bench::WriteFile(folder / name, body);
    list += (folder / name).string() + "\r\n";
  }
  bench::WriteFile(dir / ("list" + std::to_string(count) + ".txt"), list);
  return folder;
}

std::string Py(const fs::path& dir, const std::string& name, const std::string& code) {
  bench::WriteFile(dir / name, code);
  return "/usr/bin/python3 " + (dir / name).string();
}

void ReplacePairs(const fs::path& dir, bool python) {
  const std::string py = Py(dir, "replace.py",
                            "import sys\ns = open(sys.argv[1], 'rb').read().decode('cp932')\n"
                            "print(len(s.replace('ab', 'xyz')))\n");
  const std::string re = Py(dir, "regex.py",
                            "import re, sys\ns = open(sys.argv[1], 'rb').read()\n"
                            "print(len(re.sub(b'ab', b'xyz', s)))\n");
  TRow rows[2], regex[2];
  for (int k = 0; k < 2; ++k) {
    const std::string text = (dir / ("text" + std::to_string(k) + ".txt")).string();
    bench::WriteFile(text, CsvLines(k == 0 ? 50000 : 200000));
    const std::string read = "S=\"\"\nSに「" + text + "」を読む\n";
    rows[k] = RunPair({read + "Sの「ab」を「xyz」に置換\nTはそれ\nTの文字数\nそれを言う\n", py + " " + text, ""},
                      dir, python);
    regex[k] = RunPair({read + "Sを「s/ab/xyz/g」で正規表現置換\nTはそれ\nTのバイト数\nそれを言う\n", re + " " + text, ""},
                       dir, python);
  }
  Report("置換 \"ab\" -> \"xyz\" (python str.replace)", "50k / 200k lines", rows[0], rows[1], 4);
  Report("正規表現置換 s/ab/xyz/g (python re.sub)", "50k / 200k lines", regex[0], regex[1], 4);
}

void HandlePairs(const fs::path& dir, bool python) {
  const std::string py = Py(dir, "lines.py",
                            "import sys\nn = 0\nwith open(sys.argv[1], 'rb') as f:\n"
                            "  for line in f:\n    n = n + 1\nprint(n)\n");
  TwoSizes("ハンドルを一行読む loop (python for line)", "50k / 200k lines", 4, [&](int k) {
    const fs::path text = dir / ("text" + std::to_string(k) + ".txt");
    if (!fs::exists(text)) bench::WriteFile(text, CsvLines(k == 0 ? 50000 : 200000));
    return RunPair({"Hで「" + text.string() + "」のハンドルを開く\nN=0\n99999999回(\n"
                    "  Hのハンドル最後か\n  もしそれ=1ならば(抜ける)\n  LにHのハンドルを一行読む\n"
                    "  N=N+1\n)\nNと言う\n", py + " " + text.string(), ""}, dir, python);
  });
}

void RoundTripPairs(const fs::path& dir, bool python) {
  const std::string py = Py(dir, "jis.py",
                            "import sys\ns = open(sys.argv[1], 'rb').read()\n"
                            "j = s.decode('cp932').encode('iso2022_jp')\n"
                            "t = j.decode('iso2022_jp').encode('cp932')\n"
                            "open(sys.argv[2], 'wb').write(t)\nprint(len(t))\n");
  const std::string line = nura::SJ("吾輩は猫である。名前はまだ無い。カタカナ and ASCII 12345 どこで生れたか\r\n");
  TwoSizes("SJIS -> JIS -> SJIS (python codecs)", "1.3 / 13 MB", 10, [&](int k) {
    const fs::path text = dir / ("sjis" + std::to_string(k) + ".txt");
    const fs::path back = dir / ("back" + std::to_string(k) + ".txt");
    std::string bytes;
    while (bytes.size() < (k == 0 ? 1300000u : 13000000u)) bytes += line;
    bench::WriteFile(text, bytes);
    return RunPair({"S=\"\"\nSに「" + text.string() + "」を読む\nSの文字コードをJISに変換\nJはそれ\n"
                    "Jの文字コードをSJISに変換\nTはそれ\nTを「" + back.string() + "」へ保存\n"
                    "Tのバイト数\nそれを言う\n", py + " " + text.string() + " " + back.string(), ""},
                   dir, python);
  });
}

// A shell command that leaves `out` an empty folder (the last destination
// is moved aside, not removed, so no run waits for removing files) and
// writes what the earlier runs left to the disk: every unpacking then
// starts from a quiet disk, whichever ran before it.
std::string EmptyDestination(const std::string& out) {
  return "{ [ ! -d " + out + " ] || mv " + out + " $(mktemp -u " + out + ".oldXXXXXX); } && mkdir " + out +
         " && sync";
}

// Packing a listed folder and unpacking it again, ZIP against python's
// zipfile and tar against tar, and unpacking a tar of folders. Each
// unpacking starts from an empty destination.

void ArchivePairs(const fs::path& dir, bool python) {
  const std::string zipPy = Py(dir, "zip.py",
                               "import sys, zipfile, os\n"
                               "with zipfile.ZipFile(sys.argv[2], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                               "  for line in open(sys.argv[1]).read().split():\n"
                               "    z.write(line, os.path.basename(line))\nprint('ok')\n");
  const std::string unzipPy = Py(dir, "unzip.py",
                                 "import sys, zipfile\nzipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])\n"
                                 "print('ok')\n");
  const bool tar = std::system("tar --version >/dev/null 2>&1") == 0;
  TRow zip[2], unzip[2], tarPack[2], untar[2], tgzPack[2], untgz[2];
  for (int k = 0; k < 2; ++k) {
    const int count = k == 0 ? 1000 : 10000;
    const std::string n = std::to_string(count);
    const fs::path folder = MakeFiles(dir, count);
    const std::string list = (dir / ("list" + n + ".txt")).string();
    const std::string archive = (dir / ("a" + n)).string(), out = (dir / ("out" + n)).string();
    auto pack = [&](const std::string& ext) {
      return "L=\"\"\nLに「" + list + "」を読む\nLを「" + archive + ext + "」へ圧縮\n「ok」と言う\n";
    };
    auto unpack = [&](const std::string& ext) {
      return "「" + archive + ext + "」を「" + out + "」へ解凍\n「ok」と言う\n";
    };
    zip[k] = RunPair({pack(".zip"), zipPy + " " + list + " " + archive + "-py.zip", ""}, dir, python, kArchiveRuns);
    const std::string empty = EmptyDestination(out);
    unzip[k] = RunPair({unpack(".zip"), unzipPy + " " + archive + ".zip " + out, empty}, dir, python, kArchiveRuns);
    const std::string names = (dir / ("names" + n)).string();
    if (std::system(("ls " + folder.string() + " >" + names).c_str()) != 0) std::printf("  ls failed\n");
    tarPack[k] = RunPair({pack(".tar"), "tar cf " + archive + "-t.tar -C " + folder.string() + " -T " +
                                                names + " && echo ok", ""}, dir, tar, kArchiveRuns);
    untar[k] = RunPair({unpack(".tar"), "tar xf " + archive + ".tar -C " + out + " && echo ok", empty}, dir, tar,
                       kArchiveRuns);
    tgzPack[k] = RunPair({pack(".tar.gz"), "tar czf " + archive + "-t.tar.gz -C " + folder.string() + " -T " +
                                                   names + " && echo ok", ""}, dir, tar, kArchiveRuns);
    untgz[k] = RunPair({unpack(".tar.gz"), "tar xzf " + archive + ".tar.gz -C " + out + " && echo ok", empty}, dir,
                       tar, kArchiveRuns);
    fs::remove_all(folder);
  }
  Report("圧縮 of listed files to ZIP (python zipfile)", "1k / 10k files", zip[0], zip[1], 10);
  Report("解凍 of that ZIP (python zipfile)", "1k / 10k files", unzip[0], unzip[1], 10);
  Report("圧縮 of listed files to tar (tar)", "1k / 10k files", tarPack[0], tarPack[1], 10);
  Report("解凍 of that tar (tar)", "1k / 10k files", untar[0], untar[1], 10);
  Report("圧縮 of listed files to tar.gz (tar czf)", "1k / 10k files", tgzPack[0], tgzPack[1], 10);
  Report("解凍 of that tar.gz (tar xzf)", "1k / 10k files", untgz[0], untgz[1], 10);
  // A tar that tar made of folders of files: a folder member before the
  // files of each folder.
  TwoSizes("解凍 of a tar of folders (tar xf)", "100 / 500 x 10 files", 5, [&](int k) {
    const int count = k == 0 ? 100 : 500;
    const fs::path folders = dir / ("folders" + std::to_string(count));
    for (int d = 0; d < count; ++d) {
      const fs::path folder = folders / ("d" + std::to_string(d));
      fs::create_directories(folder);
      for (int f = 0; f < 10; ++f)
        bench::WriteFile(folder / ("f" + std::to_string(f) + ".txt"), "file " + std::to_string(f) + "\n");
    }
    const std::string archive = (dir / ("folders" + std::to_string(count) + ".tar")).string();
    const std::string out = (dir / ("fout" + std::to_string(count))).string();
    if (std::system(("tar cf " + archive + " -C " + folders.string() + " .").c_str()) != 0)
      std::printf("  tar failed\n");
    return RunPair({"「" + archive + "」を「" + out + "」へ解凍\n「ok」と言う\n",
                    "tar xf " + archive + " -C " + out + " && echo ok", EmptyDestination(out)}, dir, tar,
                   kArchiveRuns);
  });
}

// ---- conversions in this process against iconv ----

double Seconds(const std::function<void()>& work) {
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

std::string Iconv(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(in.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

void ConversionRows() {
  struct TConversion {
    const char* title;
    const char *to, *from;  // iconv's names
    std::function<std::string(const std::string&)> ours;
    int source;  // 0 Shift-JIS, 1 JIS, 2 EUC-JP, 3 UTF-8
  };
  const std::vector<TConversion> conversions = {
      {"Shift-JIS -> JIS", "ISO-2022-JP", "CP932", [](const std::string& t) { return nura::SjisToJis(t); }, 0},
      {"JIS -> Shift-JIS", "CP932", "ISO-2022-JP", [](const std::string& t) { return nura::JisToSjis(t); }, 1},
      {"Shift-JIS -> EUC-JP", "EUC-JP", "CP932", [](const std::string& t) { return nura::SjisToEuc(t); }, 0},
      {"EUC-JP -> Shift-JIS", "CP932", "EUC-JP", [](const std::string& t) { return nura::EucToSjis(t); }, 2},
      {"Shift-JIS -> UTF-8", "UTF-8", "CP932", [](const std::string& t) { return nura::SjisToUtf8(t); }, 0},
      {"UTF-8 -> Shift-JIS", "CP932", "UTF-8", [](const std::string& t) { return nura::Utf8ToSjis(t); }, 3},
  };
  std::printf("\nconversions in process, best of 3 (iconv has no half-width kana in JIS: none here)\n");
  std::printf("%-22s %10s %10s %6s | %10s %10s %6s | growth\n", "", "1 MB", "iconv", "ratio", "10 MB", "iconv",
              "ratio");
  const std::string line = nura::SJ("吾輩は猫である。名前はまだ無い。カタカナ and ASCII 12345 どこで生れたか\r\n");
  std::string sjis[2];
  for (int k = 0; k < 2; ++k) {
    while (sjis[k].size() < (k == 0 ? 1u : 10u) * 1024 * 1024) sjis[k] += line;
  }
  for (const TConversion& c : conversions) {
    double ours[2], theirs[2];
    for (int k = 0; k < 2; ++k) {
      const std::string& s = sjis[k];
      const std::string input = c.source == 0   ? s
                                : c.source == 1 ? nura::SjisToJis(s)
                                : c.source == 2 ? nura::SjisToEuc(s)
                                                : nura::SjisToUtf8(s);
      size_t sink = 0;
      ours[k] = Seconds([&] { sink += c.ours(input).size(); });
      theirs[k] = Seconds([&] { sink += Iconv(c.to, c.from, input).size(); });
      if (sink == 0) std::printf("  no output\n");
    }
    std::printf("%-22s %9.4fs %9.4fs %5.2fx | %9.4fs %9.4fs %5.2fx | %4.1f (x10)\n", c.title, ours[0], theirs[0],
                ours[0] / theirs[0], ours[1], theirs[1], ours[1] / theirs[1], ours[1] / ours[0]);
  }
}

}  // namespace

// With arguments, only the named groups run: replace, handle, roundtrip,
// archive, conversion.
int main(int argc, char** argv) {
  const std::vector<std::string> groups(argv + 1, argv + argc);
  auto wanted = [&](const char* group) {
    return groups.empty() || std::find(groups.begin(), groups.end(), group) != groups.end();
  };
  const fs::path dir = fs::temp_directory_path() / ("nura-real-work-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const bool python = access("/usr/bin/python3", X_OK) == 0;
  std::printf("CPU seconds (user + system), best of %d whole-process runs (archives: %d), taking turns: engine, twin,"
              " ratio, at both sizes\n", kRuns, kArchiveRuns);
  if (wanted("replace")) ReplacePairs(dir, python);
  if (wanted("handle")) HandlePairs(dir, python);
  if (wanted("roundtrip")) RoundTripPairs(dir, python);
  if (wanted("archive")) ArchivePairs(dir, python);
  if (wanted("conversion")) ConversionRows();
  fs::remove_all(dir);
  return 0;
}
