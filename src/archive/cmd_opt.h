// TCmdOpt: builds an archiver library's command line piece by piece, in
// the LHA style (blank-separated pieces, double quotes around names).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace nura {

class TCmdOpt {
 public:
  using NameTransform = std::function<std::string(const std::string&)>;

  explicit TCmdOpt(std::string start = "") : text_(std::move(start)) {}

  const std::string& Text() const { return text_; }
  // Quote style on: a named text switch is name + blank + quoted value.
  void SetQuoteStyle(bool on) { quoteStyle_ = on; }
  void SetTransform(NameTransform transform) { transform_ = std::move(transform); }

  // A blank and the piece.
  void Add(const std::string& piece);
  // "-" + name + n when n >= 0.
  void NumOpt(const std::string& name, int n);
  // "-" + name when on.
  void FlagOpt(const std::string& name, bool on);
  // Nothing for an empty value; without a name the quoted value; with one
  // the switch and the value in quotes (see the .cpp).
  void StrOpt(const std::string& name, const std::string& value);
  // StrOpt of the folder with a trailing "\" (unless it ends in a
  // separator) when not empty.
  void PathOpt(const std::string& name, const std::string& folder);
  // StrOpt of the transformed value.
  void NameOpt(const std::string& name, const std::string& value);
  // Each file, transformed, as StrOpt(name, file).
  void AddFileList(const std::string& name, const std::vector<std::string>& patterns);
  // Writes each file, transformed, as Q name Q CR LF into the response file
  // (created or overwritten), then adds the quoted "@" + file. Returns the
  // number of files; -1 when the response file cannot be written.
  int AddResponseFile(const std::vector<std::string>& patterns, const std::string& responseFile);

 private:
  std::string Transformed(const std::string& name) const;

  std::string text_;
  bool quoteStyle_ = false;
  NameTransform transform_;
};

}  // namespace nura
