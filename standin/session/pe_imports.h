#pragma once

#include <string>
#include <vector>

namespace standin {

// What a 64-bit Windows DLL imports: each library with the names it takes
// from it ("#N" for an import by ordinal).
struct ImportedLibrary {
  std::string library;
  std::vector<std::string> names;
};

// Reads the import table from the bytes of a PE32+ (64-bit) file. False when
// the file is not one or its table does not read; never reads outside `file`.
bool readPeImports(const std::vector<unsigned char>& file, std::vector<ImportedLibrary>& imports);

}  // namespace standin
