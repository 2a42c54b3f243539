#include "map/file_transaction.h"

#include "map/map_paths.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isRegularFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

FileTransaction::~FileTransaction()
{
    if (!m_done) rollback();
}

std::string FileTransaction::stage(const std::string& target)
{
    for (const Staged& staged : m_staged)
        if (staged.target == target) return staged.temporary;
    // The temporary name keeps the extension, because picture writers pick
    // the format by it; the process id keeps two programs saving into one
    // folder apart.
    const char* extension = FileExtension(target.c_str());
    size_t dot = extension ? static_cast<size_t>(extension - target.c_str()) : target.size();
    std::string temporary =
        target.substr(0, dot) + ".saving-" + std::to_string(getpid()) + target.substr(dot);
    std::remove(temporary.c_str());
    m_staged.push_back({target, temporary});
    return temporary;
}

void FileTransaction::fail(const std::string& target)
{
    if (m_failedTarget.empty()) m_failedTarget = target;
}

bool FileTransaction::commit()
{
    if (!failed()) {
        // Check everything before renaming anything: a rename that fails
        // halfway would leave a mix of old and new files.
        for (const Staged& staged : m_staged) {
            if (!isRegularFile(staged.temporary) || isDirectory(staged.target)) {
                fail(staged.target);
                break;
            }
        }
    }
    if (failed()) {
        rollback();
        return false;
    }
    for (const Staged& staged : m_staged) {
        if (std::rename(staged.temporary.c_str(), staged.target.c_str()) != 0) {
            fail(staged.target);
            rollback();
            return false;
        }
    }
    m_done = true;
    return true;
}

void FileTransaction::rollback()
{
    for (const Staged& staged : m_staged) std::remove(staged.temporary.c_str());
    m_done = true;
}
