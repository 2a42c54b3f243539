// Program entry. "--batch" runs one editor command without a window.
#include <cstring>

#include "app/batch_commands.h"
#include "shared/program_folder.h"

int main(int argc, char** argv)
{
    SetProgramFolder(FindProgramFolder().c_str());
    if (argc > 1 && std::strcmp(argv[1], "--batch") == 0) return RunBatchCommand(argc - 2, argv + 2);
    return 0;
}
