#include "features/melee_gore.h"

void meleeGoreStep() {}
