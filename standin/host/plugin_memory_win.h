// Where the plug-in's pointers lead, as the host's rules need to know: the
// host never writes, nor registers, on the plug-in's behalf what is not its own.
#pragma once

#include <cstddef>

namespace standin::win {

// The base of the loaded image that holds `address`; null outside any.
const void* imageHolding(const void* address);

// Committed, writable memory without a guard page, outside the images of
// the executable and of the stand-in's DLL.
bool pluginWritable(const void* address, std::size_t size);

// Why a registration for `module` (null: none named) of `code` is not the
// plug-in's own, in words that follow the host function's name; null when
// it may be.
const char* foreignCode(const void* module, const void* code);

}  // namespace standin::win
