// The office automation commands of the spreadsheet ("エクセル…") and the
// word processor ("ワード…"). Linux has no automation server for them:
// every command takes its arguments and fails with "Excelのエラー。%s" or
// "Wordのエラー。%s", through the error road like any other error.
#pragma once

namespace nura {

void RegisterOfficeCommands();

}  // namespace nura
