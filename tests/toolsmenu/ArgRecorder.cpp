// Test program: writes what it was started with (arguments, open descriptors, folder, one
// environment variable) to the file $QV_ARGREC_OUT, then exits.
#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* out = std::getenv("QV_ARGREC_OUT");
    if (!out)
        return 2;
    std::string text = "argc=" + std::to_string(argc) + "\n";
    for (int i = 0; i < argc; ++i)
        text += "argv[" + std::to_string(i) + "]=" + argv[i] + "\n";
    text += "fds=";
    if (DIR* d = opendir("/proc/self/fd")) {
        const int own = dirfd(d);
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.' || std::atoi(e->d_name) == own)
                continue;
            text += std::string(e->d_name) + " ";
        }
        closedir(d);
    }
    char cwd[PATH_MAX] = {};
    text += std::string("\ncwd=") + (getcwd(cwd, sizeof(cwd)) ? cwd : "?") + "\n";
    const char* mark = std::getenv("QV_ARGREC_MARK");
    text += std::string("mark=") + (mark ? mark : "") + "\n";
    // Written whole, then renamed into place: the test reads it only once it is complete.
    const std::string temp = std::string(out) + ".part";
    FILE* f = std::fopen(temp.c_str(), "w");
    if (!f)
        return 3;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return std::rename(temp.c_str(), out) == 0 ? 0 : 4;
}
