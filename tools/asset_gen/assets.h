// Every file the asset generator writes under Data/.
#pragma once

#include <string>

bool WriteSplash(const std::string& path);
bool WriteKeyControls(const std::string& path);
bool WriteArrowMesh(const std::string& path);
