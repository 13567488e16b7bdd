// Helpers shared by the window's tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "help.h"
#include "recording_presenter.h"
#include "run_context.h"

// The run a test's window works in without the application object: the
// stand-ins given, and messages on standard error when no presenter is.
class CTestRun {
public:
    explicit CTestRun(const SStandIns& standIns = {})
        : m_context({standIns.pPresenter != nullptr ? standIns.pPresenter : &m_standardError, standIns.pDialogs,
                     standIns.pHelp})
    {
    }
    CTestRun(const CTestRun&) = delete;
    CTestRun& operator=(const CTestRun&) = delete;

    CRunContext& Context() { return m_context; }
    CProcessFlags& Flags() { return m_context.Flags(); }

private:
    CStandardErrorPresenter m_standardError;
    CRunContext m_context;
};

// A help viewer that records the requests instead of opening a window.
class CRecordingHelpViewer : public IHelpViewer {
public:
    struct SShow {
        std::string strFile;
        int nCommand;
        std::string strData;
    };
    CRecordingHelpViewer() = default;
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
