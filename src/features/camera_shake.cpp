#include "features/camera_shake.h"

void cameraShakeStep() {}
