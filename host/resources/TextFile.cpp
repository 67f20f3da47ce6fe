#include "host/resources/TextFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace vantri {

Status read_text_file(const std::string& path, std::string& text) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return failure(path + ": cannot be opened: " + std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return failure(path + ": cannot be opened: not a regular file");
    std::ifstream in(path, std::ios::binary);
    if (!in) return failure(path + ": cannot be opened: " + std::strerror(errno));
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return failure(path + ": read error");
    text = content.str();
    return {};
}

} // namespace vantri
