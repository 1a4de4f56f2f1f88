#pragma once

void initNamesGenerator();
