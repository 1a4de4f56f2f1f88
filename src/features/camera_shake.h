#pragma once

void cameraShakeStep();
