// A private folder for one test, removed with everything in it afterwards, and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

namespace qv::test {

class TempFolder {
  public:
    TempFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "ampwise-XXXXXX").string();
        if (mkdtemp(tmpl.data()))
            m_path = tmpl;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

inline void WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Gives each test its own $XDG_CONFIG_HOME, so the store file is private to it.
class ConfigHomeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(m_home.Path().empty());
        setenv("XDG_CONFIG_HOME", m_home.Path().c_str(), 1);
    }
    std::string StoreFile() const { return m_home.Path() + "/Brannoworks/user.reg"; }
    const TempFolder& Home() const { return m_home; }

  private:
    TempFolder m_home;
};

// Counts the commits made to one file of a folder: each commit renames a new file over it.
class CommitCounter {
  public:
    CommitCounter(const std::string& folder, std::string file) : m_file(std::move(file)) {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0)
            inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_TO);
    }
    ~CommitCounter() {
        if (m_fd >= 0)
            close(m_fd);
    }
    CommitCounter(const CommitCounter&) = delete;
    CommitCounter& operator=(const CommitCounter&) = delete;
    // Commits since the last call.
    int Take() {
        alignas(inotify_event) char buf[4096];
        int count = 0;
        for (;;) {
            ssize_t n = read(m_fd, buf, sizeof buf);
            if (n <= 0)
                return count;
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
                if (e->len > 0 && m_file == e->name)
                    ++count;
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
    }

  private:
    std::string m_file;
    int m_fd = -1;
};

} // namespace qv::test
