#include "shared/program_folder.h"

#include <climits>
#include <unistd.h>

namespace {

String& folder()
{
    static String value;
    return value;
}

}  // namespace

String FindProgramFolder()
{
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return String("./");
    path[length] = '\0';
    return String(path).folder();
}

const String& ProgramFolder() { return folder(); }

void SetProgramFolder(const char* value)
{
    folder() = value ? value : "";
    if (!folder().empty() && folder().c_str()[folder().length() - 1] != '/') folder().append("/");
}

bool ChangeToProgramFolder(const char* subFolder)
{
    String target = folder().empty() ? String("./") : folder();
    if (subFolder && *subFolder) target.append(subFolder);
    return chdir(target.c_str()) == 0;
}
