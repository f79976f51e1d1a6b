// The binary component stream of a storable component ("TPF0", class name,
// name, then its published properties by dotted path with typed values),
// and its storage in an INI section as lines of hexadecimal digits.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nura {

class TStoreComponent;

// Value types of the stream.
enum TValueType : uint8_t {
  vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaString = 6, vaIdent = 7,
  vaFalse = 8, vaTrue = 9, vaSet = 11, vaLString = 12, vaCollection = 14,
};

std::string WriteComponent(const TStoreComponent& component);
// Reads a stream into `component`. A malformed stream (bad signature,
// a length beyond the bytes left, an unknown type byte or property, a value
// of the wrong type) raises EReadError; the component may then be partly
// changed.
void ReadComponent(std::string_view stream, TStoreComponent& component);

// Two upper-case hex digits per byte, 32 bytes (64 digits) a line.
std::vector<std::string> StreamToHexLines(std::string_view stream);
// Pairs of digits to bytes (either case; a pair that is not hexadecimal
// gives 0, a lone last digit is a one-digit number).
std::string HexLinesToStream(const std::vector<std::string>& lines);

// Stores the stream under `prefix` in `section`: prefix + "_c" the line
// count, prefix + "_d0", "_d1"... the lines; surplus old lines go, and the
// count too when there are no lines. The file is written once, atomically;
// false when it cannot be.
bool WriteStreamToIni(std::string_view stream, const std::string& iniPath, const std::string& section,
                      const std::string& prefix);
// The stored stream; the lines run up to the count or the first missing
// line. Empty when nothing is stored.
std::string ReadStreamFromIni(const std::string& iniPath, const std::string& section, const std::string& prefix);

}  // namespace nura
