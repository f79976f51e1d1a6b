// The CSV reader and writer, and the query of the table search: the input
// up to its first NUL is the table, the rest a query.
#include <stdexcept>

#include "support/csv_db.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = nura::fuzz::Bytes(data, size);
  std::string_view table, query;
  nura::fuzz::SplitAtNul(input, table, query);
  nura::TCsvDb db;
  db.SetCsvText(table);
  nura::TCsvDb again;
  again.SetCsvText(db.GetCsvText());
  db.header = true;
  try {
    db.SelectRows(query);
  } catch (const std::runtime_error&) {
  }
  db.Transpose();
  db.GetCsvText();
  return 0;
}
