// The script host's eight functions, with how each kind of argument and result
// travels in the host's 64-bit slots. In the repository they live in contract/,
// which the plug-in and the stand-in both include; the kit's zip holds this
// header as a copy of them.
// Point your compiler at this folder (-I standin/kit) and include "script_host.h".
#pragma once

#include "../../contract/script_host.h"
