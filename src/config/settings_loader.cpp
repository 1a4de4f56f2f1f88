#include "config/settings_loader.h"

void loadSettings(const char*, const SettingsMap&) {}
