#include "app/SelfDelete.h"

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string SelfDeleteScript(const std::string& exePath, const std::string& batchPath, int fileCount) {
    // Retry until the executable can go, that is, until its process has ended;
    // one echo request to the local host is the pause.
    const int delay = 1;
    std::string script = "cd\\\r\n:delexe\r\nping -n " + std::to_string(delay) + " 127.0.0.1\r\n";
    script += "del \"" + exePath + "\"\r\n";
    script += "if exist \"" + exePath + "\" goto :delexe\r\n";
    if (fileCount <= 1) {
        // The folder is shared with other games' clients, and the uninstall
        // itself writes Statistic.ini there after the files were counted:
        // remove the folder only if it is empty by now, never its contents.
        script += "rd \"" + FolderOf(exePath) + "\"\r\n";
    }
    script += "del \"" + batchPath + "\"\r\n";
    return script.size() <= kMaxSelfDeleteScript ? script : std::string();
}
