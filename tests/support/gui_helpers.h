// Helpers shared by the window's tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "flags.h"
#include "help.h"

// Clears the process-wide flags when it ends (each test starts clean).
class CFlagsReset {
public:
    CFlagsReset() { ProcessFlags() = CProcessFlags(); }
    ~CFlagsReset() { ProcessFlags() = CProcessFlags(); }
    CFlagsReset(const CFlagsReset&) = delete;
    CFlagsReset& operator=(const CFlagsReset&) = delete;
};

// A help viewer that records the requests instead of opening a window.
class CRecordingHelpViewer : public IHelpViewer {
public:
    struct SShow {
        std::string strFile;
        int nCommand;
        std::string strData;
    };
    CRecordingHelpViewer() { SetHelpViewer(this); }
    ~CRecordingHelpViewer() override { SetHelpViewer(nullptr); }
    CRecordingHelpViewer(const CRecordingHelpViewer&) = delete;
    CRecordingHelpViewer& operator=(const CRecordingHelpViewer&) = delete;

    void Show(OwnerHandle, const std::string& strFile, int nCommand, const std::string& strData) override
    {
        m_shows.push_back({strFile, nCommand, strData});
    }
    void Quit() override { ++m_nQuits; }

    std::vector<SShow> m_shows;
    int m_nQuits = 0;
};

inline std::string ReadWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteWholeFile(const std::filesystem::path& path, const std::string& strText)
{
    std::ofstream out(path, std::ios::binary);
    out << strText;
}
