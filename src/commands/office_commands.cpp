#include "commands/office_commands.h"

#include "engine/command_api.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// The number of arguments each command takes off the stack.
int ArgumentCount(CommandId id) {
  switch (id) {
    case CommandId::ExcelSet:
    case CommandId::ExcelGet:
    case CommandId::WordSetBookmark:
      return 2;
    case CommandId::ExcelOpen:
    case CommandId::ExcelSave:
    case CommandId::ExcelRunMacro:
    case CommandId::WordOpen:
    case CommandId::WordSave:
    case CommandId::WordInsertText:
    case CommandId::WordRunMacro:
      return 1;
    default:
      return 0;
  }
}

bool IsSpreadsheetCommand(CommandId id) {
  switch (id) {
    case CommandId::ExcelStart:
    case CommandId::ExcelOpen:
    case CommandId::ExcelSave:
    case CommandId::ExcelQuit:
    case CommandId::ExcelPrint:
    case CommandId::ExcelSet:
    case CommandId::ExcelGet:
    case CommandId::ExcelRunMacro:
      return true;
    default:
      return false;
  }
}

// Takes the arguments unevaluated (nothing is read or written) and fails.
void OfficeCommand(TNuraEngine& engine, CommandId id) {
  for (int i = ArgumentCount(id); i > 0; --i) PopRawArgument(engine);
  if (IsSpreadsheetCommand(id)) {
    RaiseScriptError(engine, SJ("Excelのエラー。") +
                                 SJ("Excel.Applicationに接続できません(このシステムには"
                                    "OLEオートメーションがありません)。"));
  }
  RaiseScriptError(engine, SJ("Wordのエラー。") +
                               SJ("Word.Applicationに接続できません(このシステムには"
                                  "OLEオートメーションがありません)。"));
}

}  // namespace

constexpr CommandEntry kOfficeCommands[] = {
    {CommandId::ExcelStart, OfficeCommand},
    {CommandId::ExcelOpen, OfficeCommand},
    {CommandId::ExcelSave, OfficeCommand},
    {CommandId::ExcelQuit, OfficeCommand},
    {CommandId::ExcelPrint, OfficeCommand},
    {CommandId::ExcelSet, OfficeCommand},
    {CommandId::ExcelGet, OfficeCommand},
    {CommandId::ExcelRunMacro, OfficeCommand},
    {CommandId::WordStart, OfficeCommand},
    {CommandId::WordOpen, OfficeCommand},
    {CommandId::WordSave, OfficeCommand},
    {CommandId::WordQuit, OfficeCommand},
    {CommandId::WordPrint, OfficeCommand},
    {CommandId::WordSetBookmark, OfficeCommand},
    {CommandId::WordInsertText, OfficeCommand},
    {CommandId::WordGetBody, OfficeCommand},
    {CommandId::WordRunMacro, OfficeCommand},
};

void RegisterOfficeCommands() { RegisterCommandTable(kOfficeCommands); }

}  // namespace nura
