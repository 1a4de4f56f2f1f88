#pragma once

#include <string>
#include <vector>

#include "config/settings_store.h"

// Publishes the settings store as a copy of the defaults, then lets the
// settings file override them line by line. Never fails loudly: a missing
// file and every unusable line are reported in the log.
void loadSettings(const char* fileName, const SettingsMap& defaults);

// One line of the settings file, without its line end: ignored when empty
// or a comment, stored when it is name=text, otherwise reported in the log.
void applySettingLine(const std::string& line);

// The pieces of `text` between the delimiters, read as a line reader reads
// lines: a delimiter at the very end gives no empty last piece, and an empty
// text gives none at all.
std::vector<std::string> splitText(const std::string& text, char delimiter);
