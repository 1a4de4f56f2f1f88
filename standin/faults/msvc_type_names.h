// The names that Microsoft's C++ compiler gives types in their type
// descriptors (".?AVruntime_error@std@@", ".H", ".PEBD"), written back as a
// C++ author writes the type: "std::runtime_error", "int", "const char *".
// Portable, so that it is tried on made-up names natively; a crashed
// process's describer cannot load the system's undecorator under the loader
// lock a DllMain holds.
#pragma once

#include <string>

namespace standin {

// Empty when the name uses what is not read here (templates, function
// types, member pointers): the caller shows the decorated name then.
std::string undecoratedTypeName(const std::string& decorated);

}  // namespace standin
