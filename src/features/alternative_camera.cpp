#include "features/alternative_camera.h"

void alternativeCameraStep() {}
