#include "names/names_generator.h"

void initNamesGenerator() {}
