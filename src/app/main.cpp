// Program entry.
#include "app/editor_main.h"

int main(int argc, char** argv)
{
    RunOptions options;
    if (!ParseRunOptions(argc, argv, options)) return 2;
    return RunEditor(options);
}
