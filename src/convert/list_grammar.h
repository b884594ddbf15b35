// The integer lists that follow -N, +N, -M, +M, -C and -c.
//
// A list runs up to the next token that starts with '+' or '-' (so negative
// numbers cannot be listed). Each token is a number, a lone ":" meaning
// "from the last value to the next token", or a range a:b where an empty a
// means the last value and an empty b means the next token.
#pragma once

#include <string>
#include <vector>

namespace qvb::convert {

// A list longer than this is refused rather than exhausting memory: no body
// has that many nodes or modes. It bounds a whole list, not one range, since
// a selection file can repeat a range thousands of times; and the edges of
// one command line together, since there may be thousands of them.
constexpr long long kMaxListLength = 10'000'000;

// Node and mode lists split a range at its first colon; edge lists at the
// last one.
enum class RangeColon { kFirst, kLast };

// Reads the list that starts at tokens[pos] and appends its values to
// `values` (which may already hold values of earlier switches of the same
// kind). On return `pos` is the first token not read. Returns false on a
// malformed list; `values` may then hold part of it.
bool readIntegerList(const std::vector<std::string> &tokens, size_t &pos, RangeColon colon,
                     std::vector<int> &values);

// Sorts ascending and drops repeated values.
void sortUnique(std::vector<int> &values);

}  // namespace qvb::convert
