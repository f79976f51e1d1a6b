// The table commands: tables held as CSV text in variables are parsed into
// a TCsvDb, worked on and written back into "それ".
#pragma once

#include <memory>
#include <string>

#include "support/csv_db.h"

namespace nura {

class TNuraEngine;

// The state of the table search ("表検索", "表検索次の値"), one per
// interpreter.
class TFindCsv {
 public:
  TCsvDb table;
  std::string key;
  int column = -1;   // -1: every cell, or the whole row
  int nextRow = 0;
  bool exact = true;
};

// The interpreter's search state (made on first use).
TFindCsv& FindCsvOf(TNuraEngine& engine);

void RegisterCsvCommands();

}  // namespace nura
