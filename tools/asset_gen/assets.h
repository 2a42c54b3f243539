// Every file the asset generator writes under Data/.
#pragma once

#include <string>

bool WriteSplash(const std::string& path);
