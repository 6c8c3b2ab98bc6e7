#pragma once
// The records-consumed command, callable from another command (`records --consumed FILE`).
#include <string>
#include <vector>

int RunRecordsConsumed(const std::vector<std::string>& args);
