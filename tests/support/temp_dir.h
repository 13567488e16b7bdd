// A temporary folder for one test, removed with everything in it.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class CTempDir {
public:
    CTempDir()
    {
        std::string strTemplate = (std::filesystem::temp_directory_path() / "quillmark-test-XXXXXX").string();
        if (mkdtemp(strTemplate.data()) != nullptr)
            m_path = strTemplate;
    }
    ~CTempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

    // Writes a file byte for byte and returns its path.
    std::string Write(const std::string& name, const std::string& contents) const
    {
        std::ofstream out(m_path / name, std::ios::binary | std::ios::trunc);
        out << contents;
        return File(name);
    }

    // The names of the files in the folder, sorted.
    std::string Listing() const
    {
        std::string s;
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        for (const auto& n : names)
            s += n + " ";
        return s;
    }

private:
    std::filesystem::path m_path;
};

inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
