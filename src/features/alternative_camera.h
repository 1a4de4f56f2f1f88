#pragma once

void alternativeCameraStep();
