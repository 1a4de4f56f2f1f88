// The script host's eight functions, with how each kind of argument and result
// travels in the host's 64-bit slots: see the header included here. Point your
// compiler at this folder (-I standin/kit) and include "script_host.h".
#pragma once

#include "../../src/host/host_interface.h"
