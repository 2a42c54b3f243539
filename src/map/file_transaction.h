// FileTransaction: writes a group of files so that either all of them
// replace their old versions or none does.
//
// Every file is first written under a temporary name in its own folder
// (so the final rename never crosses file systems). commit() renames them
// over their targets only when every one was written; otherwise, and on
// destruction without commit, the temporary files are removed and the old
// files stay byte-identical. A map save uses one transaction for the .map
// text, the heightmap and every layer picture.
#pragma once

#include <string>
#include <vector>

class FileTransaction {
public:
    FileTransaction() = default;
    ~FileTransaction();
    FileTransaction(const FileTransaction&) = delete;
    FileTransaction& operator=(const FileTransaction&) = delete;

    // The temporary path to write instead of target (same folder, same
    // extension). Writers call fail()
    // when writing it did not succeed.
    std::string stage(const std::string& target);
    void fail(const std::string& target);

    bool failed() const { return !m_failedTarget.empty(); }
    // The first target that could not be written.
    const std::string& failedTarget() const { return m_failedTarget; }

    // Renames every staged file over its target; false (and nothing
    // renamed that can be undone) when any staged file is missing or a
    // rename fails. On failure failedTarget() names the file.
    bool commit();
    void rollback();

private:
    struct Staged {
        std::string target;
        std::string temporary;
    };
    std::vector<Staged> m_staged;
    std::string m_failedTarget;
    bool m_done = false;
};
