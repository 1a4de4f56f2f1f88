#pragma once

#include <stdexcept>

namespace standin {

// A fault in one line of a scenario or names file; the reader of the file
// adds its name and the line number.
class LineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace standin
