// Storable components: a name, published properties, and a sorted list of
// the file extensions the component serves. Their whole published state is
// saved to and loaded from one INI section (component_stream.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/persistent.h"

namespace nura {

class TStoreComponent : public TPersistent {
 public:
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

 private:
  std::string name_;
};

class TFileExtComponent : public TStoreComponent {
 public:
  TFileExtComponent();
  const TPropList& Properties() const override;

  const std::vector<std::string>& FileExtList() const { return fileExtList_->Strings(); }
  virtual void SetFileExtList(const std::vector<std::string>& list) { fileExtList_->Assign(list); }
  virtual bool HasFileExt(std::string_view ext) const { return fileExtList_->Find(ext); }

  // Writes the component into `section` of the INI file as hex lines under
  // `prefix`; false when the file cannot be written.
  bool SaveToIni(const std::string& iniPath, const std::string& section, const std::string& prefix) const;
  // Reads it back; an absent entry leaves the component as it is. A damaged
  // entry raises EReadError (the component may then be partly changed).
  void LoadFromIni(const std::string& iniPath, const std::string& section, const std::string& prefix);

 protected:
  // A sorted list that ignores duplicates.
  virtual std::unique_ptr<TSortedStrings> CreateFileExtList() const { return std::make_unique<TSortedStrings>(); }
  // Called last by the constructors of derived classes that have defaults.
  virtual void InitDefaults() {}

 private:
  std::unique_ptr<TSortedStrings> fileExtList_;
};

}  // namespace nura
