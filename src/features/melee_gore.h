#pragma once

void meleeGoreStep();
