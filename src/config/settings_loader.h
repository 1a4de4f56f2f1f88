#pragma once

#include "config/settings_store.h"

// Publishes the settings store as a copy of the defaults, then lets the
// settings file override them line by line.
void loadSettings(const char* fileName, const SettingsMap& defaults);
