// Program entry. "--batch COMMAND ..." runs one editor command without a
// window; anything else starts the editor.
#include <cstring>

#include "app/batch_commands.h"
#include "app/editor_main.h"
#include "shared/program_folder.h"

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--batch") == 0) {
        SetProgramFolder(FindProgramFolder().c_str());
        return RunBatchCommand(argc - 2, argv + 2);
    }
    RunOptions options;
    if (!ParseRunOptions(argc, argv, options)) return 2;
    return RunEditor(options);
}
